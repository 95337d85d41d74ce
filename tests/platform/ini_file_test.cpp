#include "platform/ini_file.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

const char kWindowsFile[] =
    "; written on Windows\r\n"
    "[Korvane]\r\n"
    "SortBy=3\r\n"
    "leftpath = C:\\TI\\disks \r\n"
    "picviewer=\"c:\\program files\\view.exe\"\r\n"
    "\r\n"
    "[Ti_Pc_File_Conversion]\r\n"
    "DIS/VAR80=1\r\n"
    "INT/FIX128=2\r\n";

TEST(IniFile, ReadsWindowsFilesIgnoringCaseAndBlanks) {
  IniFile ini;
  ini.Parse(kWindowsFile);
  EXPECT_EQ(ini.GetInt("korvane", "sortby", 1), 3);
  EXPECT_EQ(ini.GetString("KORVANE", "leftpath"), "C:\\TI\\disks");
  EXPECT_EQ(ini.GetString("Korvane", "picviewer"), "c:\\program files\\view.exe");
  EXPECT_EQ(ini.GetString("ti_pc_file_conversion", "dis/var80"), "1");
  EXPECT_EQ(ini.GetString("Korvane", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.GetInt("Korvane", "missing", 7), 7);
  EXPECT_EQ(ini.SectionLines("Ti_Pc_File_Conversion"), (std::vector<std::string>{"DIS/VAR80=1", "INT/FIX128=2"}));
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Korvane", "Ti_Pc_File_Conversion"}));
}

TEST(IniFile, IntegersTakeTheLeadingDigits) {
  IniFile ini;
  ini.Parse("[s]\na=12abc\nb=abc\nc=-4\n");
  EXPECT_EQ(ini.GetInt("s", "a", 0), 12);
  EXPECT_EQ(ini.GetInt("s", "b", 9), 0);
  EXPECT_EQ(ini.GetInt("s", "c", 0), -4);
}

TEST(IniFile, WritingKeepsEverythingElseAsItWas) {
  IniFile ini;
  ini.Parse(kWindowsFile);
  ini.SetInt("KORVANE", "sortby", 2);
  ini.SetString("Korvane", "newkey", "v");
  ini.SetString("PageSetup", "left", "1000");
  std::string expected = kWindowsFile;
  expected.replace(expected.find("SortBy=3"), 8, "SortBy=2");
  expected.insert(expected.find("\r\n\r\n[Ti_") + 2, "newkey=v\r\n");
  expected += "[PageSetup]\r\nleft=1000\r\n";
  EXPECT_EQ(ini.Text(), expected);

  ini.RemoveKey("korvane", "NEWKEY");
  ini.RemoveSection("pagesetup");
  EXPECT_FALSE(ini.HasKey("Korvane", "newkey"));
  EXPECT_FALSE(ini.HasSection("PageSetup"));
}

TEST(IniFile, SavesAndLoadsAFile) {
  const std::string path = testing::TempDir() + "/korvane_ini_test.ini";
  IniFile ini;
  ini.SetString("A", "key", "value");
  ASSERT_TRUE(ini.Save(path));
  IniFile back;
  ASSERT_TRUE(back.Load(path));
  EXPECT_EQ(back.GetString("a", "KEY"), "value");
  IniFile missing;
  EXPECT_FALSE(missing.Load(path + ".none"));
  EXPECT_FALSE(missing.HasSection("A"));
  std::remove(path.c_str());
}

}  // namespace
}  // namespace korvane
