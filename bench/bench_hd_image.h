// The 100 MB hard-disk image the benchmarks list and check: 51200 AUs of 8
// sectors, 114 directories under the root with six sub-directories each,
// and 20 files of two AUs in each of those 798 directories (15960 files).
#pragma once

#include <cstdint>
#include <string>

#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace korvane::test {

inline constexpr uint16_t kBenchSpau = 8;
inline constexpr uint16_t kBenchTotalAus = 51200;  // x 8 sectors x 256 bytes = 100 MiB

// File `n`: DIS/VAR 80, 16 sectors (two AUs) of the byte n.
inline TiFile BenchFile(int n) {
  TiFile f;
  f.name = "F" + std::to_string(n);
  f.status = 0x80;
  f.recordLength = 80;
  f.recordsPerSector = 3;
  f.level3 = 16;  // a variable-length file counts its sectors here
  f.data.assign(16 * 256, static_cast<uint8_t>(n));  // two AUs
  return f;
}

inline HdImage BenchHardDisk() {
  HardDiskBuilder builder("BENCH", kBenchTotalAus, kBenchSpau);
  int n = 0;
  for (int i = 0; i < 114; ++i) {
    HdDir& top = builder.Root().AddDir("D" + std::to_string(i));
    for (int f = 0; f < 20; ++f) top.Add(BenchFile(n++));
    for (int j = 0; j < 6; ++j) {
      HdDir& sub = top.AddDir("S" + std::to_string(j));
      for (int f = 0; f < 20; ++f) sub.Add(BenchFile(n++));
    }
  }
  return builder.Build();
}

}  // namespace korvane::test
