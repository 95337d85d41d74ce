// Building the hex view and the record view of a 16 MB TI file (65535
// sectors, the most a file's sector count can say), read from a PC file as
// the viewers read it. Bytes processed are the file's data bytes.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "viewers/text_views.h"
#include "viewers/view_builder.h"

namespace {

using namespace korvane;

constexpr uint16_t kSectors = 65535;

struct BigFile {
  test::TempDir dir;
  std::string path;
  CatalogEntry row;
};

// A DIS/VAR 80 file of varied text records filling every sector.
const BigFile& Big() {
  static BigFile* big = [] {
    auto* b = new BigFile();
    test::TiFile f;
    f.name = "BIG";
    f.status = 0x80;
    f.recordLength = 80;
    f.recordsPerSector = 3;
    f.data.resize(size_t{kSectors} * 256, 0);
    for (size_t s = 0; s < kSectors; ++s) {
      size_t p = s * 256;
      for (int r = 0; r < 4; ++r) {
        const size_t n = 20 + (s * 7 + static_cast<size_t>(r) * 13) % 40;
        f.data[p] = static_cast<uint8_t>(n);
        for (size_t i = 1; i <= n; ++i) f.data[p + i] = static_cast<uint8_t>(0x20 + (s + i) % 95);
        p += n + 1;
      }
      f.data[p] = 0xFF;
    }
    f.level3 = kSectors;
    b->path = b->dir.Write("BIG", test::V9t9File(f));
    b->row.kind = kKindDisVar;
    b->row.recordLength = 80;
    b->row.recordsPerSector = 3;
    b->row.totalSectors = kSectors;
    b->row.level3Records = kSectors;
    return b;
  }();
  return *big;
}

void RunView(benchmark::State& state, int mode) {
  const BigFile& big = Big();
  size_t textSize = 0;
  for (auto _ : state) {
    PcFile file;
    file.Open(big.path, PcFile::Mode::Read);
    PcFileData data(file);
    std::string text;
    BuildViewText(data, big.row, mode, text);
    benchmark::DoNotOptimize(text.data());
    textSize = text.size();
  }
  state.counters["text_bytes"] = static_cast<double>(textSize);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kSectors * 256);
}

void BM_HexView16MB(benchmark::State& state) { RunView(state, kViewHex); }
void BM_RecordView16MB(benchmark::State& state) { RunView(state, kViewDefault); }

BENCHMARK(BM_HexView16MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordView16MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
