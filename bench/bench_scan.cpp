// Scanning a PC directory of 10,000 small TI files and images, against the
// I/O floor: a loop that only opens each file and reads its first 256 bytes.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "fileops/locations.h"
#include "support/disk_builder.h"

namespace {

using namespace korvane;

const std::string& Directory() {
  static test::TempDir* dir = [] {
    auto* d = new test::TempDir();
    const test::Bytes image = test::DiskBuilder::Sssd("BENCH").Add(test::DisVarFile("README", 80, {"HI"})).Build();
    const test::Bytes tifiles = test::TifilesFile(test::DisVarFile("TEXT", 80, {"ONE", "TWO"}));
    const test::Bytes v9t9 = test::V9t9File(test::ProgramFile("PROG", test::Bytes(600, 7)));
    const test::Bytes classic = [&] {
      test::Bytes b = tifiles;
      b.resize(b.size() - 100);  // a short last sector: Classic99
      return b;
    }();
    for (int i = 0; i < 10000; ++i) {
      const std::string name = "f" + std::to_string(i);
      switch (i % 5) {
        case 0: d->Write(name + ".dsk", image); break;
        case 1: d->Write(name + ".tfi", tifiles); break;
        case 2: d->Write(name, v9t9); break;
        case 3: d->Write(name, classic); break;
        default: d->Write(name + ".txt", test::Bytes(40, 'x')); break;
      }
    }
    return d;
  }();
  return dir->path();
}

void BM_IoFloor(benchmark::State& state) {
  const std::string& dir = Directory();
  for (auto _ : state) {
    DIR* d = opendir(dir.c_str());
    size_t files = 0;
    while (const dirent* e = readdir(d)) {
      if (e->d_name[0] == '.') continue;
      const int fd = open((dir + "/" + e->d_name).c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) continue;
      char buf[256];
      benchmark::DoNotOptimize(read(fd, buf, sizeof buf));
      close(fd);
      ++files;
    }
    closedir(d);
    benchmark::DoNotOptimize(files);
  }
}
BENCHMARK(BM_IoFloor)->Unit(benchmark::kMillisecond);

void BM_ScanDirectory(benchmark::State& state) {
  const std::string& dir = Directory();
  for (auto _ : state) {
    PaneState pane;
    pane.locationPath = dir;
    ReadLocation(pane);
    benchmark::DoNotOptimize(pane.rows.size());
  }
}
BENCHMARK(BM_ScanDirectory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
