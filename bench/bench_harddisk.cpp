// Listing every directory of a 100 MB hard-disk image (51200 AUs of 8
// sectors, 799 directories, 15960 files), against the I/O floor: a loop that
// only reads the same directory records, indexes and FDRs with pread.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "bench_hd_image.h"
#include "harddisk/hd_tree.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace {

using namespace korvane;

struct Bench {
  test::TempDir dir;
  std::string path;
  std::vector<uint32_t> sectors;  // every sector the listing reads, for the floor
};

const Bench& Image() {
  static Bench* bench = [] {
    auto* b = new Bench();
    const test::HdImage img = test::BenchHardDisk();
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
