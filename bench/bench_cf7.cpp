// Backup and restore of a 256 MB file-backed drive, against `dd bs=1M` of
// the same file (goal: at least 0.9 x dd's throughput), and listing the
// volumes of a 2 GB card image (goal: at most 16 MB peak memory, no
// whole-image reads: the bytes read are counted from /proc/self/io).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "harddisk/backup_run.h"
#include "harddisk/cf7_card.h"
#include "harddisk/cf7_volumes.h"
#include "support/card_builder.h"

namespace {

using namespace korvane;

constexpr uint64_t kDriveBytes = 256ull << 20;

struct Files {
  test::TempDir dir;
  std::string card;  // raw card stand-in
  std::string hd;    // raw hard-disk stand-in
  Files() {
    // A card whose volumes hold varied bytes (not a sparse file: the reads
    // must really move data).
    std::mt19937 rng(7);
    test::Bytes chunk(1 << 20);
    for (auto& b : chunk) b = static_cast<uint8_t>(rng());
    const test::Bytes volume = test::RawCard({{test::FormattedVolume("BENCH")}, 0, false, {}});
    std::copy(volume.begin(), volume.end(), chunk.begin());
    card = dir.path() + "/card.raw";
    hd = dir.path() + "/hd.raw";
    for (const std::string& path : {card, hd}) {
      std::ofstream out(path, std::ios::binary);
      for (uint64_t done = 0; done < kDriveBytes; done += chunk.size())
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(chunk.size()));
    }
  }
};

// A sparse 2 GB card image: 5242 volumes, none formatted.
struct BigImage {
  test::TempDir dir;
  std::string path = dir.path() + "/big.cf7";
  BigImage() {
    test::MakeSparseFile(path, 128 + (2ull << 30));
    const test::Bytes header = test::CardImageFile("BIG", {});
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
        .write(reinterpret_cast<const char*>(header.data()), 128);
  }
};

Files& Shared() {
  static Files* files = new Files();
  return *files;
}

std::optional<HardDiskIdentity> WholeDrive(ByteView) { return HardDiskIdentity{"BENCH", kDriveBytes / 512}; }

RemovableDrive Drive(const std::string& path, uint16_t type) {
  RemovableDrive d;
  d.device.letter = 'B';
  d.device.path = path;
  d.device.standIn = true;
  d.type = type;
  d.size = kDriveBytes / 512;
  return d;
}

void Throughput(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kDriveBytes));
}

// dd into a new file, as a backup writes its image; with conv=fsync as a
// restore does (a restore waits until the drive has its data).
void BM_DdBs1M(benchmark::State& state) {
  Files& f = Shared();
  const std::string out = f.dir.path() + "/dd.out";
  const std::string command =
      "dd if=" + f.hd + " of=" + out + " bs=1M status=none" + (state.range(0) ? " conv=fsync" : "");
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("dd failed");
  }
  Throughput(state);
  ::unlink(out.c_str());
}
BENCHMARK(BM_DdBs1M)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BackupHardDisk(benchmark::State& state) {
  Files& f = Shared();
  const std::string image = f.dir.path() + "/hd.img";
  for (auto _ : state) {
    if (BackupDrive(DriveEnvironment{}, Drive(f.hd, kDriveHardDisk), image, NoProgress()) !=
        BackupResult::Done)
      state.SkipWithError("backup failed");
  }
  Throughput(state);
}
BENCHMARK(BM_BackupHardDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RestoreHardDisk(benchmark::State& state) {
  Files& f = Shared();
  const std::string image = f.dir.path() + "/hd.img";
  BackupDrive(DriveEnvironment{}, Drive(f.hd, kDriveHardDisk), image, NoProgress());
  const std::string target = f.dir.path() + "/hd-target.raw";
  test::MakeSparseFile(target, kDriveBytes);
  for (auto _ : state) {
    if (RestoreDrive(DriveEnvironment{}, Drive(target, kDriveHardDisk), image, WholeDrive, NoProgress()) !=
        BackupResult::Done)
      state.SkipWithError("restore failed");
  }
  Throughput(state);
  ::unlink(target.c_str());
}
BENCHMARK(BM_RestoreHardDisk)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BackupCard(benchmark::State& state) {
  Files& f = Shared();
  const std::string image = f.dir.path() + "/card.cf7";
  for (auto _ : state) {
    if (BackupDrive(DriveEnvironment{}, Drive(f.card, kDriveCard), image, NoProgress()) != BackupResult::Done)
      state.SkipWithError("backup failed");
  }
  Throughput(state);
}
BENCHMARK(BM_BackupCard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RestoreCard(benchmark::State& state) {
  Files& f = Shared();
  const std::string image = f.dir.path() + "/card.cf7";
  BackupDrive(DriveEnvironment{}, Drive(f.card, kDriveCard), image, NoProgress());
  const std::string target = f.dir.path() + "/card-target.raw";
  test::MakeSparseFile(target, kDriveBytes);
  for (auto _ : state) {
    if (RestoreDrive(DriveEnvironment{}, Drive(target, kDriveCard), image, nullptr, NoProgress()) !=
        BackupResult::Done)
      state.SkipWithError("restore failed");
  }
  Throughput(state);
  ::unlink(target.c_str());
}
BENCHMARK(BM_RestoreCard)->Unit(benchmark::kMillisecond)->UseRealTime();

// The machine is shared, so separate runs of dd and of our copy see
// different loads. Here each iteration times dd and then ours back to back;
// "speed_vs_dd" is dd's time over ours (the goal is at least 0.9).
// Arg: 0 hard-disk backup, 1 hard-disk restore, 2 card backup, 3 card restore.
void BM_PairedWithDd(benchmark::State& state) {
  Files& f = Shared();
  const int kind = static_cast<int>(state.range(0));
  const bool restore = kind == 1 || kind == 3;
  const bool card = kind >= 2;
  const std::string image = f.dir.path() + (card ? "/paired.cf7" : "/paired.img");
  const std::string target = f.dir.path() + "/paired-target.raw";
  const std::string ddOut = f.dir.path() + "/paired-dd.out";
  test::MakeSparseFile(target, kDriveBytes);
  const RemovableDrive source = Drive(card ? f.card : f.hd, card ? kDriveCard : kDriveHardDisk);
  BackupDrive(DriveEnvironment{}, source, image, NoProgress());
  const std::string dd =
      "dd if=" + f.hd + " of=" + ddOut + " bs=1M status=none" + (restore ? " conv=fsync" : "");
  double ddSeconds = 0, oursSeconds = 0;
  using Clock = std::chrono::steady_clock;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (std::system(dd.c_str()) != 0) state.SkipWithError("dd failed");
    const auto t1 = Clock::now();
    const BackupResult r = restore ? RestoreDrive(DriveEnvironment{}, Drive(target, source.type), image,
                                                  WholeDrive, NoProgress())
                                   : BackupDrive(DriveEnvironment{}, source, image, NoProgress());
    const auto t2 = Clock::now();
    if (r != BackupResult::Done) state.SkipWithError("copy failed");
    ddSeconds += std::chrono::duration<double>(t1 - t0).count();
    oursSeconds += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["dd_ms"] = 1000 * ddSeconds / static_cast<double>(state.iterations());
  state.counters["ours_ms"] = 1000 * oursSeconds / static_cast<double>(state.iterations());
  state.counters["speed_vs_dd"] = ddSeconds / oursSeconds;
  ::unlink(target.c_str());
  ::unlink(ddOut.c_str());
}
BENCHMARK(BM_PairedWithDd)->DenseRange(0, 3)->Iterations(8)->Unit(benchmark::kMillisecond)->UseRealTime();

uint64_t BytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

long PeakKb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_ListVolumesOf2GbCardImage(benchmark::State& state) {
  static BigImage big;
  const long peakBefore = PeakKb();
  size_t rows = 0;
  uint64_t read = 0;
  for (auto _ : state) {
    const uint64_t before = BytesReadSoFar();
    CardImage card;
    card.Open(big.path, false);
    FileList list;
    ListCardVolumes(card, true, list, NoProgress());
    rows = list.size();
    read = BytesReadSoFar() - before;
  }
  state.counters["volumes"] = static_cast<double>(rows - 1);
  state.counters["bytes_read"] = static_cast<double>(read);
  state.counters["peak_growth_kb"] = static_cast<double>(PeakKb() - peakBefore);
  state.counters["peak_kb"] = static_cast<double>(PeakKb());
}
BENCHMARK(BM_ListVolumesOf2GbCardImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
