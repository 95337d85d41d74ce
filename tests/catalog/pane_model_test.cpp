#include "catalog/pane_model.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include "catalog/sort.h"
#include "fileops/locations.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

CatalogEntry Row(uint16_t kind, const std::string& name, uint16_t sectors = 1) {
  CatalogEntry r;
  r.kind = kind;
  r.sourceName = name;
  r.tiName = name;
  r.totalSectors = sectors;
  return r;
}

// A pane of `count` DIS/VAR rows named R00, R01, ... showing `perPage` rows.
PaneModel Pane(int count, int perPage) {
  PaneModel m;
  for (int i = 0; i < count; ++i) m.state.rows.push_back(Row(kKindDisVar, fmt::sprintf("R%02d", i)));
  m.hasRows = true;
  SetRowsPerPage(m, perPage);
  return m;
}

std::vector<int> Marked(const PaneModel& m) {
  std::vector<int> out;
  for (int i = 0; i < m.state.RowCount(); ++i)
    if (m.state.rows[static_cast<size_t>(i)].marked) out.push_back(i);
  return out;
}

TEST(PaneModelKeys, PageKeysOnShortAndLongPanes) {
  PaneModel shortPane = Pane(3, 10);
  KeyPageDown(shortPane);
  EXPECT_EQ(shortPane.state.cursor, 2);
  EXPECT_EQ(shortPane.state.topRow, 0);

  PaneModel m = Pane(25, 10);
  KeyPageDown(m);
  EXPECT_EQ(m.state.topRow, 10);
  EXPECT_EQ(m.state.cursor, 19);
  KeyPageDown(m);  // the top stops at rows - page
  EXPECT_EQ(m.state.topRow, 15);
  EXPECT_EQ(m.state.cursor, 24);
  KeyPageUp(m);
  EXPECT_EQ(m.state.topRow, 5);
  EXPECT_EQ(m.state.cursor, 5);
  KeyEnd(m);
  EXPECT_EQ(m.state.cursor, 24);
  EXPECT_EQ(m.state.topRow, 15);
  KeyHome(m);
  EXPECT_EQ(m.state.cursor, 0);
  EXPECT_EQ(m.state.topRow, 0);

  PaneModel empty = Pane(0, 10);
  KeyPageDown(empty);
  KeyEnd(empty);
  KeyDown(empty, true);
  KeyUp(empty, true);
  EXPECT_EQ(empty.state.cursor, 0);
}

TEST(PaneModelKeys, UpAndDownScrollOnlyAtTheEdgesAndShiftTogglesMarks) {
  PaneModel m = Pane(20, 5);
  for (int i = 0; i < 4; ++i) KeyDown(m, false);
  EXPECT_EQ(m.state.cursor, 4);
  EXPECT_EQ(m.state.topRow, 0);
  KeyDown(m, true);  // marks row 4, moves to 5 and scrolls one line
  EXPECT_EQ(m.state.cursor, 5);
  EXPECT_EQ(m.state.topRow, 1);
  EXPECT_EQ(Marked(m), std::vector<int>{4});
  KeyUp(m, true);  // toggles row 5 on, back to 4
  EXPECT_EQ(Marked(m), (std::vector<int>{4, 5}));
  for (int i = 0; i < 4; ++i) KeyUp(m, false);
  EXPECT_EQ(m.state.cursor, 0);
  EXPECT_EQ(m.state.topRow, 0);
  KeyUp(m, false);
  EXPECT_EQ(m.state.cursor, 0);
  KeyEnd(m);
  KeyDown(m, false);
  EXPECT_EQ(m.state.cursor, 19);
  EXPECT_EQ(m.state.topRow, 15);
}

TEST(PaneModelKeys, MarkKeysTouchOnlyMarkableRowsButStillMoveDown) {
  PaneModel m;
  m.state.rows = {Row(kKindSubdir, "DIR"), Row(kKindDos, "A.TXT"), Row(kKindDos, "B.TXT"),
                  Row(kKindDisVar, "T1", 3), Row(kKindProgram, "T2", 4), Row(kKindDisFix, "T3", 5)};
  m.state.rows[3].headerKind = m.state.rows[4].headerKind = m.state.rows[5].headerKind = kHeaderTifiles;
  SetRowsPerPage(m, 10);

  KeyGrayPlus(m, false);  // on the SUBDIR row
  EXPECT_TRUE(Marked(m).empty());
  EXPECT_EQ(m.state.cursor, 1);
  KeyInsert(m, false);
  EXPECT_EQ(Marked(m), std::vector<int>{1});
  EXPECT_EQ(m.state.cursor, 2);
  KeyGrayMinus(m, true);
  EXPECT_TRUE(Marked(m).empty());

  KeyGrayPlus(m, true);
  EXPECT_EQ(Marked(m), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(m.state.cursor, 2) << "Ctrl only repaints";
  EXPECT_EQ(StatusText(m.state), " 12 / 12 sectors in 3 / 3 TI-file(s)");
  KeyInsert(m, true);
  EXPECT_TRUE(Marked(m).empty());
}

TEST(PaneModelMouse, ClicksSetCursorAndShiftRangesClearOtherMarks) {
  PaneModel m = Pane(10, 8);
  m.state.rows[0].kind = kKindSubdir;
  m.state.rows[8].marked = true;
  const int lh = 16;
  EXPECT_EQ(Click(m, 2 * lh + 3, lh, false, false), 2);
  EXPECT_TRUE(Marked(m).empty());
  m.state.rows[9].marked = true;
  EXPECT_EQ(Click(m, 5 * lh, lh, true, false), 5);
  EXPECT_EQ(Marked(m), (std::vector<int>{2, 3, 4, 5}));
  Click(m, 0, lh, true, false);  // the anchor stays at 2: range 0-2, directory included
  EXPECT_EQ(Marked(m), (std::vector<int>{0, 1, 2}));

  Click(m, 7 * lh, lh, false, true);  // Ctrl alone toggles and keeps the others
  EXPECT_EQ(Marked(m), (std::vector<int>{0, 1, 2, 7}));
  EXPECT_EQ(m.state.cursor, 7);

  EXPECT_EQ(Click(m, 100 * lh, lh, false, false), -1);  // below the last row
  EXPECT_EQ(m.state.cursor, 7);
  EXPECT_TRUE(Marked(m).empty());
  EXPECT_EQ(Click(m, -3, lh, false, false), -1);
}

TEST(PaneModelMouse, DoubleClickChoosesViewOrOpenByKind) {
  PaneModel m;
  CatalogEntry text = Row(kKindDisVar, "TEXT");
  text.recordLength = 80;
  m.state.rows = {Row(kKindSubdir, "DIR"), text, Row(kKindProgram, "PRG"), Row(kKindDsk, "D.DSK")};
  SetRowsPerPage(m, 10);
  EXPECT_EQ(DoubleClick(m, 0, 10, false, false), DoubleClickAction::Open);
  EXPECT_EQ(DoubleClick(m, 0, 10, false, true), DoubleClickAction::OpenOpposite);
  EXPECT_EQ(DoubleClick(m, 10, 10, false, false), DoubleClickAction::View);
  EXPECT_EQ(DoubleClick(m, 20, 10, false, true), DoubleClickAction::None);
  EXPECT_EQ(DoubleClick(m, 30, 10, false, false), DoubleClickAction::Open);
  EXPECT_EQ(DoubleClick(m, 90, 10, false, false), DoubleClickAction::None);
}

TEST(PaneModelScroll, ScrollBarAndWheelMoveTheTopButNotTheCursor) {
  PaneModel m = Pane(30, 10);
  m.state.cursor = 3;
  Scroll(m, ScrollAction::PageDown);
  Scroll(m, ScrollAction::PageDown);
  Scroll(m, ScrollAction::PageDown);
  EXPECT_EQ(m.state.topRow, 20);
  Scroll(m, ScrollAction::LineDown);
  EXPECT_EQ(m.state.topRow, 20);
  Scroll(m, ScrollAction::Track, 7);
  EXPECT_EQ(m.state.topRow, 7);
  Wheel(m, 120);
  EXPECT_EQ(m.state.topRow, 5);
  Wheel(m, 0);
  EXPECT_EQ(m.state.topRow, 7);
  Scroll(m, ScrollAction::PageUp);
  Scroll(m, ScrollAction::LineUp);
  EXPECT_EQ(m.state.topRow, 0);
  EXPECT_EQ(m.state.cursor, 3);
  // A cursor left above the page comes back into view with Down.
  Scroll(m, ScrollAction::Track, 15);
  KeyDown(m, false);
  EXPECT_EQ(m.state.topRow, 4);
}

TEST(PaneModelSort, HeaderClickSortsAndDescriptionKeepsTheOrder) {
  PaneModel m;
  m.state.rows = {Row(kKindDisVar, "ZED", 9), Row(kKindSubdir, "SUB"), Row(kKindDisFix, "ALPHA", 2),
                  Row(kKindUprdir, "..")};
  SetRowsPerPage(m, 10);
  m.state.cursor = 3;
  SortByColumn(m, kSortNone);
  EXPECT_EQ(m.state.rows[0].tiName, "ZED");
  EXPECT_EQ(m.state.rows[3].tiName, "..");
  EXPECT_EQ(m.state.cursor, 0);
  SortByColumn(m, kSortTiName);
  EXPECT_EQ(m.state.rows[0].tiName, "..");
  EXPECT_EQ(m.state.rows[1].tiName, "SUB");
  EXPECT_EQ(m.state.rows[2].tiName, "ALPHA");
  SortByColumn(m, kSortSize);
  EXPECT_EQ(m.state.rows[2].tiName, "ALPHA");
  EXPECT_EQ(m.state.sortKey, kSortSize);
}

TEST(PaneModelText, ColumnTextsFollowTheRowKindAndLocation) {
  PaneState pc;
  CatalogEntry file = Row(kKindDisVar, "README", 12);
  file.recordLength = 80;
  file.statusFlags = status::kProtected | status::kVariable;
  file.headerKind = kHeaderV9t9;
  file.comment = "hello";
  EXPECT_EQ(ColumnText(pc, file, 2), "    12");
  EXPECT_EQ(ColumnText(pc, file, 3), "DIS/VAR     80");
  EXPECT_EQ(ColumnText(pc, file, 4), " P- v9t9");
  EXPECT_EQ(ColumnText(pc, file, 5), "hello");
  PaneState floppy;
  floppy.locationType = kLocFloppy;
  EXPECT_EQ(ColumnText(floppy, file, 4), " P-");

  CatalogEntry dos = Row(kKindDos, "notes.txt");
  dos.comment = "never shown";
  EXPECT_EQ(ColumnText(pc, dos, 0), "notes.txt");
  EXPECT_EQ(ColumnText(pc, dos, 1), "");
  EXPECT_EQ(ColumnText(pc, dos, 3), "DOS     ");
  EXPECT_EQ(ColumnText(pc, dos, 5), "");

  CatalogEntry dsk = Row(kKindDsk, "GAMES.dsk", 0);
  dsk.disk.total = 720;
  EXPECT_EQ(ColumnText(pc, dsk, 2), "   720");
  EXPECT_EQ(ColumnText(pc, dsk, 3), "DSK     ");
  EXPECT_EQ(ColumnText(pc, Row(kKindSubdir, "SUB"), 2), "");
  EXPECT_EQ(ColumnText(pc, Row(kKindSubdir, "SUB"), 4), "");

  PaneState card;
  card.locationType = kLocCardDrive;
  EXPECT_EQ(StatusText(card), " 0 / 0 sectors of 0 / 0 DSK-image(s)");
}

TEST(PaneModelPanes, SwapKeepsTheActiveSideAndOppositeTakesOverTheLocation) {
  PaneModel left = Pane(3, 10), right = Pane(8, 10);
  right.state.cursor = 6;
  right.startPath = "/right";
  SwapPanes(left, right);
  EXPECT_EQ(left.state.RowCount(), 8);
  EXPECT_EQ(left.state.cursor, 6);
  EXPECT_EQ(right.state.RowCount(), 3);
  right.state.cursor = 5;  // past its 3 rows
  SwapPanes(left, right);
  EXPECT_EQ(left.state.cursor, 0);

  PaneModel other;
  left.state.cursorHistory = {4, 1};
  TakeOverPane(left, other);
  EXPECT_EQ(other.state.cursorHistory, left.state.cursorHistory);
  EXPECT_EQ(other.startPath, left.startPath);
}

TEST(PaneModelRead, GotoRootReadsTheStartPathAndReportsAMissingOneOnce) {
  test::TempDir dir;
  dir.Mkdir("SUB");
  dir.Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
  test::RecordingReporter reporter;
  PaneModel m;
  m.startPath = dir.path();
  SetRowsPerPage(m, 10);
  ASSERT_TRUE(GotoRoot(m));
  ASSERT_EQ(m.state.RowCount(), 2);
  EXPECT_EQ(m.state.rows[0].kind, kKindSubdir);
  // Enter the image, then go home again: the navigation is reset.
  ASSERT_TRUE(EnterRow(m.state, 1));
  EXPECT_EQ(m.state.locationType, kLocFloppy);
  ASSERT_TRUE(GotoRoot(m));
  EXPECT_EQ(m.state.locationType, kLocPcDirectory);
  EXPECT_EQ(m.state.containerLevel, 0);
  EXPECT_EQ(m.state.cursor, 0);
  EXPECT_TRUE(reporter.errors.empty());

  m.startPath = dir.path() + "/missing";
  EXPECT_FALSE(GotoRoot(m));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_NE(reporter.errors[0].find("missing"), std::string::npos);
  EXPECT_TRUE(m.hasRows);
}

TEST(PaneModelRead, AFailedFirstReadLeavesThePaneWithoutAList) {
  test::TempDir dir;
  test::RecordingReporter reporter;
  PaneModel m;
  m.state.locationPath = dir.path() + "/missing";
  EXPECT_FALSE(FirstRead(m));
  EXPECT_EQ(reporter.errors.size(), 1u);
  EXPECT_FALSE(m.hasRows) << "no list: the commands that need rows stay off";
  // A readable start has its list even when it is empty.
  PaneModel empty;
  empty.state.locationPath = dir.path();
  EXPECT_TRUE(FirstRead(empty));
  EXPECT_TRUE(empty.hasRows);
}

}  // namespace
}  // namespace korvane
