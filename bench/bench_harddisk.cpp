// Listing every directory of a 100 MB hard-disk image (51200 AUs of 8
// sectors, 799 directories, 15960 files), against the I/O floor: a loop that
// only reads the same directory records, indexes and FDRs with pread.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "harddisk/hd_tree.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace {

using namespace korvane;

constexpr uint16_t kSpau = 8;
constexpr uint16_t kTotalAus = 51200;  // x 8 sectors x 256 bytes = 100 MiB

test::TiFile BenchFile(int n) {
  test::TiFile f;
  f.name = "F" + std::to_string(n);
  f.status = 0x80;
  f.recordLength = 80;
  f.recordsPerSector = 3;
  f.data.assign(16 * 256, static_cast<uint8_t>(n));  // two AUs
  return f;
}

struct Bench {
  test::TempDir dir;
  std::string path;
  std::vector<uint32_t> sectors;  // every sector the listing reads, for the floor
};

const Bench& Image() {
  static Bench* bench = [] {
    auto* b = new Bench();
    test::HardDiskBuilder builder("BENCH", kTotalAus, kSpau);
    int n = 0;
    for (int i = 0; i < 114; ++i) {
      test::HdDir& top = builder.Root().AddDir("D" + std::to_string(i));
      for (int f = 0; f < 20; ++f) top.Add(BenchFile(n++));
      for (int j = 0; j < 6; ++j) {
        test::HdDir& sub = top.AddDir("S" + std::to_string(j));
        for (int f = 0; f < 20; ++f) sub.Add(BenchFile(n++));
      }
    }
    const test::HdImage img = builder.Build();
    b->path = b->dir.Write("bench.hd", img.bytes);
    b->sectors.push_back(0);
    for (const auto& [path, au] : img.dirAu) b->sectors.push_back(img.Sector(au));
    for (const auto& [path, au] : img.fdirAu) b->sectors.push_back(img.Sector(au));
    for (const auto& [path, au] : img.fdrAu) b->sectors.push_back(img.Sector(au));
    return b;
  }();
  return *bench;
}

void BM_IoFloor(benchmark::State& state) {
  const Bench& b = Image();
  for (auto _ : state) {
    const int fd = open(b.path.c_str(), O_RDONLY | O_CLOEXEC);
    uint8_t buf[256];
    for (uint32_t s : b.sectors) benchmark::DoNotOptimize(pread(fd, buf, sizeof buf, off_t{s} * 256));
    close(fd);
  }
  state.counters["sectors"] = static_cast<double>(b.sectors.size());
}
BENCHMARK(BM_IoFloor)->Unit(benchmark::kMillisecond);

void BM_ListEveryDirectory(benchmark::State& state) {
  const Bench& b = Image();
  size_t dirs = 0, rows = 0;
  for (auto _ : state) {
    dirs = rows = 0;
    WalkHardDiskTree(b.path, 0, [&](const std::string&, const HardDiskDirectory& d) {
      ++dirs;
      rows += d.rows.size();
      return true;
    });
  }
  state.counters["directories"] = static_cast<double>(dirs);
  state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ListEveryDirectory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
