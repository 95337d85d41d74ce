#include "platform/settings.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvane {
namespace {

IniFile Parse(const std::string& text) {
  IniFile ini;
  ini.Parse(text);
  return ini;
}

TEST(Settings, MissingFileGivesEveryDefault) {
  Settings s;
  ReadSettings(IniFile{}, false, s);
  EXPECT_EQ(s.window.left, kUseDefaultPosition);
  EXPECT_EQ(s.window.width, 600);
  EXPECT_EQ(s.window.height, 232);
  EXPECT_EQ(s.fontName, "Courier New");
  EXPECT_EQ(s.fontHeight, -12);
  EXPECT_EQ(s.fontWeight, 400);
  EXPECT_FALSE(s.fontItalic);
  EXPECT_EQ(s.sortBy, 1);
  EXPECT_EQ(s.columnWidths, (std::array<int, 6>{100, 100, 100, 100, 100, 100}));
  EXPECT_EQ(s.backColor, 12763842u);
  EXPECT_EQ(s.markColor, 65535u);
  EXPECT_EQ(s.driveLetters, 0x3FFFFFFu & ~4u);
  EXPECT_EQ(s.margins, (PageMargins{780, 590, 780, 590}));
  EXPECT_EQ(s.viewers[15].width, 600);
  EXPECT_EQ(s.viewers[15].height, 800);

  Settings metric;
  ReadSettings(IniFile{}, true, metric);
  EXPECT_EQ(metric.margins, (PageMargins{2000, 1500, 2000, 1500}));
}

TEST(Settings, ReadingRulesForColumnsDrivesPlacementAndTexts) {
  Settings s;
  ReadSettings(Parse("[Korvane]\r\nhdrsize=80 90\r\ndriveletters=7\r\nwidth=9999\r\nleft=5000\r\n"
                     "fitalic=256\r\nfname=A very long font name that goes on and on\r\n"),
               false, s);
  EXPECT_EQ(s.columnWidths, (std::array<int, 6>{80, 90, 100, 100, 100, 100}));
  EXPECT_EQ(s.driveLetters, 3u);
  EXPECT_EQ(s.window.width, 600) << "9999 means absent";
  EXPECT_EQ(s.window.left, 5000);
  EXPECT_FALSE(s.fontItalic) << "only the low byte counts";
  EXPECT_EQ(s.fontName.size(), 29u);

  EXPECT_EQ(ParseColumnWidths("  7   x 12abc"), (std::array<int, 6>{7, 0, 12, 100, 100, 100}));
  EXPECT_EQ(ParseColumnWidths("1 2 3 4 5 6 7"), (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ParseColumnWidths("99999999999999999999 -99999999999999999999"),
            (std::array<int, 6>{std::numeric_limits<int>::max(), std::numeric_limits<int>::min(), 100, 100, 100, 100}));
  EXPECT_EQ(FormatColumnWidths({100, 100, 60, 120, 40, 40}), "100 100 60 120 40 40");
}

TEST(Settings, ADamagedListFontFallsBackToTheDefaultAndIsWrittenBackSo) {
  // 0 would ask for the font system's own size and weight: a 6-pixel or
  // hair-thin list that was then saved again.
  for (const char* text : {"[Korvane]\nfheight=0\nfweight=0\n", "[Korvane]\nfheight=-3\nfweight=5000\n",
                           "[Korvane]\nfheight=-2147483648\nfweight=-400\n", "[Korvane]\nfheight=x\nfweight=\n"}) {
    Settings s;
    ReadSettings(Parse(text), false, s);
    EXPECT_EQ(s.fontHeight, -12) << text;
    EXPECT_EQ(s.fontWeight, 400) << text;
    IniFile out;
    WriteSettings(out, s);
    EXPECT_EQ(out.GetString(kSettingsSection, "fheight", ""), "-12");
    EXPECT_EQ(out.GetString(kSettingsSection, "fweight", ""), "400");
  }
  // What the font chooser gives stays: a bold 18-point font, a positive
  // (cell) height, a thin weight.
  Settings s;
  ReadSettings(Parse("[Korvane]\nfheight=-24\nfweight=700\n"), false, s);
  EXPECT_EQ(s.fontHeight, -24);
  EXPECT_EQ(s.fontWeight, 700);
  ReadSettings(Parse("[Korvane]\nfheight=11\nfweight=100\n"), false, s);
  EXPECT_EQ(s.fontHeight, 11);
  EXPECT_EQ(s.fontWeight, 100);
}

TEST(Settings, TheDriveBoxesGiveTheLettersRemovableDrivesMayGet) {
  EXPECT_EQ(AllowedDriveLetters(0x3FFFFFF), "ABDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(AllowedDriveLetters(0), "");
  Settings s;
  ReadSettings(Parse("[Korvane]\ndriveletters=-1\n"), false, s);  // C: never, nothing past Z:
  EXPECT_EQ(AllowedDriveLetters(s.driveLetters), "ABDEFGHIJKLMNOPQRSTUVWXYZ");
  // A box switched in the dialog is kept in the file and read back.
  s.driveLetters = (1u << 4) | (1u << 25);
  IniFile ini;
  WriteSettings(ini, s);
  Settings back;
  ReadSettings(ini, false, back);
  EXPECT_EQ(AllowedDriveLetters(back.driveLetters), "EZ");
}

TEST(Settings, OffScreenPlacementIsCentredOnThePrimaryScreen) {
  const ScreenGeometry single{0, 0, 1920, 1080, 1920, 1050};
  Placement p{5000, 100, 600, 232};
  MakePlacementVisible(p, single);
  EXPECT_EQ(p.left, 960 - 300);
  EXPECT_EQ(p.top, 525 - 116);

  Placement edge{1890, 1050, 600, 232};  // both bounds included
  MakePlacementVisible(edge, single);
  EXPECT_EQ(edge.left, 1890);

  Placement huge{-50, 0, 4000, 3000};
  MakePlacementVisible(huge, single);
  EXPECT_EQ(huge.left, 100);
  EXPECT_EQ(huge.top, 100);

  const ScreenGeometry twoScreens{-1280, 0, 3200, 1080, 1920, 1050};
  Placement left{-1000, 10, 600, 232};
  MakePlacementVisible(left, twoScreens);
  EXPECT_EQ(left.left, -1000);
}

TEST(Settings, WindowsFileRoundTripsThroughWriteAndRead) {
  // As the earlier program wrote it on Windows: CR LF, paths with backslashes,
  // other sections the program only reads.
  const std::string windowsFile =
      "[Korvane]\r\nleft=120\r\ntop=-40\r\nwidth=800\r\nheight=400\r\nfitalic=1\r\nfheight=-15\r\n"
      "fweight=700\r\nsortby=3\r\nfname=Lucida Console\r\ndefault_path_left=C:\\TI\\DISKS\r\n"
      "default_path_right=D:\\\r\nhdrsize=120 100 60 120 40 200\r\ntextcolor=255\r\nbackcolor=16777215\r\n"
      "markcolor=32768\r\nmousewheel=1\r\nquellancompatible=1\r\nextracttifiles=1\r\ndriveletters=48\r\n"
      "picviewer=C:\\Program Files\\View\\view.exe\r\n"
      "[Ti_Pc_File_Conversion]\r\nDIS/VAR80=1\r\n[PageSetup]\r\nMarginLeft=1000\r\nMarginTop=500\r\n"
      "MarginRight=1000\r\nMarginBottom=500\r\n[EDIT03]\r\nleft=10\r\ntop=20\r\nwidth=700\r\nheight=900\r\n";
  Settings first;
  ReadSettings(Parse(windowsFile), true, first);
  EXPECT_EQ(first.window.top, -40);
  EXPECT_TRUE(first.fontItalic);
  EXPECT_EQ(first.fontWeight, 700);
  EXPECT_EQ(first.sortBy, 3);
  EXPECT_EQ(first.defaultPathLeft, "C:\\TI\\DISKS");
  EXPECT_EQ(first.columnWidths[5], 200);
  EXPECT_EQ(first.backColor, 0xFFFFFFu);
  EXPECT_EQ(first.driveLetters, 48u);
  EXPECT_EQ(first.picViewer, "C:\\Program Files\\View\\view.exe");
  EXPECT_EQ(first.margins, (PageMargins{1000, 500, 1000, 500}));
  EXPECT_EQ(first.viewers[2].width, 700);
  EXPECT_EQ(first.viewers[0].left, 1);

  IniFile written = Parse(windowsFile);
  WriteSettings(written, first);
  EXPECT_EQ(written.GetString("Ti_Pc_File_Conversion", "DIS/VAR80"), "1");
  EXPECT_EQ(written.GetString("Korvane", "hdrsize"), "120 100 60 120 40 200");
  EXPECT_EQ(written.GetString("Korvane", "fitalic"), "1");
  Settings second;
  ReadSettings(written, false, second);
  EXPECT_EQ(second.window.left, 120);
  EXPECT_EQ(second.window.height, 400);
  EXPECT_EQ(second.fontName, "Lucida Console");
  EXPECT_EQ(second.defaultPathRight, "D:\\");
  EXPECT_EQ(second.columnWidths, first.columnWidths);
  EXPECT_EQ(second.textColor, 255u);
  EXPECT_EQ(second.markColor, 32768u);
  EXPECT_EQ(second.mouseWheel, 1);
  EXPECT_EQ(second.quellanCompatible, 1);
  EXPECT_EQ(second.extractTifiles, 1);
  EXPECT_EQ(second.margins, first.margins);
  EXPECT_EQ(second.viewers[2].top, 20);
  EXPECT_EQ(written.GetInt("EDIT16", "height", 0), 800);
}

TEST(Settings, RecentDirectoriesMoveDownAndIgnoreKnownPathsInAnyCase) {
  IniFile ini;
  for (const char* dir : {"/a", "/b", "/c", "/d", "/e"}) EXPECT_TRUE(AddRecentDirectory(ini, dir));
  EXPECT_EQ(ReadRecentDirectories(ini), (std::array<std::string, 5>{"/e", "/d", "/c", "/b", "/a"}));
  EXPECT_FALSE(AddRecentDirectory(ini, "/C"));
  EXPECT_EQ(ReadRecentDirectories(ini)[0], "/e");
  EXPECT_TRUE(AddRecentDirectory(ini, "/f"));
  EXPECT_EQ(ReadRecentDirectories(ini), (std::array<std::string, 5>{"/f", "/e", "/d", "/c", "/b"}));

  IniFile sparse;
  sparse.Parse("[recentdirectories]\r\ndir01=/x\r\ndir03=\r\n");
  EXPECT_EQ(ReadRecentDirectories(sparse)[2], "");
}

}  // namespace
}  // namespace korvane
