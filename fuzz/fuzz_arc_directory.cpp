// Any bytes as the data of a plain and of a compressed archive: the
// directory readers stay inside the 10 sectors (plain) and the 127 entries
// (compressed), member rows are made from every entry, and the compressed
// reader skips through the members as an extraction would.
#include <cstdint>

#include "archive/arc_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  ArchiveMemoryInput input(ByteView(data, size));

  ArchiveDirectory plain;
  if (ReadPlainDirectory(input, plain)) {
    uint32_t start = plain.directoryBlocks;
    for (size_t i = 0; i < plain.entries.size(); ++i) {
      ArchiveMemberRow(plain.entries[i], static_cast<uint16_t>(i), false, "fuzz");
      start += ArchiveEntrySectors(plain.entries[i]);
    }
    (void)start;
  }

  LzwDecoder decoder(input);
  ArchiveDirectory compressed;
  if (ReadCompressedDirectory(decoder, compressed)) {
    ArchiveBlock block;
    size_t length = 0;
    int budget = 100000;
    for (size_t i = 0; i < compressed.entries.size() && budget > 0; ++i) {
      ArchiveMemberRow(compressed.entries[i], static_cast<uint16_t>(i), true, "fuzz");
      for (uint32_t s = ArchiveEntrySectors(compressed.entries[i]); s > 0 && budget > 0; --s, --budget)
        if (decoder.NextBlock(block, length) != LzwDecoder::Status::Block) budget = 0;
    }
  }
  return 0;
}
