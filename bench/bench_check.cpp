// Checking a 2 GB card image (sparse: 5242 volumes, every one formatted with
// six files, the unused sectors never written) and a 100 MB hard-disk image
// (51200 AUs of 8 sectors, 798 directories, 15960 files). Reports time, the
// findings (there must be none) and the peak memory from getrusage.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench_hd_image.h"
#include "fileops/container_check.h"
#include "support/card_builder.h"
#include "support/hd_builder.h"

namespace {

using namespace korvane;

long PeakKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The volumes hold six files each; only the sectors up to the last file's
// data are written, the rest of the card stays a hole.
struct BigCard {
  test::TempDir dir;
  std::string path = dir.path() + "/big.cf7";
  BigCard() {
    // Every whole volume of 2 GiB: 5242 of them.
    constexpr uint64_t kBytes = 128 + (2ull << 30) / 409600 * 409600;
    test::MakeSparseFile(path, kBytes);
    test::DiskBuilder disk("VOLUME", 1600, 20, 40, 2, 1);
    for (int f = 0; f < 6; ++f) disk.Add(test::DisVarFile("FILE" + std::to_string(f), 80, {"A", "B", "C"}));
    const test::Bytes volume = disk.Build();
    size_t used = volume.size();
    while (used > 256 && volume[used - 1] == 0xE5) --used;  // the unused tail
    used = (used + 255) / 256 * 256;
    std::fstream out(path, std::ios::in | std::ios::out | std::ios::binary);
    const test::Bytes header = test::CardImageFile("BIG", {});
    out.write(reinterpret_cast<const char*>(header.data()), 128);
    for (uint64_t v = 0; 128 + (v + 1) * 409600 <= kBytes; ++v) {
      out.seekp(static_cast<std::streamoff>(128 + v * 409600));
      out.write(reinterpret_cast<const char*>(volume.data()), static_cast<std::streamsize>(used));
    }
  }
};

// Built and written in a child process, so that the builder's 100 MB in
// memory never becomes part of this process's resident set or peak.
template <typename Work>
void InChild(Work work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) std::abort();
}

struct BigHardDisk {
  test::TempDir dir;
  std::string path = dir.path() + "/bench.hd";
  BigHardDisk() {
    InChild([this] { Build(); });
  }
  void Build() const {
    const test::Bytes bytes = test::BenchHardDisk().bytes;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
};

// Resident memory now, in kB.
long CurrentKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The peak of one check on its own: run in a child process, whose
// getrusage peak starts from what it inherited resident (the builders'
// images are freed by then), not from this process's earlier peaks.
long CheckPeakKbInChild(const std::string& path) {
  const pid_t child = fork();
  if (child == 0) {
    const ContainerCheck c = CheckPcFile(path, true);
    _exit(c.report.findings.empty() ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
  return usage.ru_maxrss;
}

void Run(benchmark::State& state, const std::string& path) {
  size_t findings = 0;
  for (auto _ : state) {
    const ContainerCheck c = CheckPcFile(path, true);
    findings = c.report.findings.size();
    benchmark::DoNotOptimize(findings);
  }
  state.counters["findings"] = static_cast<double>(findings);
  if (findings != 0) {
    const CheckReport r = CheckPcFile(path, true).report;
    for (size_t i = 0; i < r.findings.size() && i < 5; ++i)
      std::fprintf(stderr, "%s\n", FormatFinding(r.findings[i]).c_str());
    state.SkipWithError("the sound image has findings");
  }
  state.counters["resident_before_kb"] = static_cast<double>(CurrentKb());
  state.counters["check_peak_kb"] = static_cast<double>(CheckPeakKbInChild(path));
  state.counters["process_peak_kb"] = static_cast<double>(PeakKb());
}

void BM_Check2GbCardImage(benchmark::State& state) {
  static BigCard card;
  Run(state, card.path);
}
BENCHMARK(BM_Check2GbCardImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Check100MbHardDisk(benchmark::State& state) {
  static BigHardDisk disk;
  Run(state, disk.path);
}
BENCHMARK(BM_Check100MbHardDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
