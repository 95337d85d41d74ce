#include "floppy/floppy_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "floppy/floppy_repair.h"
#include "support/damage.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::PatternedProgram;

CheckReport Check(const Bytes& image, uint64_t base = 0) {
  test::TempDir dir;
  Bytes file(base, 0xAA);
  file.insert(file.end(), image.begin(), image.end());
  const std::string path = dir.Write("image.dsk", file);
  PcFile f;
  EXPECT_TRUE(f.Open(path, PcFile::Mode::Read));
  ImageFileSectors sectors(f, path, base);
  CheckReport report;
  CheckFloppy(sectors, image.size(), report);
  return report;
}

std::string Describe(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings) s += FormatFinding(f) + "\n";
  return s;
}

TEST(CheckFloppy, ImagesFromTheBuildersHaveNoFindings) {
  test::RecordingReporter reporter;
  test::TiFile frag = test::DisFixFile("FIXED", 64, std::vector<std::string>(40, "record"));
  frag.fragments = {3, 2, 5};
  const std::vector<Bytes> images = {
      test::ThreeFileImage(),
      test::DiskBuilder::Dssd("EMPTY").Build(),
      test::DiskBuilder::Dsdd("DD").Add(frag).Add(PatternedProgram("P", 3000)).Build(),
      test::DiskBuilder::Dsdd80("AU2").Add(frag).Add(PatternedProgram("ODD", 3 * 256)).Build(),
      test::DiskBuilder::Dssd("SUBS")
          .Add(PatternedProgram("ROOT", 300))
          .AddSubdir("UTIL", {PatternedProgram("TOOL", 700), frag})
          .Build(),
      test::ImageWithFiles(127),
  };
  for (const Bytes& image : images) {
    const CheckReport r = Check(image);
    EXPECT_TRUE(r.findings.empty()) << Describe(r);
  }
  EXPECT_TRUE(reporter.errors.empty());
}

struct FaultCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  FindingCode code;
  Severity severity;
  const char* structure;
  int64_t sector;
  const char* file;  // "" when the finding names no file
};

class FloppyFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FloppyFault, IsFoundWithItsSeverityAndPlace) {
  test::RecordingReporter reporter;
  const FaultCase& c = GetParam();
  Bytes image = test::ThreeFileImage();
  c.damage(image);
  for (uint64_t base : {uint64_t{0}, uint64_t{128 + 256 * 3}}) {  // an image, and a volume at an offset
    const CheckReport r = Check(image, base);
    const auto it = std::find_if(r.findings.begin(), r.findings.end(), [&](const Finding& f) { return f.code == c.code; });
    ASSERT_NE(it, r.findings.end()) << c.name << " not found in:\n" << Describe(r);
    EXPECT_EQ(it->severity, c.severity) << FormatFinding(*it);
    EXPECT_EQ(it->structure, c.structure) << FormatFinding(*it);
    EXPECT_EQ(it->sector, c.sector) << FormatFinding(*it);
    EXPECT_EQ(it->file, c.file) << FormatFinding(*it);
    EXPECT_FALSE(it->reason.empty());
  }
}

// The builder puts ALPHA's FDR at 2, BETA's at 3, GAMMA's at 4; data from 34.
INSTANTIATE_TEST_SUITE_P(
    Faults, FloppyFault,
    ::testing::Values(
        FaultCase{"FDR marked free", [](Bytes& b) { test::SetBitmapBitOfSector(b, 2, false); },
                  FindingCode::BitmapClearButUsed, Severity::Error, "bitmap", 0, "ALPHA"},
        FaultCase{"data marked free", [](Bytes& b) { test::SetBitmapBitOfSector(b, test::FirstDataSector(b, "BETA"), false); },
                  FindingCode::BitmapClearButUsed, Severity::Error, "bitmap", 0, "BETA"},
        FaultCase{"unused sector marked used", [](Bytes& b) { test::SetBitmapBitOfSector(b, 300, true); },
                  FindingCode::BitmapSetButUnused, Severity::Warning, "bitmap", 0, ""},
        FaultCase{"index out of order", [](Bytes& b) { test::SwapFdirEntries(b, 1, 0, 2); },
                  FindingCode::FdirUnsorted, Severity::Error, "FDIR", 1, ""},
        FaultCase{"entry outside the disk", [](Bytes& b) { test::SetFdirEntry(b, 1, 3, 400); },
                  FindingCode::FdirOutOfRange, Severity::Error, "FDIR", 1, ""},
        FaultCase{"entry on the index itself", [](Bytes& b) { test::SetFdirEntry(b, 1, 3, 1); },
                  FindingCode::FdirSystemSector, Severity::Error, "FDIR", 1, ""},
        FaultCase{"FDR listed twice", [](Bytes& b) { test::SetFdirEntry(b, 1, 3, 4); },
                  FindingCode::FdirDuplicateSector, Severity::Error, "FDIR", 1, "GAMMA"},
        FaultCase{"two files with one name", [](Bytes& b) { test::RenameInFdr(b, 3, "ALPHA"); },
                  FindingCode::FdirDuplicateName, Severity::Error, "FDIR", 1, "ALPHA"},
        FaultCase{"name with a dot", [](Bytes& b) { test::RenameInFdr(b, 3, "BE.TA"); },
                  FindingCode::FdrName, Severity::Error, "FDR", 3, "BE.TA"},
        FaultCase{"reserved status bit", [](Bytes& b) { b[2 * 256 + 12] |= 0x20; },
                  FindingCode::FdrFlags, Severity::Error, "FDR", 2, "ALPHA"},
        FaultCase{"level-3 count past the sectors", [](Bytes& b) { b[3 * 256 + 18] = 40; },
                  FindingCode::FdrAttributes, Severity::Error, "FDR", 3, "BETA"},
        FaultCase{"cross-linked data", [](Bytes& b) { test::PointChainAt(b, "GAMMA", test::FirstDataSector(b, "ALPHA")); },
                  FindingCode::SharedSector, Severity::Error, "data chain", 34, "GAMMA"},
        FaultCase{"data over an FDR", [](Bytes& b) { test::PointChainAt(b, "BETA", 2); },
                  FindingCode::SharedSector, Severity::Error, "data chain", 2, "BETA"},
        FaultCase{"chain past the disk", [](Bytes& b) { test::PointChainAt(b, "GAMMA", 359); },
                  FindingCode::ChainOutOfRange, Severity::Error, "data chain", 4, "GAMMA"},
        FaultCase{"chain shorter than the count", [](Bytes& b) { b[2 * 256 + 15] += 2; },
                  FindingCode::ChainLength, Severity::Error, "data chain", 2, "ALPHA"},
        FaultCase{"VIB says more than the image holds", [](Bytes& b) { b.resize(300 * 256); },
                  FindingCode::VibTotal, Severity::Error, "VIB", 0, ""},
        FaultCase{"geometry against the total", [](Bytes& b) { test::SetVibGeometry(b, 18, 40, 1, 2); },
                  FindingCode::VibGeometry, Severity::Warning, "VIB", 0, ""},
        FaultCase{"density above 3", [](Bytes& b) { b[19] = 4; },
                  FindingCode::VibGeometry, Severity::Error, "VIB", 0, ""},
        FaultCase{"no DSK signature", [](Bytes& b) { b[13] = 'X'; },
                  FindingCode::NotContainer, Severity::Error, "VIB", 0, ""},
        FaultCase{"past the end marked free", [](Bytes& b) { b[255] = 0; },
                  FindingCode::BitmapPastEnd, Severity::Warning, "bitmap", 0, ""}),
    [](const ::testing::TestParamInfo<FaultCase>& info) {
      std::string n;
      for (const char* p = info.param.name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

TEST(CheckFloppy, IndexWithoutEndMarkAndSubdirectoryFaultsAreFound) {
  test::RecordingReporter reporter;
  CheckReport r = Check(test::ImageWithFiles(128));
  ASSERT_TRUE(r.Has(FindingCode::FdirNoTerminator)) << Describe(r);
  EXPECT_EQ(r.Errors(), 1) << Describe(r);

  Bytes sub = test::DiskBuilder::Dssd("SUBS")
                  .AddSubdir("UTIL", {PatternedProgram("AAA", 300), PatternedProgram("BBB", 300)})
                  .Build();
  const unsigned index = sub[30] << 8 | sub[31];
  test::SwapFdirEntries(sub, index, 0, 1);
  r = Check(sub);
  ASSERT_TRUE(r.Has(FindingCode::FdirUnsorted)) << Describe(r);
  EXPECT_EQ(r.findings[0].sector, index);
  EXPECT_EQ(r.findings[0].structure, "FDIR of UTIL");
}

TEST(FindWriteHazard, NamesOnlyWhatEndangersTheWrite) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  auto hazard = [&](const Bytes& image, const std::string& target) {
    const std::string path = dir.Write("h.dsk", image);
    PcFile f;
    EXPECT_TRUE(f.Open(path, PcFile::Mode::Read));
    ImageFileSectors sectors(f, path);
    return FindWriteHazard(sectors, 1, target);
  };
  EXPECT_FALSE(hazard(test::ThreeFileImage(), "ALPHA"));
  Bytes lost = test::ThreeFileImage();
  test::SetBitmapBitOfSector(lost, 300, true);  // lost space: harmless
  lost[3 * 256 + 18] = 40;                      // another file's odd level-3 count: harmless
  EXPECT_FALSE(hazard(lost, "ALPHA"));
  Bytes cross = test::ThreeFileImage();
  test::PointChainAt(cross, "GAMMA", test::FirstDataSector(cross, "ALPHA"));
  EXPECT_FALSE(hazard(cross, "BETA"));  // renaming BETA harms nobody
  ASSERT_TRUE(hazard(cross, "ALPHA"));  // deleting ALPHA would free GAMMA's sectors
  EXPECT_EQ(hazard(cross, "ALPHA")->code, FindingCode::SharedSector);
  Bytes unsorted = test::ThreeFileImage();
  test::SwapFdirEntries(unsorted, 1, 0, 1);
  ASSERT_TRUE(hazard(unsorted, "NEW"));
  EXPECT_EQ(hazard(unsorted, "NEW")->code, FindingCode::FdirUnsorted);
}

// Writes through to an image file until the chosen write, which fails.
class FailingWrites : public SectorSource {
 public:
  FailingWrites(SectorSource& base, int failAt) : base_(base), failAt_(failAt) {}
  bool ReadSector(uint32_t n, Sector& out) override { return base_.ReadSector(n, out); }
  bool WriteSector(uint32_t n, const Sector& in) override {
    if (++writes_ == failAt_) return SectorSource::WriteSector(n, in);  // reports and refuses
    return base_.WriteSector(n, in);
  }
  const std::string& Name() const override { return base_.Name(); }

 private:
  SectorSource& base_;
  int failAt_;
  int writes_ = 0;
};

TEST(CommitRepair, AFailedWritePutsBackWhatWasWritten) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes damaged = test::ThreeFileImage();
  test::SwapFdirEntries(damaged, 1, 0, 2);
  test::SetBitmapBitOfSector(damaged, 2, false);
  test::RenameInFdr(damaged, 3, "ALPHA");
  const std::string path = dir.Write("d.dsk", damaged);
  PcFile f;
  ASSERT_TRUE(f.Open(path, PcFile::Mode::ReadWrite));
  ImageFileSectors sectors(f, path);
  const RepairPlan plan = PlanFloppyRepair(sectors, damaged.size());
  ASSERT_EQ(plan.writes.size(), 3u);  // the renamed FDR, the index, the VIB
  EXPECT_EQ(plan.after.Errors(), 0) << Describe(plan.after);
  EXPECT_EQ(test::ReadFile(path), damaged);  // planning writes nothing
  for (int failAt = 1; failAt <= 3; ++failAt) {
    FailingWrites failing(sectors, failAt);
    EXPECT_FALSE(CommitRepair(failing, plan));
    EXPECT_EQ(test::ReadFile(path), damaged) << "failing write " << failAt;
  }
  EXPECT_TRUE(CommitRepair(sectors, plan));
  const CheckReport after = Check(test::ReadFile(path));
  EXPECT_TRUE(after.findings.empty()) << Describe(after);
}

TEST(PlanFloppyRepair, MendsSubdirectoriesAndVolumesAtAnOffsetLikeTheRoot) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes image = test::DiskBuilder::Dssd("SUBS")
                    .Add(PatternedProgram("ROOT", 300))
                    .AddSubdir("UTIL", {PatternedProgram("AAA", 300, 2), PatternedProgram("BBB", 700, 3),
                                        PatternedProgram("CCC", 100, 4)})
                    .Build();
  const unsigned index = image[30] << 8 | image[31];
  test::SwapFdirEntries(image, index, 0, 2);
  test::SetBitmapBitOfSector(image, index, false);
  const uint64_t base = 128 + 256 * 5;  // where a card volume would start
  Bytes file(base, 0x55);
  file.insert(file.end(), image.begin(), image.end());
  const std::string path = dir.Write("card.img", file);
  PcFile f;
  ASSERT_TRUE(f.Open(path, PcFile::Mode::ReadWrite));
  ImageFileSectors sectors(f, path, base);
  const RepairPlan plan = PlanFloppyRepair(sectors, image.size());
  EXPECT_EQ(plan.after.Errors(), 0) << Describe(plan.after);
  ASSERT_TRUE(CommitRepair(sectors, plan));
  const Bytes after = test::ReadFile(path);
  EXPECT_TRUE(std::equal(after.begin(), after.begin() + static_cast<std::ptrdiff_t>(base), file.begin()));
  const Bytes repaired(after.begin() + static_cast<std::ptrdiff_t>(base), after.end());
  EXPECT_EQ(test::CheckFloppyConsistency(repaired), std::vector<std::string>{});
  EXPECT_TRUE(Check(repaired).findings.empty()) << Describe(Check(repaired));
}

TEST(FreeDuplicateName, AddsANumberWithinTenCharacters) {
  EXPECT_EQ(FreeDuplicateName("ALPHA     ", {"ALPHA     "}), "ALPHA_2   ");
  EXPECT_EQ(FreeDuplicateName("ALPHA     ", {"ALPHA     ", "ALPHA_2   "}), "ALPHA_3   ");
  EXPECT_EQ(FreeDuplicateName("ABCDEFGHIJ", {"ABCDEFGHIJ"}), "ABCDEFGH_2");
}

}  // namespace
}  // namespace korvane
