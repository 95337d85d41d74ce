#include <gtest/gtest.h>

#include <sstream>

#include "platform/pc_file.h"
#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/damage.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace korvane {
namespace {

using test::Bytes;
using test::RunCli;
using test::ShellQuote;

Bytes TwoFiles() {
  return test::DiskBuilder::Sssd("TWO")
      .Add(test::ProgramFile("ALPHA", Bytes(600, 0x41)))
      .Add(test::DisVarFile("BETA", 80, std::vector<std::string>(20, "text")))
      .Build();
}

test::TiFile TwoFilesFile() { return test::ProgramFile("ALPHA", Bytes(600, 0x41)); }

TEST(CheckCli, SoundDirectoryPassesAndDamageIsReportedAsTextOrJson) {
  test::TempDir dir;
  dir.Write("good.dsk", TwoFiles());
  dir.Write("prog.v9t9", test::V9t9File(test::ProgramFile("P", Bytes(300, 1))));
  dir.Write("readme.txt", Bytes(50, 'x'));  // a PC file: passed over
  test::CliResult r = RunCli("check " + ShellQuote(dir.path()));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("good.dsk (DSK): no errors"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("readme.txt"), std::string::npos) << r.out;

  Bytes bad = TwoFiles();
  test::SwapFdirEntries(bad, 1, 0, 1);
  test::SetBitmapBitOfSector(bad, 300, true);
  const std::string path = dir.Write("bad.dsk", bad);
  r = RunCli("check " + ShellQuote(path));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("error: FDIR sector 1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("warning: bitmap"), std::string::npos) << r.out;

  r = RunCli("check --json " + ShellQuote(path));
  EXPECT_EQ(r.status, 1);
  std::istringstream lines(r.out);
  std::string line;
  int objects = 0;
  while (std::getline(lines, line)) {
    ++objects;
    EXPECT_EQ(line.front(), '{') << line;
    EXPECT_EQ(line.back(), '}') << line;
    EXPECT_NE(line.find("\"severity\": "), std::string::npos) << line;
  }
  EXPECT_EQ(objects, 2) << r.out;
  EXPECT_EQ(test::ReadFile(path), bad);  // checking never writes
}

TEST(CheckCli, RepairMendsKeepsBackupAndReportsStatus) {
  test::TempDir dir;
  Bytes bad = TwoFiles();
  test::SwapFdirEntries(bad, 1, 0, 1);
  const std::string path = dir.Write("bad.dsk", bad);
  test::CliResult r = RunCli("check --repair " + ShellQuote(path));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("mended: FDIR: sorted"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadFile(path + ".bak"), bad);
  EXPECT_EQ(RunCli("check " + ShellQuote(path)).status, 0);

  // The backup is there now: a second damaged state refuses to repair.
  PcFile f;
  ASSERT_TRUE(f.Open(path, PcFile::Mode::ReadWrite));
  ASSERT_TRUE(f.WriteAt(0, bad.data(), bad.size()));
  f.Close();
  r = RunCli("check --repair " + ShellQuote(path), "", test::Capture::StdoutAndStderr);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("bad.dsk.bak"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadFile(path), bad);
  r = RunCli("check --json --repair --no-backup " + ShellQuote(path));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\"mended\": true"), std::string::npos) << r.out;

  // 128 files and no end mark cannot be mended: errors stay, status 1.
  const std::string many = dir.Write("many.dsk", test::ImageWithFiles(128));
  EXPECT_EQ(RunCli("check --repair " + ShellQuote(many)).status, 1);
}

TEST(CheckCli, NamedFilesThatAreNoContainerAreErrorsAndBadUsageIsTwo) {
  test::TempDir dir;
  Bytes image = TwoFiles();
  image[14] = 'Q';
  dir.Write("broken.dsk", image);
  dir.Write("short.dsk", Bytes(200, 0));
  test::CliResult r = RunCli("check " + ShellQuote(dir.path()) + " broken.dsk");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("no \"DSK\""), std::string::npos) << r.out;
  // In a directory scan, a file called like an image is reported too.
  r = RunCli("check " + ShellQuote(dir.path()));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("short.dsk"), std::string::npos) << r.out;
  EXPECT_EQ(RunCli("check " + ShellQuote(dir.path() + "/missing.dsk")).status, 1);

  EXPECT_EQ(RunCli("check").status, 2);
  EXPECT_EQ(RunCli("check --no-backup " + ShellQuote(dir.path())).status, 2);
  EXPECT_EQ(RunCli("check --fast " + ShellQuote(dir.path())).status, 2);
  EXPECT_EQ(RunCli("check " + ShellQuote(dir.path() + "/broken.dsk") + " NAME").status, 2);
}

TEST(CheckCli, RmOnADamagedImageRefusesOnceAndWritesNothing) {
  test::TempDir dir;
  Bytes bad = TwoFiles();
  test::SetBitmapBitOfSector(bad, test::FdrSectorOf(bad, "BETA"), false);
  const std::string path = dir.Write("bad.dsk", bad);
  const test::CliResult r = RunCli("rm " + ShellQuote(path) + " ALPHA BETA", "", test::Capture::Stderr);
  EXPECT_EQ(r.status, 1) << r.out;
  size_t refusals = 0;
  for (size_t at = r.out.find("check --repair"); at != std::string::npos; at = r.out.find("check --repair", at + 1))
    ++refusals;
  EXPECT_EQ(refusals, 1u) << r.out;
  EXPECT_EQ(test::ReadFile(path), bad);
}

TEST(CheckCli, HardDisksAndCardsInADirectoryAndInADrive) {
  test::TempDir dir;
  test::HardDiskBuilder hd("HD", 600);
  hd.Root().Add(TwoFilesFile());
  test::HdImage image = hd.Build();
  image.bytes[256 + image.fdrAu["ALPHA"] / 8] &= static_cast<uint8_t>(~(0x80 >> (image.fdrAu["ALPHA"] % 8)));
  const std::string hdPath = dir.Write("disk.hd", image.bytes);
  test::CardLayout layout;
  layout.volumes.push_back(TwoFiles());
  layout.mount = true;
  layout.mounted = {1, 0, 0};
  dir.Write("card.cf7", test::CardImageFile("CARD", layout));

  test::CliResult r = RunCli("check " + ShellQuote(dir.path()));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("disk.hd: error: bitmap sector 1 (ALPHA)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("card.cf7 (CF7A+IMG): no errors"), std::string::npos) << r.out;

  // Hard-disk images are checked, never written.
  r = RunCli("check --repair " + ShellQuote(hdPath), "", test::Capture::StdoutAndStderr);
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("not repaired"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadFile(hdPath), image.bytes);

  // A card image's damaged volume is mended, the card kept as card.cf7.bak.
  test::CardLayout damaged = layout;
  damaged.volumes.push_back(TwoFiles());
  test::SwapFdirEntries(damaged.volumes[1], 1, 0, 1);
  const Bytes card = test::CardImageFile("CARD", damaged);
  const std::string cardPath = dir.Write("damaged.cf7", card);
  r = RunCli("check --repair " + ShellQuote(cardPath));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("error: volume 2 FDIR sector 1"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("mended: volume 2: "), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadFile(cardPath + ".bak"), card);
  EXPECT_EQ(RunCli("check " + ShellQuote(cardPath)).status, 0);

  // A card in a drive, through its stand-in.
  layout.mounted = {1, 5, 0};
  const std::string raw = dir.Write("card.raw", test::RawCard(layout));
  ::setenv("KORVANE_DRIVES", raw.c_str(), 1);
  r = RunCli("check drive:A", dir.path());
  const test::CliResult json = RunCli("check --json drive:A", dir.path());
  ::unsetenv("KORVANE_DRIVES");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("DSK2 is volume 5, but the card holds 1 volumes"), std::string::npos) << r.out;
  EXPECT_NE(json.out.find("\"code\": \"MountRecord\""), std::string::npos) << json.out;
}

}  // namespace
}  // namespace korvane
