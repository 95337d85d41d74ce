// Any bytes as the data of an INT/VAR 254 file: the long-program reader must
// keep its 32768-byte image and every line inside their bounds.
#include <cstdint>
#include <string>

#include "viewers/basic_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  // Inputs that begin with 1 get a valid header record.
  if (size >= 256 && data[0] == 1) {
    const uint16_t start = static_cast<uint16_t>(data[1] << 8 | data[2]);
    const uint16_t end = static_cast<uint16_t>(start + 4 + (data[3] & 0x3F) * 4 - 1);
    const uint16_t check = start ^ end;
    const uint8_t header[11] = {10,
                                0xAB,
                                0xCD,
                                static_cast<uint8_t>(start >> 8),
                                static_cast<uint8_t>(start),
                                static_cast<uint8_t>(end >> 8),
                                static_cast<uint8_t>(end),
                                static_cast<uint8_t>(check >> 8),
                                static_cast<uint8_t>(check),
                                0xFF,
                                0xFF};
    bytes.replace(0, sizeof header, reinterpret_cast<const char*>(header), sizeof header);
  }
  MemoryData source(ByteView(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), "fuzz");
  std::string text;
  ListLongProgram(source, static_cast<uint16_t>(size / 256 + 2), text);
  return 0;
}
