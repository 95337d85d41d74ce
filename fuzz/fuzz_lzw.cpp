// Any bytes as an LZW code stream: decoding ends with a status, never with a
// hang, a crash or a read or write outside the 6400-byte input window, the
// 4096-code dictionary or the string stack. Inputs that begin with 0 get the
// clear code in front, so that most runs get past the first code.
#include <cstdint>
#include <vector>

#include "archive/lzw_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  std::vector<uint8_t> bytes(data, data + size);
  if (!bytes.empty() && bytes[0] == 0) bytes[0] = 0x80;
  ArchiveMemoryInput input(ByteView(bytes.data(), bytes.size()));
  LzwDecoder decoder(input);
  decoder.StartsWithClear();
  ArchiveBlock block;
  size_t length = 0;
  // Every code consumes at least 9 bits and yields at most 4096 bytes, so a
  // stream ends long before this many blocks; the cap only guards the test.
  for (int blocks = 0; blocks < 200000; ++blocks) {
    if (decoder.NextBlock(block, length) != LzwDecoder::Status::Block) break;
  }
  return 0;
}
