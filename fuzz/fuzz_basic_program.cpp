// Any bytes as the data of a PROGRAM file: the listing must never read or
// write outside its buffers, whatever the table words and line addresses say.
#include <cstdint>
#include <string>

#include "viewers/basic_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  // Inputs that begin with 1 get a valid header made from their next bytes,
  // so the fuzzer spends its time on the table and the lines.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  if (size >= 8 && data[0] == 1) {
    const uint16_t start = static_cast<uint16_t>(data[1] << 8 | data[2]);
    const uint16_t end = static_cast<uint16_t>(start + 4 + (data[3] & 0x3F) * 4 - 1);
    const uint16_t check = start ^ end;
    const uint8_t header[8] = {static_cast<uint8_t>(check >> 8), static_cast<uint8_t>(check),
                               static_cast<uint8_t>(end >> 8),   static_cast<uint8_t>(end),
                               static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start),
                               0xFF,                             0xFF};
    bytes.replace(0, 8, reinterpret_cast<const char*>(header), 8);
  }
  MemoryData source(ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "fuzz");
  std::string text;
  ListProgramImage(source, text);
  return 0;
}
