#include <gtest/gtest.h>

#include "catalog/listing.h"
#include "fileops/file_commands.h"
#include "harddisk/hd_pane.h"
#include "harddisk/hd_test_util.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"

namespace korvane::test {
namespace {

int IndexOf(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i)
    if (TrimTiName(pane.rows[static_cast<size_t>(i)].tiName) == name) return i;
  ADD_FAILURE() << "no row " << name;
  return -1;
}

const CatalogEntry& Row(const PaneState& pane, const std::string& name) {
  return pane.rows[static_cast<size_t>(IndexOf(pane, name))];
}

// A pane on the PC directory holding `file`, entered into that image row.
PaneState EnterImage(const TempDir& tmp, const std::string& file) {
  PaneState pane;
  pane.locationPath = tmp.path();
  Bytes first(256);
  const Bytes all = ReadFile(tmp.path() + "/" + file);
  std::copy(all.begin(), all.begin() + 256, first.begin());
  CatalogEntry row;
  EXPECT_TRUE(MakeHardDiskImageRow(ByteView(first.data(), first.size()), file, row));
  EXPECT_TRUE(EnterHardDiskImage(pane, row));
  return pane;
}

HdImage Tree() {
  HardDiskBuilder b("SCSIVOL", 2000);
  b.Root().Add(ProgramFile("PROG", Bytes(300, 1)));
  HdDir& tools = b.Root().AddDir("TOOLS");
  tools.Add(ProgramFile("TOOL", Bytes(20, 2)));
  tools.AddDir("TEXT").Add(ProgramFile("DOC", Bytes(20, 3)));
  return b.Build();
}

TEST(HardDiskPane, WalksDownAndUpAPlainImage) {
  TempDir tmp;
  tmp.Write("scsi.hd", Tree().bytes);
  PaneState pane = EnterImage(tmp, "scsi.hd");
  EXPECT_EQ(pane.locationPath, tmp.path() + "/scsi.hd");
  EXPECT_EQ(pane.locationType, kLocHdImage);
  EXPECT_EQ(pane.containerLevel, 1);
  EXPECT_EQ(pane.hdLevel, 2);
  EXPECT_EQ(pane.innerName, "");
  EXPECT_EQ(LocationText(pane), " " + tmp.path() + "/scsi.hd");
  EXPECT_EQ(Row(pane, "TOOLS").statusFlags, 1);

  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "TOOLS")));
  EXPECT_EQ(pane.hdLevel, 3);
  EXPECT_EQ(pane.innerName, "TOOLS");
  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "TEXT")));
  EXPECT_EQ(pane.hdLevel, 4);
  EXPECT_EQ(pane.innerName, "TOOLS.TEXT");
  EXPECT_EQ(LocationText(pane), " " + tmp.path() + "/scsi.hd->TOOLS.TEXT");
  EXPECT_EQ(Row(pane, "DOC").sourceName, "scsi.hd");

  ASSERT_EQ(HardDiskUpAction(pane), HardDiskUpStep::ParentDirectory);
  ASSERT_TRUE(HardDiskUp(pane));
  EXPECT_EQ(pane.innerName, "TOOLS");
  EXPECT_GE(IndexOf(pane, "TOOL"), 0);
  ASSERT_TRUE(HardDiskUp(pane));
  EXPECT_EQ(pane.hdLevel, 2);
  EXPECT_GE(IndexOf(pane, "PROG"), 0);
  // From the root the pane leaves the image as any container.
  EXPECT_EQ(HardDiskUpAction(pane), HardDiskUpStep::LeaveImage);
  EXPECT_FALSE(HardDiskUp(pane));
  EXPECT_EQ(pane.hdLevel, 2);
}

TEST(HardDiskPane, RefreshReadsTheSameDirectoryAgain) {
  TempDir tmp;
  HdImage img = Tree();
  const std::string path = tmp.Write("scsi.hd", img.bytes);
  PaneState pane = EnterImage(tmp, "scsi.hd");
  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "TOOLS")));
  const size_t rows = pane.rows.size();
  // Rename TOOL on the disk; the refreshed list shows the new name.
  img.bytes[img.Sector(img.fdrAu.at("TOOLS.TOOL")) * 256 + 3] = 'X';
  tmp.Write("scsi.hd", img.bytes);
  ASSERT_TRUE(RefreshHardDisk(pane));
  EXPECT_EQ(pane.rows.size(), rows);
  EXPECT_GE(IndexOf(pane, "TOOX"), 0);
  EXPECT_EQ(pane.innerName, "TOOLS");
  EXPECT_EQ(pane.hdLevel, 3);
}

TEST(HardDiskPane, PartitionRootLeadsBackToThePartitionList) {
  HardDiskBuilder first("FIRSTPART", 300);
  first.Root().AddDir("DOCS").Add(ProgramFile("HELLO", Bytes(10, 1)));
  HardDiskBuilder second("SECONDPRT", 200);
  TempDir tmp;
  tmp.Write("ide.hd", PartitionedImage(600, {{1, first.Build().bytes}, {151, second.Build().bytes}}));
  PaneState pane = EnterImage(tmp, "ide.hd");
  EXPECT_EQ(pane.locationType, kLocPtImage);
  EXPECT_EQ(pane.hdLevel, 2);
  ASSERT_EQ(pane.rows.size(), 3u);  // "..", two partitions

  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "FIRSTPART")));
  EXPECT_EQ(pane.locationType, kLocPtImage);
  EXPECT_EQ(pane.hdLevel, 3);
  EXPECT_EQ(pane.innerName, "FIRSTPART");
  EXPECT_EQ(LocationText(pane), " " + tmp.path() + "/ide.hd->FIRSTPART");
  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "DOCS")));
  EXPECT_EQ(pane.hdLevel, 4);
  EXPECT_EQ(pane.innerName, "FIRSTPART.DOCS");
  EXPECT_EQ(Row(pane, "HELLO").volumePosition, 2);

  EXPECT_EQ(HardDiskUpAction(pane), HardDiskUpStep::ParentDirectory);
  ASSERT_TRUE(HardDiskUp(pane));
  EXPECT_EQ(HardDiskUpAction(pane), HardDiskUpStep::PartitionList);
  ASSERT_TRUE(HardDiskUp(pane));
  EXPECT_EQ(pane.hdLevel, 2);
  EXPECT_GE(IndexOf(pane, "SECONDPRT"), 0);
  ASSERT_TRUE(RefreshHardDisk(pane));
  EXPECT_EQ(pane.rows.size(), 3u);
  EXPECT_EQ(HardDiskUpAction(pane), HardDiskUpStep::LeaveImage);
}

TEST(HardDiskPane, BeyondTwentyLevelsNamesStopButWalkingGoesOn) {
  HardDiskBuilder b("DEEP", 2000);
  HdDir* d = &b.Root();
  for (int i = 1; i <= 25; ++i) d = &d->AddDir("L" + std::to_string(i));
  TempDir tmp;
  tmp.Write("deep.hd", b.Build().bytes);
  PaneState pane = EnterImage(tmp, "deep.hd");
  std::string expected;
  for (int i = 1; i <= 25; ++i) {
    ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "L" + std::to_string(i)))) << i;
    if (i <= 19) expected += (i > 1 ? ".L" : "L") + std::to_string(i);
  }
  EXPECT_EQ(pane.hdLevel, 27);
  EXPECT_EQ(pane.innerName, expected);  // levels 1-19: the stack holds 20 names
  for (int i = 25; i >= 1; --i) {
    ASSERT_TRUE(HardDiskUp(pane)) << i;
    EXPECT_GE(IndexOf(pane, "L" + std::to_string(i)), 0) << i;
  }
  EXPECT_EQ(pane.hdLevel, 2);
  EXPECT_EQ(pane.innerName, "");
}

TEST(HardDiskPane, LoopingParentPointerStillEndsAtTheImage) {
  HdImage img = Tree();
  const uint16_t text = img.dirAu.at("TOOLS.TEXT");
  img.PutWord(img.Sector(text), 26, text);  // TEXT names itself as its parent
  TempDir tmp;
  tmp.Write("scsi.hd", img.bytes);
  PaneState pane = EnterImage(tmp, "scsi.hd");
  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "TOOLS")));
  ASSERT_TRUE(EnterHardDiskRow(pane, Row(pane, "TEXT")));
  int steps = 0;
  while (HardDiskUp(pane)) ASSERT_LT(++steps, 5);
  EXPECT_EQ(steps, 2);
}

TEST(HardDiskPane, FileCommandsRefuseToWriteIntoHardDisks) {
  TempDir tmp;
  tmp.Write("scsi.hd", Tree().bytes);
  PaneState hd = EnterImage(tmp, "scsi.hd");
  PaneState pc;
  pc.locationPath = tmp.path();
  pc.rows.push_back(CatalogEntry{});
  pc.rows[0].kind = kKindProgram;
  RecordingReporter reporter;
  EXPECT_FALSE(CheckCopy(pc, hd));
  EXPECT_FALSE(CheckDelete(hd));
  EXPECT_FALSE(CheckRename(hd));
  EXPECT_FALSE(CheckCreateDirectory(hd));
  hd.locationType = kLocPtImage;
  EXPECT_FALSE(CheckCopy(pc, hd));
  EXPECT_EQ(reporter.errors, (std::vector<std::string>{
                                 "Can't copy files to ARC, PC99DSK or HDIMG",
                                 "Can only delete files from directories or DSK images",
                                 "Can't rename a file or directory here",
                                 "Can't create a directory here",
                                 "Can't copy files to ARC, PC99DSK or HDIMG",
                             }));
}

TEST(HardDiskLevels, InnerPathJoinsLevelsOneToTheOneShown) {
  HardDiskLevelNames names;
  int d = PushHardDiskLevel(names, 0, "*TI99FSPT*");
  d = PushHardDiskLevel(names, d, "IDEONE    ");
  d = PushHardDiskLevel(names, d, "SUB1      ");
  EXPECT_EQ(d, 3);
  EXPECT_EQ(HardDiskInnerPath(names, d), "IDEONE.SUB1");
  EXPECT_EQ(HardDiskInnerPath(names, 2), "IDEONE");
  EXPECT_EQ(HardDiskInnerPath(names, 1), "");
  EXPECT_EQ(PushHardDiskLevel(names, 20, "NOTKEPT"), 21);
  EXPECT_EQ(HardDiskInnerPath(names, 3), "IDEONE.SUB1");
}

}  // namespace
}  // namespace korvane::test
