// Archive extraction and PC99 conversion speed:
// - LZW extraction of one large member (16,000 sectors, 4 MB) from a
//   synthetic compressed archive on disk, in MB/s of decoded output; the
//   bare decoder over the same stream in memory for comparison;
// - conversion of a DSDD PC99 image (1440 MFM sectors, TI interleave) into a
//   V9T9 image.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "archive/arc_directory.h"
#include "archive/arc_extract.h"
#include "archive/lzw_decoder.h"
#include "fileops/locations.h"
#include "floppy/pc99_convert.h"
#include "platform/pc_file.h"
#include "support/arc_builder.h"
#include "support/disk_builder.h"
#include "support/pc99_builder.h"

namespace {

using namespace korvane;

constexpr uint16_t kBigSectors = 16000;

// Data that compresses like real TI files: text-like runs with some noise.
test::Bytes MemberData() {
  std::mt19937 rng(42);
  const std::string words[] = {"CALL ", "PRINT ", "GOTO ", "DATA ", ">2000 ", "MOV R1,R2 ", "\x0d", "LI R0,>0300 "};
  test::Bytes b;
  while (b.size() < size_t{kBigSectors} * 256) {
    const std::string& w = words[rng() % 8];
    b.insert(b.end(), w.begin(), w.end());
    if (rng() % 5 == 0) b.push_back(static_cast<uint8_t>(rng()));
  }
  b.resize(size_t{kBigSectors} * 256);
  return b;
}

struct Fixture {
  test::TempDir dir;
  std::string archivePath;
  test::Bytes stream;
  CatalogEntry member;
  std::string pc99Directory;
  CatalogEntry pc99Row;

  Fixture() {
    const test::TiFile big = test::ProgramFile("BIG", MemberData());
    const test::TiFile small = test::DisVarFile("SMALL", 80, {"one", "two"});
    const test::TiFile archive = test::ArchiveFile("BIGARC", {small, big}, true);
    stream = archive.data;
    archivePath = dir.Write("BIGARC", test::V9t9File(archive));
    ArchiveMemoryInput input(ByteView(stream.data(), stream.size()));
    LzwDecoder decoder(input);
    ArchiveDirectory directory;
    ReadCompressedDirectory(decoder, directory);
    member = ArchiveMemberRow(directory.entries[1], 1, true, "BIGARC");

    test::DiskBuilder disk = test::DiskBuilder::Dsdd("BENCH");
    for (int i = 0; i < 20; ++i) disk.Add(test::ProgramFile("P" + std::to_string(i), test::Bytes(60 * 256, static_cast<uint8_t>(i))));
    test::Pc99Options o;
    o.mfm = true;
    o.sectorsPerTrack = 18;
    o.sides = 2;
    o.interleave = test::TiInterleave(true);
    pc99Directory = dir.Mkdir("pc99");
    WriteWholeFile(pc99Directory + "/dsdd.pc99", test::BuildPc99(disk.Build(), o));
    ClassifyPcFile(pc99Directory, "dsdd.pc99", pc99Row);
  }
};

Fixture& Data() {
  static Fixture* f = new Fixture();
  return *f;
}

void BM_ExtractCompressedMember(benchmark::State& state) {
  Fixture& f = Data();
  const std::string out = f.dir.path() + "/big.out";
  for (auto _ : state) {
    if (!ExtractArchiveMember(f.archivePath, f.member, out)) state.SkipWithError("extraction failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kBigSectors * 256);
}
BENCHMARK(BM_ExtractCompressedMember)->Unit(benchmark::kMillisecond);

void BM_DecodeStreamInMemory(benchmark::State& state) {
  Fixture& f = Data();
  size_t decoded = 0;
  for (auto _ : state) {
    ArchiveMemoryInput input(ByteView(f.stream.data(), f.stream.size()));
    LzwDecoder decoder(input);
    ArchiveBlock block;
    size_t length = 0;
    decoded = 0;
    while (decoder.NextBlock(block, length) == LzwDecoder::Status::Block) decoded += length;
    decoded += length;
    benchmark::DoNotOptimize(block);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * decoded));
}
BENCHMARK(BM_DecodeStreamInMemory)->Unit(benchmark::kMillisecond);

void BM_ConvertDsddPc99ToV9t9(benchmark::State& state) {
  Fixture& f = Data();
  const std::string out = f.dir.path() + "/dsdd.dsk";
  for (auto _ : state) {
    if (!ConvertPc99ToV9T9(f.pc99Row, f.pc99Directory, out)) state.SkipWithError("conversion failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1440 * 256);
}
BENCHMARK(BM_ConvertDsddPc99ToV9t9)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
