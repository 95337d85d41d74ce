#include "floppy/v9t9_write.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/header.h"
#include "floppy/v9t9.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

NewFileAttributes AttributesOf(const test::TiFile& f) {
  NewFileAttributes a;
  a.tiName = f.name;
  a.tiName.resize(10, ' ');
  a.status = f.status;
  a.recordsPerSector = f.recordsPerSector;
  a.totalSectors = f.Sectors();
  a.eofOffset = f.eofOffset;
  a.recordLength = f.recordLength;
  a.level3 = f.level3;
  return a;
}

test::TiFile Program(const std::string& name, size_t bytes, uint8_t seed = 1) {
  Bytes image(bytes);
  for (size_t i = 0; i < bytes; ++i) image[i] = static_cast<uint8_t>(i * 31 + seed);
  return test::ProgramFile(name, image);
}

// An image file opened for writing, as the file commands hold it.
class Image {
 public:
  Image(const test::TempDir& dir, const Bytes& bytes) : path_(dir.Write("disk.dsk", bytes)) {
    EXPECT_TRUE(file_.Open(path_, PcFile::Mode::ReadWrite));
  }
  FloppyVolume& Load(SectorSource* sectors = nullptr) {
    EXPECT_TRUE(LoadFloppyVolume(sectors ? *sectors : sectors_, 1, volume_));
    return volume_;
  }
  Bytes Bytes_() const { return test::ReadFile(path_); }
  const std::string& path() const { return path_; }
  ImageFileSectors& sectors() { return sectors_; }

 private:
  std::string path_;
  PcFile file_;
  ImageFileSectors sectors_{file_, path_};
  FloppyVolume volume_;
};

AddResult Add(FloppyVolume& volume, const test::TempDir& dir, const test::TiFile& f,
              Answer overwrite = Answer::No) {
  const std::string pc = dir.Write(f.name + ".v9t9", test::V9t9File(f));
  AddFileRequest r;
  r.file = AttributesOf(f);
  r.askOverwrite = [=] { return overwrite; };
  r.source = [=](std::string& path) {
    path = pc;
    return true;
  };
  return AddFile(volume, r);
}

TEST(AllocateRun, FirstRunLongEnoughElseLongestEarlierWinsTie) {
  Sector v{};
  auto mark = [&](unsigned from, unsigned to) {
    for (unsigned u = from; u <= to; ++u) BitmapSet(v, u, true);
  };
  mark(0, 33);
  mark(37, 37);   // free 34-36 (3)
  mark(41, 41);   // free 38-40 (3)
  mark(47, 1599); // free 42-46 (5)
  AuRun r = AllocateRun(v, 4, 34, 1600);
  EXPECT_EQ(r.start, 42u);
  EXPECT_EQ(r.length, 4u);
  r = AllocateRun(v, 10, 34, 1600);  // 34-36 and 38-40 tie at 3; 46 is one
  EXPECT_EQ(r.start, 34u);
  EXPECT_EQ(r.length, 3u);
  EXPECT_TRUE(BitmapTest(ByteView(v.data(), v.size()), 36));
  r = AllocateRun(v, 2, 34, 40);  // the limit cuts 38-40 to 38-39
  EXPECT_EQ(r.start, 38u);
  EXPECT_EQ(r.length, 2u);
  r = AllocateRun(v, 5, 34, 40);
  EXPECT_EQ(r.length, 0u);
}

TEST(AddFile, NewSssdImagePutsFdrAtTwoDataAtThirtyFourAndReadsBack) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, test::DiskBuilder::Sssd("NEW").Build());
  const test::TiFile one = Program("ONE", 200);
  ASSERT_EQ(Add(image.Load(), dir, one), AddResult::Added);
  const Bytes b = image.Bytes_();
  EXPECT_EQ(test::RootIndex(b), std::vector<unsigned>{2});
  EXPECT_EQ(b[2 * 256 + 28], 34);  // chain start
  Bytes expected = one.data;
  expected.resize(256, 0);
  EXPECT_EQ(test::ReadFileThroughChain(b, "ONE"), expected);
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
  test::ExpectImgtoolReads(image.path(), {test::Expect(one)});
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(AddFile, EveryFileTypeAndEmptyFileKeepsAttributesAndIndexSorted) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, test::DiskBuilder::Dssd("NEW").Build());
  test::TiFile var = test::DisVarFile("GAMMA", 80, std::vector<std::string>(30, "a line of text"));
  test::TiFile fix = test::DisFixFile("ALPHA", 128, {"x", "y", "z"});
  test::TiFile ivar = var;
  ivar.name = "BETA";
  ivar.status = 0x82;
  test::TiFile ifix = fix;
  ifix.name = "DELTA";
  ifix.status = 0x02;
  test::TiFile empty = test::DisVarFile("EMPTY", 80, {});
  empty.data.clear();
  empty.level3 = 0;
  const test::TiFile prog = Program("PROG", 1000);
  const std::vector<const test::TiFile*> files = {&var, &fix, &ivar, &ifix, &empty, &prog};
  FloppyVolume& volume = image.Load();
  for (const test::TiFile* f : files) ASSERT_EQ(Add(volume, dir, *f), AddResult::Added);

  const Bytes b = image.Bytes_();
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
  std::vector<std::string> names;
  for (unsigned s : test::RootIndex(b)) {
    names.emplace_back(b.begin() + s * 256, b.begin() + s * 256 + 10);
    const std::string name = TrimTiName(names.back());
    for (const test::TiFile* f : files) {
      if (f->name != name) continue;
      // The FDR carries the same attributes the builder's FDR does (chain aside).
      const Bytes want = test::MakeFdr(*f);
      EXPECT_EQ(Bytes(b.begin() + s * 256, b.begin() + s * 256 + 28), Bytes(want.begin(), want.begin() + 28)) << name;
      Bytes data = f->data;
      data.resize(f->Sectors() * 256u, 0);
      EXPECT_EQ(test::ReadFileThroughChain(b, name), data) << name;
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"ALPHA     ", "BETA      ", "DELTA     ", "EMPTY     ", "GAMMA     ",
                                              "PROG      "}));
  const unsigned emptyFdr = test::RootIndex(b)[3];
  EXPECT_EQ(b[emptyFdr * 256 + 28], 0);  // no chain entries
  std::vector<test::ExpectedTiFile> expected;
  for (const test::TiFile* f : files) expected.push_back(test::Expect(*f));
  test::ExpectImgtoolReads(image.path(), expected);
}

TEST(AddFile, DataStartsAtAllocationUnitThirtyFour) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  for (auto [builder, firstData, fdr] : {std::tuple{test::DiskBuilder::Dsdd("A"), 34u, 2u},
                                         std::tuple{test::DiskBuilder::Dsdd80("B"), 68u, 2u}}) {
    Image image(dir, builder.Build());
    ASSERT_EQ(Add(image.Load(), dir, Program("P", 600)), AddResult::Added);
    const Bytes b = image.Bytes_();
    EXPECT_EQ(test::RootIndex(b), std::vector<unsigned>{fdr});
    EXPECT_EQ(b[fdr * 256 + 28], firstData);
    EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
    test::ExpectImgtoolReads(image.path(), {test::Expect(Program("P", 600))});
  }
}

// A disk whose free space is a comb of `holes` one-sector gaps.
Bytes CombDisk(unsigned holes) {
  test::DiskBuilder disk = test::DiskBuilder::Sssd("COMB");
  Bytes b = disk.Build();
  for (unsigned u = 34; u < 360; ++u) b[56 + u / 8] |= static_cast<uint8_t>(1u << (u % 8));
  for (unsigned i = 0; i < holes; ++i) {
    const unsigned u = 40 + 2 * i;
    b[56 + u / 8] &= static_cast<uint8_t>(~(1u << (u % 8)));
  }
  return b;
}

TEST(AddFile, FragmentedDiskGetsFragmentedChainThatReadsBack) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, CombDisk(75));
  const test::TiFile big = Program("BIG", 75 * 256 - 10);
  ASSERT_EQ(Add(image.Load(), dir, big), AddResult::Added);
  const Bytes b = image.Bytes_();
  const unsigned fdr = test::RootIndex(b)[0];
  EXPECT_NE(b[fdr * 256 + 28 + 3 * 74], 0);  // all 75 entries used
  Bytes expected = big.data;
  expected.resize(75 * 256, 0);
  EXPECT_EQ(test::ReadFileThroughChain(b, "BIG"), expected);
  test::ExpectImgtoolReads(image.path(), {test::Expect(big)});
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(AddFile, LimitsLeaveTheImageUnchanged) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  {
    Image image(dir, CombDisk(80));
    const Bytes before = image.Bytes_();
    EXPECT_EQ(Add(image.Load(), dir, Program("BIG", 76 * 256)), AddResult::Stop);
    EXPECT_EQ(image.Bytes_(), before);
    EXPECT_EQ(reporter.errors, std::vector<std::string>{"To many fragments for file <BIG       >"});
  }
  reporter.errors.clear();
  {
    test::DiskBuilder full = test::DiskBuilder::Dsdd("FULL");
    for (int i = 0; i < 127; ++i) full.Add(test::DisFixFile(fmt::sprintf("F%03d", i), 80, {}));
    Image image(dir, full.Build());
    const Bytes before = image.Bytes_();
    EXPECT_EQ(Add(image.Load(), dir, Program("ONEMORE", 10)), AddResult::Skipped);
    EXPECT_EQ(image.Bytes_(), before);
    EXPECT_EQ(reporter.errors, std::vector<std::string>{"DSK is full <" + image.path() + ">"});
  }
  reporter.errors.clear();
  {
    Image image(dir, CombDisk(3));
    const Bytes before = image.Bytes_();
    EXPECT_EQ(Add(image.Load(), dir, Program("BIG", 4 * 256)), AddResult::Stop);
    EXPECT_EQ(image.Bytes_(), before);
    EXPECT_EQ(reporter.errors, std::vector<std::string>{"DSK is full <" + image.path() + ">"});
  }
}

TEST(AddFile, SourceShorterThanItsHeaderLeavesImageAsItWas) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, test::DiskBuilder::Sssd("NEW").Add(Program("KEEP", 300)).Build());
  const Bytes before = image.Bytes_();
  test::TiFile f = Program("SHORT", 1000);
  Bytes pc = test::V9t9File(f);
  pc.resize(128 + 2 * 256 + 100);  // header says 4 sectors
  const std::string path = dir.Write("short.v9t9", pc);
  AddFileRequest r;
  r.file = AttributesOf(f);
  r.source = [&](std::string& p) {
    p = path;
    return true;
  };
  EXPECT_EQ(AddFile(image.Load(), r), AddResult::Stop);
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"Can't read sector <2> from <" + path + ">"});
  // Sectors no file owns may have changed; the file system did not.
  const Bytes after = image.Bytes_();
  EXPECT_EQ(Bytes(after.begin(), after.begin() + 512), Bytes(before.begin(), before.begin() + 512));
  EXPECT_EQ(test::CheckFloppyConsistency(after), std::vector<std::string>{});

  // A Classic99 source may end inside its last sector: it is padded.
  reporter.errors.clear();
  r.classic99 = true;
  EXPECT_EQ(AddFile(image.Load(), r), AddResult::Stop);  // sector 3 is missing altogether
  pc.resize(128 + 3 * 256 + 100);
  dir.Write("short.v9t9", pc);
  reporter.errors.clear();
  EXPECT_EQ(AddFile(image.Load(), r), AddResult::Added);
  Bytes expected(pc.begin() + 128, pc.end());
  expected.resize(4 * 256, 0);
  EXPECT_EQ(test::ReadFileThroughChain(image.Bytes_(), "SHORT"), expected);
  test::TiFile shortFile = f;
  shortFile.data = expected;
  test::ExpectImgtoolReads(image.path(), {test::Expect(Program("KEEP", 300)), test::Expect(shortFile)});
}

// Sectors whose writes fail from the n-th write on, once.
class FailingSectors : public SectorSource {
 public:
  FailingSectors(SectorSource& inner, uint32_t failSector) : inner_(inner), failSector_(failSector) {}
  bool ReadSector(uint32_t n, Sector& out) override { return inner_.ReadSector(n, out); }
  bool WriteSector(uint32_t n, const Sector& in) override {
    if (n == failSector_ && !failed_) {
      failed_ = true;
      Sector garbage;
      garbage.fill(0x5A);
      inner_.WriteSector(n, garbage);  // half written
      return SectorSource::WriteSector(n, in);  // reports and refuses
    }
    return inner_.WriteSector(n, in);
  }
  const std::string& Name() const override { return inner_.Name(); }

 private:
  SectorSource& inner_;
  uint32_t failSector_;
  bool failed_ = false;
};

TEST(AddFile, FailedMetadataWriteIsUndone) {
  for (uint32_t failing : {0u, 1u}) {  // the VIB, then the file index
    test::RecordingReporter reporter;
    test::TempDir dir;
    Image image(dir, test::DiskBuilder::Sssd("NEW").Add(Program("KEEP", 300)).Build());
    const Bytes before = image.Bytes_();
    FailingSectors failingSectors(image.sectors(), failing);
    EXPECT_EQ(Add(image.Load(&failingSectors), dir, Program("NEWFILE", 700)), AddResult::Stop);
    const Bytes after = image.Bytes_();
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 512), Bytes(before.begin(), before.begin() + 512));
    EXPECT_EQ(test::CheckFloppyConsistency(after), std::vector<std::string>{});
    EXPECT_EQ(reporter.errors.size(), 1u);
  }
}

TEST(AddFile, OverwriteAnswers) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, test::DiskBuilder::Sssd("NEW").Add(Program("SAME", 3000, 1)).Build());
  const Bytes before = image.Bytes_();
  EXPECT_EQ(Add(image.Load(), dir, Program("SAME", 500, 2), Answer::No), AddResult::Skipped);
  EXPECT_EQ(Add(image.Load(), dir, Program("SAME", 500, 2), Answer::Cancel), AddResult::Stop);
  EXPECT_EQ(image.Bytes_(), before);
  const test::TiFile replacement = Program("SAME", 500, 2);
  EXPECT_EQ(Add(image.Load(), dir, replacement, Answer::Yes), AddResult::Added);
  const Bytes b = image.Bytes_();
  EXPECT_EQ(test::RootIndex(b), std::vector<unsigned>{2});  // same FDR sector
  Bytes expected = replacement.data;
  expected.resize(512, 0);
  EXPECT_EQ(test::ReadFileThroughChain(b, "SAME"), expected);
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});  // old sectors freed
  test::ExpectImgtoolReads(image.path(), {test::Expect(replacement)});
}

TEST(DeleteAndRename, KeepTheFileSystemConsistent) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Image image(dir, test::DiskBuilder::Sssd("NEW")
                       .Add(Program("ALPHA", 600))
                       .Add(Program("BETA", 600))
                       .Add(Program("GAMMA", 600))
                       .Build());
  FloppyVolume& volume = image.Load();
  const unsigned betaFdr = test::RootIndex(image.Bytes_())[1];
  ASSERT_TRUE(DeleteFile(volume, "BETA      "));
  Bytes b = image.Bytes_();
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
  EXPECT_EQ(test::RootIndex(b).size(), 2u);
  EXPECT_TRUE(std::all_of(b.begin() + betaFdr * 256, b.begin() + betaFdr * 256 + 256, [](uint8_t c) { return c == 0xE5; }));
  EXPECT_FALSE(DeleteFile(volume, "BETA      "));
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"File <BETA      > doesn't exist"});

  reporter.errors.clear();
  EXPECT_FALSE(RenameFile(volume, "ALPHA", "GAMMA"));
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"File <GAMMA     > allready exist"});
  ASSERT_TRUE(RenameFile(volume, "ALPHA", "ZULU"));
  ASSERT_TRUE(RenameFile(volume, "GAMMA", "BRAVO"));
  b = image.Bytes_();
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
  std::vector<std::string> names;
  for (unsigned s : test::RootIndex(b)) names.emplace_back(b.begin() + s * 256, b.begin() + s * 256 + 10);
  EXPECT_EQ(names, (std::vector<std::string>{"BRAVO     ", "ZULU      "}));
  test::ExpectImgtoolReads(image.path(),
                           {test::Expect(Program("GAMMA", 600), "BRAVO"), test::Expect(Program("ALPHA", 600), "ZULU")});
}

struct GeometryCase {
  NewImageGeometry geometry;
  unsigned free;  // bitmap bits clear on a new disk
};

class NewImage : public testing::TestWithParam<GeometryCase> {};

TEST_P(NewImage, IsEmptyConsistentAndListsItsFreeSpace) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const GeometryCase& c = GetParam();
  const std::string path = dir.path() + "/new.dsk";
  ASSERT_TRUE(WriteNewImage(path, "work", c.geometry, NoProgress()));
  const Bytes b = test::ReadFile(path);
  ASSERT_EQ(b.size(), c.geometry.totalSectors * 256u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 10), "WORK      ");
  EXPECT_EQ(b[16], ' ');
  EXPECT_TRUE(std::all_of(b.begin() + 256, b.begin() + 512, [](uint8_t x) { return x == 0; }));
  EXPECT_TRUE(std::all_of(b.begin() + 512, b.end(), [](uint8_t x) { return x == 0xE5; }));
  DiskSummary s;
  ASSERT_EQ(RecogniseFloppy(ByteView(b.data(), 256), nullptr, s), kKindDsk);
  EXPECT_EQ(s.free, c.free);
  EXPECT_EQ(s.tracksPerSide, c.geometry.tracksPerSide);
  EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
  test::ExpectImgtoolReads(path, {});
}

INSTANTIATE_TEST_SUITE_P(SixGeometries, NewImage,
                         testing::Values(GeometryCase{{360, 9, 40, 1, 1}, 358}, GeometryCase{{720, 9, 40, 2, 1}, 718},
                                         GeometryCase{{1440, 18, 40, 2, 2}, 1438},
                                         GeometryCase{{1600, 20, 40, 2, 1}, 1598},
                                         GeometryCase{{1440, 9, 80, 2, 1}, 1438},
                                         GeometryCase{{2880, 18, 80, 2, 2}, 1439}));

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(AddFile, OverwriteOnAFullDiskReusesTheOldSectors) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes b = test::DiskBuilder::Sssd("FULL").Add(Program("SAME", 20 * 256, 1)).Build();
  for (unsigned u = 0; u < 360; ++u)
    if (u < 34 || u >= 54) b[56 + u / 8] |= static_cast<uint8_t>(1u << (u % 8));  // only SAME's sectors left
  Image image(dir, b);
  const test::TiFile replacement = Program("SAME", 20 * 256, 7);
  EXPECT_EQ(Add(image.Load(), dir, replacement, Answer::Yes), AddResult::Added);
  EXPECT_EQ(test::ReadFileThroughChain(image.Bytes_(), "SAME"), replacement.data);
  test::ExpectImgtoolReads(image.path(), {test::Expect(replacement)});
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// Density 3 disks keep chain starts divided by four, so every fragment must
// start on a sector that is a multiple of 4 whatever the AU size.
TEST(AllocateRun, AlignedRunsStartOnTheAlignmentAndSkipShorterHoles) {
  Sector v{};
  for (unsigned u = 0; u < 34; ++u) BitmapSet(v, u, true);
  BitmapSet(v, 38, true);  // free 34-37, 39-...
  AuRun r = AllocateRun(v, 3, 34, 1440, 4);
  EXPECT_EQ(r.start, 40u);  // 36-37 is too short, 39 is not aligned
  EXPECT_EQ(r.length, 3u);
  r = AllocateRun(v, 10, 34, 47, 4);  // aligned starts left: 36-37 and 44-46; the longer wins
  EXPECT_EQ(r.start, 44u);
  EXPECT_EQ(r.length, 3u);
  r = AllocateRun(v, 5, 34, 47, 4);
  EXPECT_EQ(r.start, 36u);
  EXPECT_EQ(r.length, 2u);
  r = AllocateRun(v, 1, 34, 47, 4);  // 34, 35, 39 and 43 are free but none is aligned
  EXPECT_EQ(r.length, 0u);
  EXPECT_FALSE(BitmapTest(ByteView(v.data(), v.size()), 39));
}

TEST(AddFile, DensityThreeDisksGetChainStartsOnMultiplesOfFour) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  // One sector per AU (1440 sectors, one side) and two per AU (2880 sectors).
  for (const test::DiskBuilder& builder :
       {test::DiskBuilder("HD", 1440, 36, 40, 1, 3), test::DiskBuilder("HD", 2880, 36, 40, 2, 3)}) {
    Image image(dir, builder.Build());
    FloppyVolume& volume = image.Load();
    const test::TiFile one = Program("ONE", 5 * 256, 3), two = Program("TWO", 700, 5);
    ASSERT_EQ(Add(volume, dir, one), AddResult::Added);
    ASSERT_EQ(Add(volume, dir, two), AddResult::Added);
    const Bytes b = image.Bytes_();
    EXPECT_EQ(test::CheckFloppyConsistency(b), std::vector<std::string>{});
    EXPECT_EQ(test::ReadFileThroughChain(b, "ONE"), one.data);
    Bytes expected = two.data;
    expected.resize(3 * 256, 0);
    EXPECT_EQ(test::ReadFileThroughChain(b, "TWO"), expected);
    EXPECT_TRUE(reporter.errors.empty()) << reporter.errors.front();
  }
}

}  // namespace
}  // namespace korvane
