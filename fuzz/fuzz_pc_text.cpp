// Fed: any PC file as text lines for the PC -> TI conversion, with every line method.
// Holds: each line is its source bytes, <= kMaxTextLine (+1 line end after the method).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fileops/pc_to_ti.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  std::vector<uint8_t> bytes(data, data + size);
  const ByteView all(bytes.data(), bytes.size());
  for (int method = kPcTiSelect; method < kPcTiMethodCount; ++method) {
    ByteStream in(all);
    for (;;) {
      const uint64_t before = in.Consumed();
      std::string line = ReadTextLine(in);
      if (line.empty()) {
        if (in.Consumed() != bytes.size()) std::abort();
        break;
      }
      if (line.size() > kMaxTextLine) std::abort();
      const uint64_t taken = in.Consumed() - before;
      if (taken < line.size() || taken > line.size() + 1) std::abort();
      if (std::memcmp(line.data(), bytes.data() + before, line.size()) != 0) std::abort();
      const size_t end = line.find_first_of("\r\n");
      if (end != std::string::npos && line.find_first_not_of(line[end], end) != std::string::npos)
        std::abort();

      const std::string original = line;
      ApplyLineMethod(line, method);
      if (line.size() > kMaxTextLine + 1) std::abort();
      if (method == kPcTiRemoveCrLf && line.find_first_of("\r\n") != std::string::npos) std::abort();
      if ((method == kPcTiToCr || method == kPcTiToLf) && line.find_first_of("\r\n") == std::string::npos)
        std::abort();
      if (method == kPcTiSelect || method == kPcTiBinary) {
        if (line != original) std::abort();
      }
    }
  }
  // Binary blocks: Read hands out every byte once, in order.
  ByteStream in(all);
  std::vector<uint8_t> copy;
  const size_t block = 1 + (size ? data[0] : 0);
  std::vector<uint8_t> piece(block);
  while (const size_t got = in.Read(piece.data(), block))
    copy.insert(copy.end(), piece.begin(), piece.begin() + got);
  if (copy != bytes) std::abort();
  return 0;
}
