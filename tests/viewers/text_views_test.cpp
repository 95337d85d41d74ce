// The hex, record and Forth-block views, the choice between them, titles,
// and the sector-range view, compared byte for byte.
#include <gtest/gtest.h>

#include "fileops/locations.h"
#include "support/basic_builder.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "viewers/location_title.h"
#include "viewers/sector_range_view.h"
#include "viewers/text_views.h"
#include "viewers/view_builder.h"

namespace korvane {
namespace {

using test::Bytes;
using test::TempDir;
using test::TiFile;

// A pane listing `dir` and the row of the PC file `name` in it.
struct PcPane {
  explicit PcPane(const TempDir& dir) {
    pane.locationPath = dir.path();
    EXPECT_TRUE(ReadLocation(pane));
  }
  const CatalogEntry& Row(const std::string& name) const {
    for (const CatalogEntry& r : pane.rows)
      if (r.sourceName == name) return r;
    ADD_FAILURE() << "no row " << name;
    return pane.rows.front();
  }
  TextView View(const std::string& name, int mode = kViewDefault) const { return BuildView(pane, Row(name), mode); }
  PaneState pane;
};

TEST(HexLines, FullAndShortLines_HaveTheFixedLayout) {
  std::string out;
  Bytes bytes{0x41, 0x42, 0x00};
  bytes.resize(16, 0x20);
  AppendHexLines(ByteView(bytes.data(), bytes.size()), 0x10, out);
  EXPECT_EQ(out, "00000010 41 42 00 20 20 20 20 20 20 20 20 20 20 20 20 20 AB.             \r\n");
  EXPECT_EQ(out.size(), 75u);
  out.clear();
  const Bytes three{0x7E, 0x7F, 0xFF};
  AppendHexLines(ByteView(three.data(), three.size()), 0xABCDEF12, out);
  // One blank per missing byte, then a blank and the characters.
  EXPECT_EQ(out, "ABCDEF12 7E 7F FF" + std::string(13, ' ') + " ~..\r\n");
}

TEST(TextViews, HexDump_PadsShortSectorAndReportsMissingOne) {
  test::RecordingReporter reporter;
  Bytes data(256 + 16, 0x41);  // one sector and 16 bytes of the next
  MemoryData source(ByteView(data.data(), data.size()), "F.TI");
  std::string text;
  BuildHexDump(source, 3, text);
  ASSERT_EQ(text.size(), 32u * 75u);  // two sectors shown, the third missing
  EXPECT_EQ(text.substr(16 * 75, 75),
            "00000100 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 AAAAAAAAAAAAAAAA\r\n");
  EXPECT_EQ(text.substr(17 * 75, 75),
            "00000110 CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC CC ................\r\n");
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <3> from <F.TI>");
}

TEST(TextViews, RecordViews_FollowTheRecordLayouts) {
  // Fixed records: 3 per sector of 80 bytes, 5 records in 2 sectors plus an
  // allocated spare sector; the level-3 count decides how many are shown.
  Bytes fixed(3 * 256, 'x');
  for (int r = 0; r < 6; ++r) {
    const size_t at = static_cast<size_t>(r / 3) * 256 + static_cast<size_t>(r % 3) * 80;
    std::fill(fixed.begin() + static_cast<long>(at), fixed.begin() + static_cast<long>(at + 80),
              static_cast<uint8_t>('0' + r));
  }
  fixed[1] = 0x07;
  CatalogEntry row;
  row.kind = kKindDisFix;
  row.recordLength = 80;
  row.recordsPerSector = 3;
  row.totalSectors = 3;
  row.level3Records = 5;
  MemoryData f(ByteView(fixed.data(), fixed.size()), "FIX");
  std::string text;
  BuildRecordView(f, row, text);
  std::string want = "0." + std::string(78, '0') + "\r\n";
  for (char c : std::string("1234")) want += std::string(80, c) + "\r\n";
  EXPECT_EQ(text, want);
  row.recordsPerSector = 0;
  text.clear();
  BuildRecordView(f, row, text);
  EXPECT_EQ(text, "");

  // Variable records: an empty record is an empty line; 0xFF or a record
  // that runs past the sector closes the sector; records never continue.
  Bytes var(3 * 256, 0);
  const Bytes s0{3, 'A', 'B', 'C', 0, 2, 0x00, 'Z', 0xFF, 9, 9};
  std::copy(s0.begin(), s0.end(), var.begin());
  var[256] = 0xFF;  // second sector: no line
  var[512] = 2, var[513] = 'Q', var[514] = 'R', var[515] = 253;  // third: a record too long for the rest
  row.kind = kKindDisVar;
  row.level3Records = 3;
  MemoryData v(ByteView(var.data(), var.size()), "VAR");
  text.clear();
  BuildRecordView(v, row, text);
  EXPECT_EQ(text, "ABC\r\n\r\n.Z\r\nQR\r\n");
}

// Sectors full of empty records give more text than the sectors hold; every
// record is still shown.
TEST(TextViews, RecordView_ShowsEveryRecordEvenWhenTheTextOutgrowsTheFile) {
  Bytes data(10 * 256, 0);
  for (size_t s = 0; s < 10; ++s) data[s * 256 + 255] = 0xFF;  // 255 empty records, then the end mark
  CatalogEntry row;
  row.kind = kKindDisVar;
  row.recordLength = 80;
  row.totalSectors = 10;
  row.level3Records = 10;
  MemoryData source(ByteView(data.data(), data.size()), "EMPTY");
  std::string text;
  BuildRecordView(source, row, text);
  EXPECT_EQ(text.size(), 10u * 255u * 2u);
}

TEST(TextViews, ForthTest_NeedsSizeAndPrintableFirstBlock) {
  Bytes forth(48 * 256, ' ');
  const std::string def = ": SQUARE DUP * ;";
  std::copy(def.begin(), def.end(), forth.begin() + 100);
  CatalogEntry row;
  row.kind = kKindDisFix;
  row.recordLength = 128;
  row.totalSectors = 48;
  MemoryData data(ByteView(forth.data(), forth.size()), "FORTH");
  EXPECT_TRUE(LooksLikeForth(data, row));
  row.totalSectors = 40;
  EXPECT_FALSE(LooksLikeForth(data, row));
  row.totalSectors = 48;
  // A non-printable byte in the first block decides, even though the second
  // block is Forth-like.
  Bytes mixed = forth;
  std::fill(mixed.begin() + 100, mixed.begin() + 120, ' ');
  std::copy(def.begin(), def.end(), mixed.begin() + 1500);
  mixed[5] = 0x01;
  MemoryData m(ByteView(mixed.data(), mixed.size()), "MIXED");
  EXPECT_FALSE(LooksLikeForth(m, row));
  mixed[5] = ' ';
  EXPECT_TRUE(LooksLikeForth(m, row));
  // " ;" must begin at least 3 characters after ": ".
  Bytes close(48 * 256, ' ');
  const std::string tight = ":  ;";
  std::copy(tight.begin(), tight.end(), close.begin());
  MemoryData c(ByteView(close.data(), close.size()), "CLOSE");
  EXPECT_FALSE(LooksLikeForth(c, row));
}

TEST(TextViews, ForthView_OfSixSectors_ShowsTwoBlocks) {
  Bytes data(6 * 256, 'a');
  data[0] = 0x00;
  MemoryData source(ByteView(data.data(), data.size()), "F");
  std::string text;
  BuildForthView(source, 6, text);
  const std::string line = std::string(64, 'a') + "\r\n";
  std::string want = "Block 001\r\n---------\r\n." + std::string(63, 'a') + "\r\n";
  for (int i = 1; i < 16; ++i) want += line;
  want += "\r\nBlock 002\r\n---------\r\n";
  for (int i = 0; i < 8; ++i) want += line;
  EXPECT_EQ(text, want);
}

TEST(ViewBuilder, ChoosesTheViewByKindModeAndContents) {
  TempDir dir;
  const std::vector<test::BasicLine> lines = {{10, test::Tok({{0x9C}, test::Quoted("HI")})}};
  dir.Write("BASIC", test::V9t9File(test::ProgramFile("BASIC", test::ProgramImageData(lines))));
  Bytes code{0x04, 0x60, 0xA0, 0x00, 0x02, 0xE0, 0x83, 0xE0};
  dir.Write("CODE", test::V9t9File(test::ProgramFile("CODE", code)));
  test::TiFile notLong = test::DisVarFile("NOTLONG", 254, {"RECORD ONE", "TWO"});
  notLong.status = 0x82;
  dir.Write("NOTLONG", test::V9t9File(notLong));
  dir.Write("MERGE", test::V9t9File(test::MergeFile("MERGE", lines)));
  Bytes forth(48 * 256, ' ');
  const std::string def = ": X 1 ;";
  std::copy(def.begin(), def.end(), forth.begin());
  TiFile blocks = test::DisFixFile("BLOCKS", 128, {});
  blocks.data = forth;
  blocks.recordsPerSector = 2;
  blocks.level3 = 96;
  dir.Write("BLOCKS", test::V9t9File(blocks));
  PcPane p(dir);

  EXPECT_EQ(p.View("BASIC").text, "10 PRINT \"HI\"\r\n");
  EXPECT_EQ(p.View("BASIC").title, "Korvane - " + dir.path() + "->BASIC     ");
  EXPECT_EQ(p.View("BASIC", kViewHex).text.rfind("00000000 00 03 37 C3 37 C0 37 CA", 0), 0u);
  EXPECT_EQ(p.View("CODE").text.rfind("00000000 04 60 A0 00 02 E0 83 E0 00", 0), 0u);
  EXPECT_EQ(p.View("NOTLONG").text, "RECORD ONE\r\nTWO\r\n");
  EXPECT_EQ(p.View("MERGE").text, "10 PRINT \"HI\"\r\n");
  EXPECT_EQ(p.View("BLOCKS").text.rfind("Block 001\r\n---------\r\n: X 1 ;", 0), 0u);
  EXPECT_EQ(p.View("NOTLONG", kViewForth).text.rfind("Block 001\r\n", 0), 0u);
}

TEST(ViewBuilder, TitleSuffix_StartsOneCharacterPast60Kb) {
  EXPECT_EQ(ViewTitle("T", std::string(61440, 'x')), "T");
  EXPECT_EQ(ViewTitle("T", std::string(61441, 'x')), "T (truncated to 60Kb)");
}

TEST(ViewBuilder, LocationTitle_NamesTheRowByThePanesState) {
  PaneState pane;
  pane.locationPath = "/d/games.dsk";
  pane.innerName = "UTIL";
  CatalogEntry row;
  row.tiName = "LOAD      ";
  row.sourceName = "games.dsk";
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/games.dsk->LOAD      ");
  row.fdrSector = 5;
  pane.containerLevel = 2;  // inside a floppy sub-directory
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/games.dsk->UTIL->LOAD      ");
  pane.containerLevel = 1;
  pane.hdLevel = 3;
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/games.dsk->UTIL->LOAD      ");
  pane.hdLevel = 0;
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/games.dsk->LOAD      ");

  // A container opened from inside another one.
  pane.containerInContainer = true;
  pane.outerPath = "/d/card.cf7";
  pane.container.tiName = "VOL/1     ";
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - games.dsk->VOL@1->LOAD      ");
  pane.containerLevel = 2;
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/card.cf7->UTIL->VOL@1->LOAD      ");
  row.fdrSector = 0;
  pane.containerLevel = 1;
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/card.cf7->VOL@1->LOAD      ");
  pane.hdLevel = 3;
  EXPECT_EQ(LocationTitle(pane, row), "Korvane - /d/card.cf7->UTIL->VOL@1->LOAD      ");
}

TEST(SectorRangeView, TitleAddressesAndTruncation) {
  test::RecordingReporter reporter;
  TempDir dir;
  Bytes image(60 * 256);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i / 256);
  const std::string path = dir.Write("IMG.DSK", image);

  TextView two = ShowSectorRange(path, "FDR", false, 0, 2, 1, 1);  // AU 1 of 2 sectors: sectors 2-3
  ASSERT_TRUE(two.ok);
  EXPECT_EQ(two.title, "FDR: FirstSector: >0002  NumberOfSectors: >0002");
  EXPECT_EQ(two.text.size(), 32u * 75u);
  EXPECT_EQ(two.text.substr(0, 12), "00000000 02 ");
  EXPECT_EQ(two.text.substr(16 * 75, 12), "00000100 03 ");

  // Image start in bytes or in sectors.
  EXPECT_EQ(ShowSectorRange(path, "V", true, 256, 1, 0, 1).text.substr(9, 2), "01");
  EXPECT_EQ(ShowSectorRange(path, "V", false, 4, 1, 0, 1).text.substr(9, 2), "04");

  // 52 sectors are more than 60 KB of text: cut there.
  TextView big = ShowSectorRange(path, "ALL", false, 0, 1, 0, 52);
  EXPECT_EQ(big.title, "ALL: FirstSector: >0000  NumberOfSectors: >0034 (truncated to 60Kb)");
  EXPECT_EQ(big.text.size(), 61440u + 22u);
  EXPECT_EQ(big.text.substr(61440), "\r\n (truncated to 60Kb)");
  EXPECT_TRUE(reporter.errors.empty());

  // A range past the end shows what came and names the missing sector.
  TextView past = ShowSectorRange(path, "END", false, 0, 1, 59, 3);
  EXPECT_TRUE(past.ok);
  EXPECT_EQ(past.text.size(), 16u * 75u);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <60> from <" + path + ">");
}

}  // namespace
}  // namespace korvane
