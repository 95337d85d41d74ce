#include "archive/arc_commands.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/arc_pane.h"
#include "catalog/header.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"
#include "support/arc_builder.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"
#include "support/pc99_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::TiFile;

// A member LZW cannot shrink: a compressed archive of small files alone
// would take one sector, and extract and convert take archives of two or more.
TiFile Noise() {
  Bytes data(1024);
  uint32_t x = 12345;
  for (uint8_t& b : data) b = static_cast<uint8_t>((x = x * 1103515245u + 12345u) >> 24);
  return test::ProgramFile("NOISE", data);
}

std::vector<TiFile> Members(unsigned bigSectors) {
  return {test::DisVarFile("NOTES", 80, {"one", "two"}), test::ProgramFile("BIG", Bytes(bigSectors * 256, 0x33))};
}

class ArchiveCommands : public testing::Test {
 protected:
  void SetUp() override {
    from_ = dir_.Mkdir("from");
    to_ = dir_.Mkdir("to");
  }
  void Open(PaneState& source, PaneState& dest) {
    source = PaneState{};
    dest = PaneState{};
    source.locationPath = from_;
    dest.locationPath = to_;
    ASSERT_TRUE(ReadLocation(source));
    ASSERT_TRUE(ReadLocation(dest));
  }
  int Row(const PaneState& pane, const std::string& name) {
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == name) return i;
    return -1;
  }
  test::TempDir dir_;
  std::string from_, to_;
  test::RecordingReporter reporter_;
};

TEST_F(ArchiveCommands, ExtractAllMakesNumberedDirectoriesForArchivesAndImages) {
  WriteWholeFile(from_ + "/ARCHIVE1", test::V9t9File(test::ArchiveFile("ARCHIVE1", Members(3), false)));
  const Bytes disk = test::DiskBuilder::Sssd("FLOPPY").Add(test::ProgramFile("HELLO", Bytes(300, 7))).Build();
  test::Pc99Options o;
  WriteWholeFile(from_ + "/track.pc99", test::BuildPc99(disk, o));
  WriteWholeFile(from_ + "/other.txt", Bytes(50, 'x'));
  PaneState source, dest;
  Open(source, dest);
  source.cursor = Row(source, "ARCHIVE1");
  EXPECT_EQ(ExtractAllText(source), "Extract ARC or DSK files of <ARCHIVE1> to");

  for (int round = 0; round < 3; ++round) {
    source.cursor = Row(source, "ARCHIVE1");
    EXPECT_EQ(ExtractAll(source, dest, NoProgress(), NoProgress()), 1);
  }
  EXPECT_EQ(test::ReadFile(to_ + "/ARCHIVE1/BIG"), test::V9t9File(Members(3)[1]));
  EXPECT_TRUE(IsRegularFile(to_ + "/ARCHIVE1(1)/NOTES"));
  EXPECT_TRUE(IsRegularFile(to_ + "/ARCHIVE1(2)/NOTES"));

  for (CatalogEntry& r : source.rows) r.marked = true;
  EXPECT_EQ(ExtractAllText(source), "Extract 3 ARC or DSK files to");
  EXPECT_EQ(ExtractAll(source, dest, NoProgress(), NoProgress()), 2);  // the text file is passed over
  EXPECT_EQ(test::ReadFile(to_ + "/FLOPPY/HELLO"), test::V9t9File(test::ProgramFile("HELLO", Bytes(300, 7))));
  EXPECT_EQ(dest.RowCount(), 5);  // re-read: ARCHIVE1, (1), (2), (3) and FLOPPY
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(ArchiveCommands, TheDestinationMustBeADirectory) {
  PaneState source, dest;
  Open(source, dest);
  dest.locationType = kLocFloppy;
  EXPECT_FALSE(CheckExtractAll(dest));
  EXPECT_FALSE(CheckArcToDsk(dest));
  ASSERT_EQ(reporter_.errors.size(), 2u);
  EXPECT_EQ(reporter_.errors[0], "Can only extract files to a directory");
  EXPECT_EQ(reporter_.errors[1], "Can only convert ARC files to a directory");
}

TEST_F(ArchiveCommands, ArchivesBecomeDssdOrDsddImagesOrArePassedOver) {
  // 2 + (1 + 1) + (n + 1) sectors: 721 needs DSDD, 1441 fits no floppy.
  EXPECT_EQ(ArchiveImageSectors(720), 720u);
  EXPECT_EQ(ArchiveImageSectors(721), 1440u);
  EXPECT_EQ(ArchiveImageSectors(1441), 0u);
  WriteWholeFile(from_ + "/SMALL", test::V9t9File(test::ArchiveFile("SMALL", Members(10), false)));
  WriteWholeFile(from_ + "/MIDDLE", test::V9t9File(test::ArchiveFile("MIDDLE", Members(716), true)));
  WriteWholeFile(from_ + "/HUGE", test::V9t9File(test::ArchiveFile("HUGE", Members(1436), true)));
  PaneState source, dest;
  Open(source, dest);
  for (CatalogEntry& r : source.rows) r.marked = true;
  EXPECT_EQ(ArcToDskText(source), "Convert 3 ARC files to");
  EXPECT_EQ(ConvertArcsToDsk(source, dest, NoProgress(), NoProgress()), 2);
  EXPECT_FALSE(PathExists(to_ + "/HUGE.dsk"));
  EXPECT_EQ(test::ReadFile(to_ + "/SMALL.dsk").size(), 720u * 256);
  EXPECT_EQ(test::ReadFile(to_ + "/MIDDLE.dsk").size(), 1440u * 256);
  for (const auto& [name, bigSectors] : {std::pair{"SMALL", 10u}, std::pair{"MIDDLE", 716u}}) {
    const std::string path = to_ + "/" + name + ".dsk";
    EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(path)), std::vector<std::string>{}) << name;
    test::ExpectImgtoolReads(path, {test::Expect(Members(bigSectors)[0]), test::Expect(Members(bigSectors)[1])});
  }

  // The members come back out of the new image unchanged.
  PaneState image;
  image.locationPath = to_ + "/MIDDLE.dsk";
  ASSERT_TRUE(ReadLocation(image));
  ASSERT_EQ(image.RowCount(), 2);
  test::TempDir out;
  PaneState outPane;
  outPane.locationPath = out.path();
  ASSERT_TRUE(ReadLocation(outPane));
  for (const CatalogEntry& r : image.rows) EXPECT_EQ(r.containerKind, kKindDsk);
  EXPECT_TRUE(reporter_.errors.empty());

  // A second run numbers the images.
  source.rows[static_cast<size_t>(Row(source, "SMALL"))].marked = true;
  EXPECT_EQ(ConvertArcsToDsk(source, dest, NoProgress(), NoProgress()), 1);
  EXPECT_TRUE(IsRegularFile(to_ + "/SMALL(1).dsk"));
}

TEST_F(ArchiveCommands, ExtractedMembersKeepEveryStatusBitOfTheArchive) {
  // DIS/VAR with modified (10h), emulated (04h) and the two reserved bits:
  // only export from a disk masks the flags, an archive member keeps them.
  test::TiFile odd = test::DisVarFile("ODD", 80, {"x"});
  odd.status = 0x80 | 0x40 | 0x20 | 0x10 | 0x04;
  for (const bool compressed : {false, true}) {
    test::TempDir run;
    const std::string from = run.Mkdir("from"), to = run.Mkdir("to");
    WriteWholeFile(from + "/ARC", test::V9t9File(test::ArchiveFile("ARC", {odd, Noise()}, compressed)));
    PaneState source, dest;
    source.locationPath = from;
    dest.locationPath = to;
    ASSERT_TRUE(ReadLocation(source));
    ASSERT_TRUE(ReadLocation(dest));
    source.cursor = Row(source, "ARC");
    ASSERT_EQ(ExtractAll(source, dest, NoProgress(), NoProgress()), 1);
    const Bytes out = test::ReadFile(to + "/ARC/ODD");
    ASSERT_GT(out.size(), 12u);
    EXPECT_EQ(out[12], odd.status) << "compressed " << compressed;
    EXPECT_EQ(out, test::V9t9File(odd));
  }
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(ArchiveCommands, ArchivesThatFillADisketteToTheLastSectorFitTheirImage) {
  // Data starts at sector 34: a DSSD image holds 686 data sectors, and
  // 32 FDRs fit below the data. 687-717 data sectors need DSDD.
  FileList rows(1);
  rows[0].totalSectors = 686;
  EXPECT_EQ(ArchiveImageSectors(ArchiveSectorsNeeded(rows)), 720u);
  rows[0].totalSectors = 687;
  EXPECT_EQ(ArchiveImageSectors(ArchiveSectorsNeeded(rows)), 1440u);
  FileList many(40);  // 8 FDRs beyond sectors 2-33 take data sectors
  many[0].totalSectors = 679;
  EXPECT_EQ(ArchiveImageSectors(ArchiveSectorsNeeded(many)), 1440u);
  many[0].totalSectors = 678;
  EXPECT_EQ(ArchiveImageSectors(ArchiveSectorsNeeded(many)), 720u);

  // NOTES, BIG, LAST: 685 + 2 data sectors fill DSSD exactly; 700 + 2 need
  // DSDD. Every member, also the one after the big one, gets in.
  for (const unsigned big : {684u, 700u}) {
    test::TempDir run;
    const std::string from = run.Mkdir("from"), to = run.Mkdir("to");
    std::vector<TiFile> members = Members(big);
    members.push_back(test::DisVarFile("LAST", 80, {"end"}));
    WriteWholeFile(from + "/FULL", test::V9t9File(test::ArchiveFile("FULL", members, false)));
    PaneState source, dest;
    source.locationPath = from;
    dest.locationPath = to;
    ASSERT_TRUE(ReadLocation(source));
    ASSERT_TRUE(ReadLocation(dest));
    source.cursor = Row(source, "FULL");
    EXPECT_EQ(ConvertArcsToDsk(source, dest, NoProgress(), NoProgress()), 1);
    EXPECT_TRUE(reporter_.errors.empty()) << big << ": " << reporter_.errors[0];
    EXPECT_EQ(test::ReadFile(to + "/FULL.dsk").size(), (big == 684 ? 720u : 1440u) * 256) << big;
    PaneState image;
    image.locationPath = to + "/FULL.dsk";
    ASSERT_TRUE(ReadLocation(image));
    EXPECT_EQ(image.RowCount(), 3) << big;
    reporter_.errors.clear();
  }
}

TEST_F(ArchiveCommands, OnlyCancelEndsTheCopyOfTheMembers) {
  // Two members named TWICE: the second asks to overwrite. No skips it and
  // the members after it still go in; Cancel ends the run there.
  const std::vector<TiFile> members = {test::DisVarFile("TWICE", 80, {"1"}), test::DisVarFile("TWICE", 80, {"2"}),
                                       test::DisVarFile("AFTER", 80, {"3"}), Noise()};
  WriteWholeFile(from_ + "/DOUBLE", test::V9t9File(test::ArchiveFile("DOUBLE", members, true)));
  for (const Answer answer : {Answer::No, Answer::Cancel}) {
    PaneState source, dest;
    Open(source, dest);
    source.cursor = Row(source, "DOUBLE");
    reporter_.answers = {answer};
    EXPECT_EQ(ConvertArcsToDsk(source, dest, NoProgress(), NoProgress()), 1);
    EXPECT_EQ(reporter_.questions.size(), 1u);
    reporter_.questions.clear();
  }
  PaneState skipped, cancelled;
  skipped.locationPath = to_ + "/DOUBLE.dsk";
  cancelled.locationPath = to_ + "/DOUBLE(1).dsk";
  ASSERT_TRUE(ReadLocation(skipped));
  ASSERT_TRUE(ReadLocation(cancelled));
  EXPECT_EQ(skipped.RowCount(), 3);    // TWICE, AFTER and NOISE
  EXPECT_EQ(cancelled.RowCount(), 1);  // TWICE only
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(ArchiveCommands, CommandLineListsArchivesInsideDisksAndExtractsThem) {
  const Bytes disk = test::DiskBuilder::Dssd("CARRIER").Add(test::ArchiveFile("MYARC", Members(2), true)).Build();
  WriteWholeFile(from_ + "/carrier.dsk", disk);
  const std::string cli = KORVANE_CLI_PATH;
  const std::string env = "TMPDIR=" + dir_.Mkdir("tmp") + " ";
  const std::string listing = dir_.path() + "/listing.txt";
  ASSERT_EQ(std::system((env + cli + " dir " + from_ + "/carrier.dsk::MYARC > " + listing).c_str()), 0);
  const Bytes text = test::ReadFile(listing);
  const std::string s(text.begin(), text.end());
  EXPECT_NE(s.find("NOTES"), std::string::npos) << s;
  EXPECT_NE(s.find("BIG"), std::string::npos) << s;
  ASSERT_EQ(std::system((env + cli + " copy " + from_ + "/carrier.dsk::MYARC " + to_ + " BIG").c_str()), 0);
  EXPECT_EQ(test::ReadFile(to_ + "/BIG"), test::V9t9File(Members(2)[1]));
}

}  // namespace
}  // namespace korvane
