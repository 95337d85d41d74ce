// korvane-cli export from the locations `dir` lists: archive members (an
// archive kept as a PC file, and ones inside a sector image and a track
// image) and TI files kept as PC files.
#include <gtest/gtest.h>

#include <string>

#include "support/arc_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/pc99_builder.h"

namespace korvane {
namespace {

using test::Bytes;

std::string Q(const std::string& s) { return test::ShellQuote(s); }

std::vector<test::TiFile> Members() {
  test::TiFile notes = test::DisVarFile("NOTES", 80, {"one", "two"});
  notes.status |= 0x10;  // modified since the last backup: kept by the archive
  return {notes, test::ProgramFile("BIG", Bytes(3 * 256, 0x33))};
}

TEST(ExportCli, ArchiveMembersExportFromAPcFileAndFromInsideAnImage) {
  test::TempDir dir;
  dir.Write("PLAIN", test::V9t9File(test::ArchiveFile("PLAIN", Members(), false)));
  const Bytes carrier = test::DiskBuilder::Dssd("CARRIER").Add(test::ArchiveFile("PACKED", Members(), true)).Build();
  dir.Write("carrier.dsk", carrier);
  test::Pc99Options twoSides;
  twoSides.sides = 2;
  dir.Write("carrier.pc99", test::BuildPc99(carrier, twoSides));
  for (const std::string& location :
       {dir.path() + "/PLAIN", dir.path() + "/carrier.dsk::PACKED", dir.path() + "/carrier.pc99::PACKED"}) {
    const test::CliResult listed = test::RunCli("dir " + Q(location));
    ASSERT_EQ(listed.status, 0) << location;
    ASSERT_NE(listed.out.find("NOTES"), std::string::npos) << listed.out;

    const std::string out = dir.path() + "/out";
    const test::CliResult v9t9 = test::RunCli("export " + Q(location) + " NOTES " + Q(out), "", test::Capture::Stderr);
    ASSERT_EQ(v9t9.status, 0) << location << ": " << v9t9.out;
    EXPECT_EQ(test::ReadFile(out), test::V9t9File(Members()[0])) << location;

    const test::CliResult tifiles =
        test::RunCli("export " + Q(location) + " BIG " + Q(out) + " --tifiles", "", test::Capture::Stderr);
    ASSERT_EQ(tifiles.status, 0) << location << ": " << tifiles.out;
    const Bytes big = test::ReadFile(out);
    ASSERT_EQ(big.size(), 128u + 3 * 256);
    EXPECT_EQ(std::string(big.begin() + 1, big.begin() + 8), "TIFILES");
    EXPECT_EQ(Bytes(big.begin() + 128, big.end()), Bytes(3 * 256, 0x33));
  }
}

TEST(ExportCli, TiFilesOfAPcDirectoryExportWithTheHeaderAskedFor) {
  test::TempDir dir;
  test::TiFile notes = Members()[0];
  dir.Write("notes.tfi", test::TifilesFile(notes));
  const std::string out = dir.path() + "/out";
  const test::CliResult r = test::RunCli("export " + Q(dir.path()) + " notes.tfi " + Q(out), "", test::Capture::Stderr);
  ASSERT_EQ(r.status, 0) << r.out;
  notes.status &= 0x8B;  // exported as from a disk
  EXPECT_EQ(test::ReadFile(out), test::V9t9File(notes));
  const test::CliResult onto = test::RunCli("export " + Q(dir.path()) + " notes.tfi " + Q(dir.path() + "/notes.tfi"),
                                            "", test::Capture::Stderr);
  EXPECT_NE(onto.status, 0);
  EXPECT_EQ(test::ReadFile(dir.path() + "/notes.tfi"), test::TifilesFile(Members()[0]));
}

}  // namespace
}  // namespace korvane
