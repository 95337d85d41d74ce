// Rewriting TIFILES and V9T9 headers of TI files kept in a PC directory.
#include "fileops/header_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

PaneState ReadPane(const test::TempDir& dir) {
  PaneState pane;
  pane.locationPath = dir.path();
  EXPECT_TRUE(ReadLocation(pane));
  std::sort(pane.rows.begin(), pane.rows.end(),
            [](const CatalogEntry& a, const CatalogEntry& b) { return a.sourceName < b.sourceName; });
  return pane;
}

int RowIndex(const PaneState& pane, const std::string& pcName) {
  for (int i = 0; i < pane.RowCount(); ++i)
    if (pane.rows[static_cast<size_t>(i)].sourceName == pcName) return i;
  return -1;
}

bool AllCaS3(const Bytes& file) {
  for (size_t p = 16; p < 128; p += 2)
    if (file[p] != 0xCA || file[p + 1] != 0x53) return false;
  return true;
}

TEST(HeaderConversion, TifilesToV9t9AndBackKeepsDataAndDropsTheStoredName) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const test::TiFile file = test::DisVarFile("NAMED", 80, {"ONE", "", "THREE"});
  const Bytes original = test::TifilesFile(file, true);
  const std::string path = dir.Write("named.tfi", original);

  PaneState pane = ReadPane(dir);
  pane.cursor = RowIndex(pane, "named.tfi");
  ASSERT_EQ(pane.rows[static_cast<size_t>(pane.cursor)].headerKind, kHeaderTifiles);
  EXPECT_EQ(HeaderConversionText(pane, HeaderDirection::ToV9t9), "Do you really wish to convert <NAMED>");
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToV9t9, NoProgress()), 1);
  EXPECT_EQ(pane.rows[static_cast<size_t>(pane.cursor)].headerKind, kHeaderV9t9);

  Bytes v9t9 = test::ReadFile(path);
  EXPECT_EQ(v9t9, test::V9t9File(file));  // exactly the header a V9T9 writer makes

  pane = ReadPane(dir);
  pane.cursor = RowIndex(pane, "named.tfi");
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToTifiles, NoProgress()), 1);
  const Bytes back = test::ReadFile(path);
  ASSERT_EQ(back.size(), original.size());
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 16, back.begin()));
  EXPECT_TRUE(AllCaS3(back)) << "no name is stored, whatever the first header carried";
  EXPECT_TRUE(std::equal(original.begin() + 128, original.end(), back.begin() + 128));
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(HeaderConversion, Classic99DataIsPaddedToWholeSectorsButTifilesKeepsItsSize) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TiFile c99 = test::DisVarFile("SHORT", 80, {"A"});
  Bytes shortFile = test::TifilesFile(c99, false);
  shortFile[9] = 3;  // the header claims 3 sectors
  shortFile.resize(128 + 300, 0x11);
  dir.Write("short", shortFile);
  test::TiFile whole = test::DisFixFile("WHOLE", 128, {"X", "Y", "Z", "W"});
  dir.Write("whole", test::TifilesFile(whole, false));

  PaneState pane = ReadPane(dir);
  for (CatalogEntry& row : pane.rows) row.marked = true;
  ASSERT_EQ(pane.rows[static_cast<size_t>(RowIndex(pane, "short"))].headerKind, kHeaderClassic99);
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToV9t9, NoProgress()), 2);

  const Bytes padded = test::ReadFile(dir.path() + "/short");
  ASSERT_EQ(padded.size(), 128u + 512u);
  EXPECT_TRUE(std::equal(shortFile.begin() + 128, shortFile.end(), padded.begin() + 128));
  EXPECT_TRUE(std::all_of(padded.begin() + 128 + 300, padded.end(), [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(padded[14] << 8 | padded[15], 2) << "the corrected sector count";
  EXPECT_EQ(test::ReadFile(dir.path() + "/whole").size(), 128u + 512u);

  // Both now read back as valid V9T9 files of the same shape.
  pane = ReadPane(dir);
  for (const CatalogEntry& row : pane.rows) {
    EXPECT_EQ(row.headerKind, kHeaderV9t9) << row.sourceName;
    EXPECT_EQ(row.totalSectors, 2) << row.sourceName;
  }
  // A TIFILES header without a name took it from the PC name, case kept.
  EXPECT_EQ(pane.rows[static_cast<size_t>(RowIndex(pane, "short"))].tiName, "short     ");
}

TEST(HeaderConversion, ProgramHeadersCarryRecordLengthZero) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("prog", test::V9t9File(test::ProgramFile("PROG", Bytes(300, 0x42))));
  PaneState pane = ReadPane(dir);
  pane.cursor = RowIndex(pane, "prog");
  ASSERT_EQ(pane.rows[static_cast<size_t>(pane.cursor)].recordLength, 300) << "the row shows the size";

  ConvertHeaders(pane, HeaderDirection::ToTifiles, NoProgress());
  Bytes file = test::ReadFile(dir.path() + "/prog");
  EXPECT_EQ(file[13], 0);
  EXPECT_EQ(file[12], 300 % 256);

  pane = ReadPane(dir);
  pane.cursor = RowIndex(pane, "prog");
  ConvertHeaders(pane, HeaderDirection::ToV9t9, NoProgress());
  file = test::ReadFile(dir.path() + "/prog");
  EXPECT_EQ(file[17], 0);
  EXPECT_EQ(file[16], 300 % 256);
}

TEST(HeaderConversion, MarkedRowsListFourNamesAndOnlyEligibleFilesAreTouched) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  for (const char* name : {"F1", "F2", "F3", "F4", "F5", "F6"})
    dir.Write(name, test::V9t9File(test::DisVarFile(name, 80, {"X"})));
  const Bytes dos = {'p', 'l', 'a', 'i', 'n', '\n'};
  dir.Write("notes.txt", dos);
  dir.Write("t.tfi", test::TifilesFile(test::DisVarFile("T", 80, {"X"})));

  PaneState pane = ReadPane(dir);
  for (CatalogEntry& row : pane.rows) row.marked = true;
  EXPECT_EQ(HeaderConversionText(pane, HeaderDirection::ToTifiles),
            "Do you really wish to convert 6 files?\n    F1\n    F2\n    F3\n    F4  ...");
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToTifiles, NoProgress()), 6);
  EXPECT_EQ(pane.MarkedCount(), 0) << "every row handled is unmarked";
  EXPECT_EQ(test::ReadFile(dir.path() + "/notes.txt"), dos);
  EXPECT_EQ(pane.rows[static_cast<size_t>(RowIndex(pane, "t.tfi"))].headerKind, kHeaderTifiles);

  // Nothing eligible left for this direction.
  for (CatalogEntry& row : pane.rows) row.marked = row.sourceName == "notes.txt";
  EXPECT_EQ(HeaderConversionText(pane, HeaderDirection::ToTifiles),
            "Sorry ... no file(s) of the correct type selected for this operation!");
  EXPECT_FALSE(HasHeaderConvertibleRows(pane, HeaderDirection::ToTifiles));
}

TEST(HeaderConversion, FailuresAreReportedAndLeaveTheRowAsItWas) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("gone", test::V9t9File(test::DisVarFile("GONE", 80, {"X"})));
  PaneState pane = ReadPane(dir);
  pane.cursor = RowIndex(pane, "gone");
  std::remove((dir.path() + "/gone").c_str());
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToTifiles, NoProgress()), 0);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't open file for read <" + dir.path() + "/gone>");
  EXPECT_EQ(pane.rows[static_cast<size_t>(pane.cursor)].headerKind, kHeaderV9t9);

  PaneState image;
  image.locationType = kLocFloppy;
  EXPECT_FALSE(CheckHeaderConversionPane(image));
  EXPECT_EQ(reporter.errors.back(), "Can only convert V9T9, TIFILES or CLASSIC99 files in a directory");
}

TEST(HeaderConversion, CaptionsNameTheDirection) {
  EXPECT_STREQ(HeaderConversionCaption(HeaderDirection::ToV9t9), "Convert to V9T9 format");
  EXPECT_STREQ(HeaderConversionCaption(HeaderDirection::ToTifiles), "Convert to TIFILES format");
}

TEST(HeaderConversion, CorpusFilesOfEachHeaderKindConvertToTheSameV9t9File) {
  const std::string corpus = std::string(KORVANE_CORPUS_DIR) + "/xdt99";
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("V64V", test::ReadFile(corpus + "/V64V"));
  dir.Write("V64V.tfi", test::ReadFile(corpus + "/V64V.tfi"));
  PaneState pane = ReadPane(dir);
  for (CatalogEntry& row : pane.rows) row.marked = true;
  EXPECT_EQ(ConvertHeaders(pane, HeaderDirection::ToV9t9, NoProgress()), 2);
  const Bytes reference = test::ReadFile(corpus + "/V64V.v9t9");
  EXPECT_EQ(test::ReadFile(dir.path() + "/V64V.tfi"), reference);
  // The nameless file takes its name from the PC name; its last sector's
  // unused tail holds other bytes than the reference's, and keeps them.
  const Bytes nameless = test::ReadFile(dir.path() + "/V64V");
  const Bytes original = test::ReadFile(corpus + "/V64V");
  ASSERT_EQ(nameless.size(), reference.size());
  EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + 128, nameless.begin()));
  EXPECT_TRUE(std::equal(original.begin() + 128, original.end(), nameless.begin() + 128));
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
