#include "fileops/container_check.h"

#include <dirent.h>
#include <sys/wait.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <map>

#include "platform/pc_file.h"
#include "support/arc_builder.h"
#include "support/cli_runner.h"
#include "support/damage.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/pc99_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::PatternedProgram;

std::string Describe(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings) s += FormatFinding(f) + "\n";
  return s;
}

// MAME's imgtool reads the image with its own code: the names it lists.
struct Imgtool {
  int status = -1;
  std::string out;
};
Imgtool ImgtoolDir(const std::string& path) {
  Imgtool r;
  FILE* p = popen(("imgtool dir v9t9 " + test::ShellQuote(path) + " 2>&1").c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}
// The data of a file as imgtool extracts it (a TIFILES file: header, then
// the data sectors).
Bytes ImgtoolGet(const test::TempDir& dir, const std::string& image, const std::string& name) {
  const std::string out = dir.path() + "/got-" + name;
  const std::string cmd = "imgtool get v9t9 " + test::ShellQuote(image) + " " + test::ShellQuote(name) + " " +
                          test::ShellQuote(out) + " >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return {};
  const Bytes got = test::ReadFile(out);
  return got.size() < 128 ? Bytes{} : Bytes(got.begin() + 128, got.end());
}
bool HaveImgtool() { return std::system("command -v imgtool >/dev/null 2>&1") == 0; }

struct RepairCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  // Files after the repair and where their data was before it: the name in
  // the damaged image (or the same name when empty).
  std::map<std::string, std::string> renamed;
};

class FloppyRepair : public ::testing::TestWithParam<RepairCase> {};

TEST_P(FloppyRepair, MendsTheImageKeepsTheOriginalAndEveryFile) {
  test::RecordingReporter reporter;
  const RepairCase& c = GetParam();
  Bytes damaged = test::ThreeFileImage();
  c.damage(damaged);
  test::TempDir dir;
  const std::string path = dir.Write("disk.dsk", damaged);
  ASSERT_GT(CheckPcFile(path, true).report.findings.size(), 0u);

  const RepairOutcome outcome = RepairPcFile(path, true);
  EXPECT_TRUE(outcome.written) << outcome.refusal;
  EXPECT_FALSE(outcome.failed);
  EXPECT_EQ(outcome.after.Errors(), 0) << Describe(outcome.after);
  EXPECT_EQ(test::ReadFile(path + ".bak"), damaged);

  const Bytes repaired = test::ReadFile(path);
  EXPECT_EQ(CheckPcFile(path, true).report.Errors(), 0) << Describe(CheckPcFile(path, true).report);
  EXPECT_EQ(test::CheckFloppyConsistency(repaired), std::vector<std::string>{});
  // Every file reads as it read before the repair.
  std::map<std::string, std::string> files = {{"ALPHA", "ALPHA"}, {"BETA", "BETA"}, {"GAMMA", "GAMMA"}};
  for (const auto& [now, before] : c.renamed) files[now] = before;
  for (const auto& [now, before] : files) {
    if (before.empty()) continue;
    const Bytes want = test::ReadFileThroughChain(before == "*BETA" ? test::ThreeFileImage() : damaged,
                                                  before == "*BETA" ? "BETA" : before);
    EXPECT_EQ(test::ReadFileThroughChain(repaired, now), want) << now;
  }
  if (HaveImgtool()) {
    const Imgtool listing = ImgtoolDir(path);
    EXPECT_EQ(listing.status, 0) << listing.out;
    for (const auto& [now, before] : files) {
      if (before.empty()) continue;
      EXPECT_NE(listing.out.find(now), std::string::npos) << listing.out;
      EXPECT_EQ(ImgtoolGet(dir, path, now), test::ReadFileThroughChain(repaired, now)) << now;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Repairs, FloppyRepair,
    ::testing::Values(
        RepairCase{"bitmap marks an FDR free", [](Bytes& b) { test::SetBitmapBitOfSector(b, 2, false); }, {}},
        RepairCase{"bitmap marks data free and holds lost space",
                   [](Bytes& b) {
                     test::SetBitmapBitOfSector(b, test::FirstDataSector(b, "GAMMA"), false);
                     test::SetBitmapBitOfSector(b, 300, true);
                   },
                   {}},
        RepairCase{"index out of order", [](Bytes& b) { test::SwapFdirEntries(b, 1, 0, 2); }, {}},
        RepairCase{"entry outside the disk", [](Bytes& b) { test::SetFdirEntry(b, 1, 3, 400); }, {}},
        RepairCase{"FDR listed twice", [](Bytes& b) { test::SetFdirEntry(b, 1, 3, 4); }, {}},
        RepairCase{"two files with one name", [](Bytes& b) { test::RenameInFdr(b, 3, "ALPHA"); },
                   {{"ALPHA_2", "*BETA"}, {"BETA", ""}}},
        RepairCase{"name taken and out of order",
                   [](Bytes& b) {
                     test::RenameInFdr(b, 2, "GAMMA");
                     test::SetBitmapBitOfSector(b, 4, false);
                   },
                   {{"GAMMA_2", ""}, {"ALPHA", ""}}},
        RepairCase{"cross-linked data",
                   [](Bytes& b) { test::PointChainAt(b, "GAMMA", test::FirstDataSector(b, "ALPHA")); }, {}},
        RepairCase{"three sides", [](Bytes& b) { b[18] = 3; }, {}},
        RepairCase{"VIB total and geometry", [](Bytes& b) {
                     test::SetVibTotal(b, 720);
                     test::SetVibGeometry(b, 9, 40, 2, 1);
                   }, {}}),
    [](const ::testing::TestParamInfo<RepairCase>& info) {
      std::string n;
      for (const char* p = info.param.name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return n;
    });

TEST(RepairPcFile, RefusesWhenBackupExistsAndLeavesWhatCannotBeMended) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes damaged = test::ThreeFileImage();
  test::SwapFdirEntries(damaged, 1, 0, 1);
  const std::string path = dir.Write("disk.dsk", damaged);
  dir.Write("disk.dsk.bak", {1, 2, 3});
  RepairOutcome outcome = RepairPcFile(path, true);
  EXPECT_TRUE(outcome.failed);
  EXPECT_NE(outcome.refusal.find("disk.dsk.bak"), std::string::npos);
  EXPECT_EQ(test::ReadFile(path), damaged);
  EXPECT_EQ(test::ReadFile(path + ".bak"), (Bytes{1, 2, 3}));

  outcome = RepairPcFile(path, false);  // --no-backup
  EXPECT_TRUE(outcome.written);
  EXPECT_EQ(test::ReadFile(path + ".bak"), (Bytes{1, 2, 3}));

  // 128 files and no end mark: dropping one would lose it, so it stays.
  const std::string many = dir.Write("many.dsk", test::ImageWithFiles(128));
  outcome = RepairPcFile(many, true);
  EXPECT_FALSE(outcome.written);
  EXPECT_TRUE(outcome.after.Has(FindingCode::FdirNoTerminator));
  EXPECT_FALSE(PathExists(many + ".bak"));

  // A cross-link with no free run left for a copy is reported, not mended.
  test::DiskBuilder full = test::DiskBuilder::Sssd("FULL");
  full.Add(PatternedProgram("BIG", 323 * 256, 5)).Add(PatternedProgram("SMALL", 2 * 256, 6));
  Bytes crossed = full.Build();
  test::PointChainAt(crossed, "SMALL", test::FirstDataSector(crossed, "BIG"));
  const std::string crossPath = dir.Write("cross.dsk", crossed);
  outcome = RepairPcFile(crossPath, true);
  EXPECT_TRUE(outcome.after.Has(FindingCode::SharedSector)) << Describe(outcome.after);
}

// Setting the VIB total from the image size brings an index entry that
// pointed past the old end back in range, at a sector holding no file
// record: such a repair would leave the image worse than it found it.
TEST(RepairPcFile, NeverLeavesMoreErrorsThanItFound) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes damaged = test::ThreeFileImage();
  damaged[10] = 0x00;  // total 360 -> 104
  damaged[11] = 0x68;
  damaged[256 + 6] = 0x00;  // a fourth index entry: sector 126
  damaged[256 + 7] = 0x7E;
  std::fill(damaged.begin() + 126 * 256, damaged.begin() + 127 * 256, 0x7E);
  const std::string path = dir.Write("worse.dsk", damaged);
  const ContainerCheck before = CheckPcFile(path, true);
  ASSERT_GT(before.report.Errors(), 0) << Describe(before.report);

  const RepairOutcome outcome = RepairPcFile(path, true);
  const ContainerCheck after = CheckPcFile(path, true);
  EXPECT_LE(after.report.Errors(), before.report.Errors()) << Describe(after.report);
  if (!outcome.written) {
    EXPECT_EQ(test::ReadFile(path), damaged);
    EXPECT_TRUE(outcome.failed);
    EXPECT_NE(outcome.refusal.find("nothing was changed"), std::string::npos) << outcome.refusal;
    EXPECT_FALSE(PathExists(path + ".bak"));
  }
}

TEST(CheckPcFile, TiFilesArchivesAndFilesThatAreNoContainer) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const test::TiFile var = test::DisVarFile("TEXT", 80, std::vector<std::string>(30, "line"));
  EXPECT_TRUE(CheckPcFile(dir.Write("text.v9t9", test::V9t9File(var)), false).report.findings.empty());
  Bytes cut = test::V9t9File(var);
  cut.resize(cut.size() - 256);
  ContainerCheck c = CheckPcFile(dir.Write("cut.v9t9", cut), false);
  ASSERT_TRUE(c.report.Has(FindingCode::HeaderSize));
  EXPECT_EQ(c.report.Errors(), 1) << Describe(c.report);
  Bytes odd = test::TifilesFile(var);
  odd.resize(odd.size() - 100);  // a partial last sector: read as Classic99
  c = CheckPcFile(dir.Write("odd.tfi", odd), false);
  EXPECT_EQ(c.report.Errors(), 0) << Describe(c.report);
  EXPECT_EQ(c.report.Warnings(), 1) << Describe(c.report);

  const std::vector<test::TiFile> members = {var, PatternedProgram("PROG", 900, 9)};
  for (bool compressed : {false, true}) {
    const test::TiFile arc = test::ArchiveFile("ARK", members, compressed);
    c = CheckPcFile(dir.Write("ark.tfi", test::TifilesFile(arc)), false);
    EXPECT_EQ(c.report.kind, "ARC");
    EXPECT_TRUE(c.report.findings.empty()) << Describe(c.report);
  }
  // Forth blocks are DIS/FIX 128 as well, and no archive.
  test::TiFile blocks = test::DisFixFile("BLOCKS", 128, std::vector<std::string>(8, "( a screen ) : WORD 1 2 + ;"));
  c = CheckPcFile(dir.Write("blocks.v9t9", test::V9t9File(blocks)), false);
  EXPECT_EQ(c.report.kind, "TI file");

  // Named files that no longer look like any container.
  Bytes image = test::ThreeFileImage();
  image[13] = 'X';
  c = CheckPcFile(dir.Write("nosig.dsk", image), true);
  ASSERT_EQ(c.report.Errors(), 1);
  EXPECT_EQ(c.report.findings[0].code, FindingCode::NotContainer);
  EXPECT_NE(c.report.findings[0].reason.find("DSK"), std::string::npos);
  c = CheckPcFile(dir.Write("short.dsk", Bytes(100, 0)), true);
  EXPECT_EQ(c.report.Errors(), 1);
  EXPECT_FALSE(CheckPcFile(dir.Write("notes.txt", Bytes(300, 'a')), false).container);
}

TEST(CheckPcFile, Pc99TrackImagesAreCheckedThroughTheirTracksAndNeverRepaired) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes sectors = test::ThreeFileImage();
  const std::string sound = dir.Write("sound.pc99", test::BuildPc99(sectors, {}));
  ContainerCheck c = CheckPcFile(sound, false);
  EXPECT_EQ(c.report.kind, "PC99/SD");
  EXPECT_TRUE(c.report.findings.empty()) << Describe(c.report);

  test::SwapFdirEntries(sectors, 1, 0, 2);
  const Bytes tracks = test::BuildPc99(sectors, {});
  const std::string damaged = dir.Write("damaged.pc99", tracks);
  c = CheckPcFile(damaged, false);
  EXPECT_TRUE(c.report.Has(FindingCode::FdirUnsorted)) << Describe(c.report);
  const RepairOutcome outcome = RepairPcFile(damaged, true);
  EXPECT_TRUE(outcome.failed);
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(test::ReadFile(damaged), tracks);
}

TEST(CheckPcFile, GoodImagesAndFilesFromOtherToolsHaveNoErrors) {
  test::RecordingReporter reporter;
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  int checked = 0;
  for (const char* sub : {"xdt99", "classic99"}) {
    const std::string folder = corpus + "/" + sub;
    DIR* d = opendir(folder.c_str());
    if (!d) continue;
    while (const dirent* e = readdir(d)) {
      const std::string path = folder + "/" + e->d_name;
      if (e->d_name[0] == '.' || !IsRegularFile(path)) continue;
      const ContainerCheck c = CheckPcFile(path, false);
      if (!c.container) continue;
      ++checked;
      EXPECT_EQ(c.report.Errors(), 0) << path << "\n" << Describe(c.report);
    }
    closedir(d);
  }
  EXPECT_GT(checked, 10);
}

}  // namespace
}  // namespace korvane
