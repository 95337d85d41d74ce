// Any bytes as the data of a DIS/VAR 163 merge file.
#include <cstdint>
#include <string>

#include "viewers/basic_program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  MemoryData source(ByteView(data, size), "fuzz");
  std::string text;
  ListMergeFile(source, static_cast<uint16_t>(size / 256 + 2), text);
  return 0;
}
