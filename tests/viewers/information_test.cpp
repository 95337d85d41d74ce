#include "viewers/information.h"

#include <gtest/gtest.h>

#include <map>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

using Fields = std::map<std::string, std::string>;

Fields AsMap(const Information& info) {
  Fields m;
  for (const InformationField& f : info.fields) m[f.label] = f.value;
  return m;
}

// Reads `path` as a pane does and puts the cursor on `name`.
PaneState OpenAt(const std::string& path, const std::string& name) {
  PaneState pane;
  pane.locationPath = path;
  EXPECT_TRUE(ReadLocation(pane));
  pane.cursor = -1;
  for (int i = 0; i < pane.RowCount(); ++i)
    if (pane.rows[i].sourceName == name || TrimTiName(pane.rows[i].tiName) == name) pane.cursor = i;
  EXPECT_GE(pane.cursor, 0) << name;
  return pane;
}

TEST(Information, DiskRowShowsItsSummaryAndProtection) {
  test::TempDir dir;
  dir.Write("work.dsk", test::DiskBuilder::Dsdd80("WORKDISK")
                            .Protection('P')
                            .Add(test::DisVarFile("NOTES", 80, {"ONE", "TWO"}))
                            .Build());
  const std::optional<Information> info = InformationForCursor(OpenAt(dir.path(), "work.dsk"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->title, "Disk Information");
  Fields f = AsMap(*info);
  EXPECT_EQ(f.at("PC name"), "work.dsk");
  EXPECT_EQ(f.at("Volume label"), "WORKDISK  ");
  EXPECT_EQ(f.at("Size (sectors)"), "2880");
  EXPECT_EQ(f.at("Sectors per AU"), "2");  // more sectors than the 1600 bits of the bitmap
  EXPECT_EQ(f.at("Media type"), "DSK");
  EXPECT_EQ(f.at("Media protection"), "Yes");
  EXPECT_EQ(f.at("Tracks per side"), "80");
  EXPECT_EQ(f.at("Number of sides"), "2");
  EXPECT_EQ(f.at("Sectors per track"), "18");
  EXPECT_EQ(f.at("Density"), "2");

  dir.Write("open.dsk", test::DiskBuilder::Sssd("OPEN").Build());
  f = AsMap(*InformationForCursor(OpenAt(dir.path(), "open.dsk")));
  EXPECT_EQ(f.at("Media protection"), "No");
  EXPECT_EQ(f.at("Sectors per AU"), "1");
  EXPECT_EQ(f.at("Free (AU's)"), "358");  // all but the VIB and the file index
  EXPECT_EQ(f.at("Used (AU's)"), "2");
}

TEST(Information, ProgramRowShowsProgramSizeAndNoRecordsPerSector) {
  test::TempDir dir;
  test::TiFile program = test::ProgramFile("GAME", test::Bytes(1000, 0x55));
  program.status |= status::kProtected;
  dir.Write("GAME", test::V9t9File(program));
  dir.Write("NOTES", test::TifilesFile(test::DisFixFile("NOTES", 80, {"A", "B", "C", "D"})));

  Information info = *InformationForCursor(OpenAt(dir.path(), "GAME"));
  EXPECT_EQ(info.title, "File Information");
  Fields f = AsMap(info);
  EXPECT_EQ(f.count("Record length"), 0u);
  EXPECT_EQ(f.at("Program size"), "1000");
  EXPECT_EQ(f.at("Records per sector"), "");
  EXPECT_EQ(f.at("Size"), "4");
  EXPECT_EQ(f.at("End of file offset"), "232");
  EXPECT_EQ(f.at("Type"), "PROGRAM");
  EXPECT_EQ(f.at("Write protected"), "Yes");
  EXPECT_EQ(f.at("Archive"), "No");
  EXPECT_EQ(f.at("PC name"), "GAME");
  EXPECT_EQ(f.at("V9t9 format"), "Yes");

  f = AsMap(*InformationForCursor(OpenAt(dir.path(), "NOTES")));
  EXPECT_EQ(f.at("Record length"), "80");
  EXPECT_EQ(f.at("Records per sector"), "3");
  EXPECT_EQ(f.at("V9t9 format"), "No");  // a TIFILES header
  EXPECT_EQ(f.at("Write protected"), "No");
}

TEST(Information, RowsInsideAnImageHaveNoPcNameAndDirectoriesOnlyTheirName) {
  test::TempDir dir;
  dir.Write("work.dsk", test::DiskBuilder::Sssd("WORK")
                            .Add(test::DisVarFile("NOTES", 80, {"ONE"}))
                            .AddSubdir("UTIL", {test::DisVarFile("TOOL", 80, {"X"})})
                            .Build());
  dir.Mkdir("games");
  dir.Write("readme.txt", {'h', 'i', '\n'});

  Fields f = AsMap(*InformationForCursor(OpenAt(dir.path() + "/work.dsk", "NOTES")));
  EXPECT_EQ(f.at("PC name"), "");
  EXPECT_EQ(f.at("V9t9 format"), "");
  EXPECT_EQ(f.at("TI name"), "NOTES     ");
  EXPECT_EQ(f.at("Type"), "DIS/VAR");

  f = AsMap(*InformationForCursor(OpenAt(dir.path() + "/work.dsk", "UTIL")));
  EXPECT_EQ(f.at("TI name"), "UTIL      ");
  EXPECT_EQ(f.at("PC name"), "");
  EXPECT_EQ(f.at("Type"), "SUBDIR");
  EXPECT_EQ(f.at("Size"), "");

  f = AsMap(*InformationForCursor(OpenAt(dir.path(), "games")));
  EXPECT_EQ(f.at("PC name"), "games");
  EXPECT_EQ(f.at("TI name"), "");

  f = AsMap(*InformationForCursor(OpenAt(dir.path(), "readme.txt")));
  EXPECT_EQ(f.at("PC name"), "readme.txt");
  EXPECT_EQ(f.at("Type"), "DOS");
  EXPECT_EQ(f.at("Size"), "");
}

TEST(Information, NoDialogWithoutACursorRow) {
  PaneState pane;
  EXPECT_FALSE(InformationForCursor(pane));
  pane.rows.resize(1);
  pane.cursor = 1;
  EXPECT_FALSE(InformationForCursor(pane));
}

}  // namespace
}  // namespace korvane
