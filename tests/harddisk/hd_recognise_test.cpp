#include <gtest/gtest.h>

#include "harddisk/hd_format.h"
#include "harddisk/hd_rows.h"
#include "support/hd_builder.h"

namespace korvane::test {
namespace {

Bytes Vib(uint16_t totalAus, uint16_t spau, uint16_t fdirAu, uint8_t files = 0, uint8_t subdirs = 0) {
  Bytes s(256, 0);
  const std::string name = "VOLUME";
  std::copy(name.begin(), name.end(), s.begin());
  for (size_t i = name.size(); i < 10; ++i) s[i] = ' ';
  s[10] = static_cast<uint8_t>(totalAus >> 8), s[11] = static_cast<uint8_t>(totalAus);
  s[16] = static_cast<uint8_t>((spau - 1) << 4);
  s[22] = files, s[23] = subdirs;
  s[24] = static_cast<uint8_t>(fdirAu >> 8), s[25] = static_cast<uint8_t>(fdirAu);
  return s;
}

uint16_t Recognise(const Bytes& s) {
  HardDiskSummary summary;
  return RecogniseHardDisk(ByteView(s.data(), s.size()), summary);
}

TEST(RecogniseHardDisk, RootIndexMustLieAtSector64) {
  EXPECT_EQ(Recognise(Vib(1000, 2, 32)), 13);
  EXPECT_EQ(Recognise(Vib(1000, 2, 64)), 0);
  EXPECT_EQ(Recognise(Vib(1000, 1, 64)), 13);
  EXPECT_EQ(Recognise(Vib(1000, 16, 4)), 13);
  EXPECT_EQ(Recognise(Vib(1000, 3, 21)), 0);  // 63: no whole AU reaches 64
}

TEST(RecogniseHardDisk, CountsAtTheirLimitsPassAndOneMoreFails) {
  EXPECT_EQ(Recognise(Vib(0xF800, 1, 64, 127, 114)), 13);
  EXPECT_EQ(Recognise(Vib(0xF801, 1, 64)), 0);
  EXPECT_EQ(Recognise(Vib(1000, 1, 64, 128, 0)), 0);
  EXPECT_EQ(Recognise(Vib(1000, 1, 64, 0, 115)), 0);
  EXPECT_EQ(Recognise(Bytes(255, 0)), 0);  // a short read is no sector 0
}

TEST(RecogniseHardDisk, SummaryOfAVolume) {
  Bytes s = Vib(3000, 4, 16, 5, 2);
  s[0] = ' ';
  s[12] = 32;
  HardDiskSummary summary;
  ASSERT_EQ(RecogniseHardDisk(ByteView(s.data(), s.size()), summary), 13);
  EXPECT_EQ(summary.name, "no_name!! ");
  EXPECT_EQ(summary.spau, 4);
  EXPECT_EQ(summary.totalSectors, 12000u);
  EXPECT_EQ(summary.sectorsPerTrack, 32);
  EXPECT_EQ(summary.files, 5);
  EXPECT_EQ(summary.subdirs, 2);
  EXPECT_EQ(summary.fdirAu, 16);
}

struct TableCase {
  const char* what;
  uint32_t total;
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  bool valid;
};

class PartitionTableRules : public ::testing::TestWithParam<TableCase> {};

TEST_P(PartitionTableRules, ValidOnlyWhenFilledInOrderAndInsideTheDisk) {
  const TableCase& c = GetParam();
  const Bytes s = PartitionTableSector(c.total, c.entries);
  HardDiskSummary summary;
  // A table that fails is no VIB either (its word 10 is FFFFh).
  EXPECT_EQ(RecogniseHardDisk(ByteView(s.data(), s.size()), summary), c.valid ? 12 : 0) << c.what;
  if (c.valid) {
    EXPECT_EQ(summary.totalSectors, 2 * c.total);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PartitionTableRules,
    ::testing::Values(
        TableCase{"two partitions filling the disk", 8192, {{1, 6144}, {6145, 2047}}, true},
        TableCase{"four partitions", 1000, {{1, 100}, {101, 100}, {201, 100}, {301, 699}}, true},
        TableCase{"no partition at all", 1000, {}, true},
        TableCase{"partition 1 empty, 2 present", 1000, {{0, 0}, {10, 10}}, false},
        TableCase{"partition 2 empty, 3 present", 1000, {{1, 10}, {0, 0}, {20, 10}}, false},
        TableCase{"partition 3 empty, 4 present", 1000, {{1, 10}, {11, 10}, {0, 0}, {30, 10}}, false},
        TableCase{"partition 1 past the end", 1000, {{1, 1000}}, false},
        TableCase{"partition 4 past the end", 1000, {{1, 10}, {11, 10}, {21, 10}, {990, 11}}, false},
        TableCase{"offset plus size wraps round 32 bits", 1000, {{1, 10}, {0xFFFFFFF0u, 0x20}}, false}));

TEST(RecogniseHardDisk, PartitionTableNeedsEveryMark) {
  Bytes s = PartitionTableSector(1000, {{1, 10}});
  Bytes noFlag = s;
  noFlag[255] = 0;
  Bytes noPt = s;
  noPt[15] = 'X';
  Bytes noName = s;
  noName[0] = '#';
  for (const Bytes& b : {noFlag, noPt, noName}) EXPECT_EQ(Recognise(b), 0);
  EXPECT_EQ(Recognise(s), 12);
}

TEST(MakeHardDiskImageRow, RowsOfPlainAndPartitionedImages) {
  CatalogEntry row;
  const HdImage plain = HardDiskBuilder("SCSIVOL", 2000, 4).Build();
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(plain.bytes.data(), 256), "scsi.hd", row));
  EXPECT_EQ(row.kind, kKindHdImg);
  EXPECT_EQ(row.sourceName, "scsi.hd");
  EXPECT_EQ(row.tiName, "SCSIVOL   ");
  EXPECT_EQ(row.totalSectors, 2000);
  EXPECT_EQ(row.hdFields[hdrow::kIndexAu], 16);
  EXPECT_EQ(row.hdFields[hdrow::kSpau], 4);
  EXPECT_EQ(row.sizeInSectors, 8000u);

  const Bytes table = PartitionTableSector(8192, {{1, 6144}});
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(table.data(), table.size()), "ide.hd", row));
  EXPECT_EQ(row.kind, kKindPtImg);
  EXPECT_EQ(row.tiName, "*TI99FSPT*");
  EXPECT_EQ(row.totalSectors, 0xFFFF);
  EXPECT_EQ(row.sizeInSectors, 16384u);

  EXPECT_FALSE(MakeHardDiskImageRow(ByteView(Bytes(256, 0xFF).data(), 256), "x", row));
}

}  // namespace
}  // namespace korvane::test
