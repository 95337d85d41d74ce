#include <gtest/gtest.h>

#include "harddisk/hd_info.h"
#include "harddisk/hd_tree.h"
#include "harddisk/hd_test_util.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"

namespace korvane::test {
namespace {

TiFile Pattern(const std::string& name, size_t bytes, std::vector<uint16_t> fragments = {}) {
  TiFile f;
  f.name = name;
  f.status = 0x80;  // DIS/VAR
  f.recordLength = 254;
  f.recordsPerSector = 1;
  f.eofOffset = static_cast<uint8_t>(bytes % 256);
  f.level3 = static_cast<uint16_t>((bytes + 255) / 256);
  for (size_t i = 0; i < bytes; ++i) f.data.push_back(static_cast<uint8_t>(i * 31 + i / 256 + name.size()));
  f.fragments = std::move(fragments);
  return f;
}

// Every file of the image, exported through its row, equals what the
// builder put in: the header from the FDR, then the data sectors.
void ExpectEveryFileExportsAsBuilt(const HdImage& img, uint32_t base = 0) {
  TempDir tmp;
  const std::string path = tmp.Write("img.hd", img.bytes);
  size_t seen = 0;
  WalkHardDiskTree(path, base, [&](const std::string& dirPath, const HardDiskDirectory& dir) {
    for (const CatalogEntry& row : dir.rows) {
      if (!IsTiFileKind(row.kind)) continue;
      const std::string key = dirPath.empty() ? TrimTiName(row.tiName) : dirPath + "." + TrimTiName(row.tiName);
      // The header carries the FDR's creation and update times (bytes
      // 20-27), which the builder stamps on every file.
      Bytes expected = V9t9File(img.files.at(key));
      const uint8_t stamp[4] = {0x5A, 0x3C, 0x2C, 0x6F};
      for (size_t i = 0; i < 8; ++i) expected[20 + i] = stamp[i % 4];
      EXPECT_EQ(ExportedFile(path, row), expected) << key;
      ++seen;
    }
    return true;
  });
  EXPECT_EQ(seen, img.files.size());
}

class ExportBySpau : public ::testing::TestWithParam<uint16_t> {};

TEST_P(ExportBySpau, EveryFileExportsByteForByte) {
  const uint16_t spau = GetParam();
  HardDiskBuilder b("DATA", static_cast<uint16_t>(8000 / spau + 100), spau);
  b.Root().Add(Pattern("EMPTY", 0)).Add(Pattern("ONE", 100)).Add(Pattern("PARTAU", 256 * spau + 10));
  b.Root().Add(ProgramFile("PROG", Bytes(5000, 0x3C)));
  HdDir& sub = b.Root().AddDir("SUB");
  sub.Add(Pattern("FRAG", 256 * 7 * spau, {2, 1, 4}));  // three runs apart from each other
  sub.AddDir("DEEPER").Add(Pattern("LAST", 777));
  ExpectEveryFileExportsAsBuilt(b.Build());
}

INSTANTIATE_TEST_SUITE_P(Spau, ExportBySpau, ::testing::Values(1, 2, 4, 8, 16));

TEST(HardDiskFileData, FileLongerThanAFloppyChainCanAddressExportsWhole) {
  // 5000 sectors: more than the 4096 a floppy data chain can address.
  HardDiskBuilder b("BIG", 6000);
  b.Root().Add(Pattern("HUGE", 5000 * 256, {1000, 2000, 2000}));
  ExpectEveryFileExportsAsBuilt(b.Build());
}

TEST(HardDiskFileData, ChainEndsAtAnEmptyOrBackwardBlock) {
  Bytes fdr(256, 0);
  fdr[14] = 0, fdr[15] = 20;   // 20 data sectors
  fdr[40] = 0, fdr[41] = 10;   // AUs 10-11
  fdr[42] = 0, fdr[43] = 11;
  fdr[44] = 0, fdr[45] = 30;   // AUs 30-29: backwards, ends the chain
  fdr[46] = 0, fdr[47] = 29;
  const auto runs = HardDiskDataChain(ByteView(fdr.data(), fdr.size()), 4);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].first, 40u);
  EXPECT_EQ(runs[0].last, 47u);

  // The count cuts the last run; 54 blocks at most are read.
  Bytes full(256, 0);
  full[14] = 0xFF, full[15] = 0xFF;
  for (size_t p = 40; p + 4 <= 256; p += 4) full[p + 1] = 1, full[p + 3] = 1;
  EXPECT_EQ(HardDiskDataChain(ByteView(full.data(), full.size()), 1).size(), 54u);
  full[14] = 0, full[15] = 3;
  const auto cut = HardDiskDataChain(ByteView(full.data(), full.size()), 2);
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[1].first, cut[1].last);
}

TEST(HardDiskFileData, FilesOfAPartitionExportFromItsOwnBase) {
  HardDiskBuilder one("ONE", 300);
  one.Root().Add(Pattern("A", 1000));
  HardDiskBuilder two("TWO", 300, 2);
  two.Root().AddDir("D").Add(Pattern("B", 3000, {2, 4}));
  HdImage second = two.Build();
  HdImage combined = second;
  combined.bytes = PartitionedImage(1000, {{1, one.Build().bytes}, {301, second.bytes}});
  ExpectEveryFileExportsAsBuilt(combined, 602);
}

TEST(CountFreeAllocationUnits, CountsOnlyTheVolumesOwnAus) {
  HardDiskBuilder b("FREE", 1000);
  b.Root().Add(Pattern("A", 10 * 256));  // FDR + 10 data AUs
  TempDir tmp;
  // AUs 0-64 are the VIB, bitmap and root index area.
  const uint32_t expected = 1000 - 65 - 11;
  EXPECT_EQ(CountFreeAllocationUnits(tmp.Write("set.hd", b.Build().bytes), 0), expected);
  // A tool that leaves the bitmap's tail clear must not make the disk look
  // larger than it is.
  EXPECT_EQ(CountFreeAllocationUnits(tmp.Write("clear.hd", b.ClearBitmapTail().Build().bytes), 0), expected);
}

TEST(CountFreeBits, BitsAreTakenFromTheTopOfEachByte) {
  const uint8_t bytes[2] = {0x80, 0x7F};  // AU 0 used, AUs 1-7 free, AU 8 free, 9-15 used
  EXPECT_EQ(CountFreeBits(ByteView(bytes), 16), 8u);
  EXPECT_EQ(CountFreeBits(ByteView(bytes), 9), 8u);
  EXPECT_EQ(CountFreeBits(ByteView(bytes), 1), 0u);
}

TEST(ReadHardDiskImageInfo, PartitionedImageShowsEachPartitionWithItsOwnFreeCount) {
  HardDiskBuilder one("ONE", 400);
  HardDiskBuilder two("TWO", 300, 2);
  two.Root().Add(Pattern("BIG", 100 * 256));  // 50 AUs of data + FDR
  HardDiskBuilder four("FOUR", 200, 4);
  four.Root().Add(Pattern("SMALL", 256));
  Bytes image = PartitionedImage(1500, {{1, one.Build().bytes}, {201, two.Build().bytes}, {501, four.Build().bytes}});
  TempDir tmp;
  const std::string path = tmp.Write("ide.hd", image);
  CatalogEntry row;
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(image.data(), 256), "ide.hd", row));
  HardDiskImageInfo info;
  ASSERT_TRUE(ReadHardDiskImageInfo(path, row, info));
  EXPECT_EQ(info.pcName, "ide.hd");
  EXPECT_EQ(info.mediaType, "PTIMG");
  EXPECT_EQ(info.fileSize, 3000u);
  ASSERT_EQ(info.volumes.size(), 3u);
  const HardDiskVolumeInfo& p2 = info.volumes[1];
  EXPECT_EQ(p2.partition, 2);
  EXPECT_EQ(p2.label, "TWO       ");
  EXPECT_EQ(p2.OffsetText(), ">000000C9");
  EXPECT_EQ(p2.PartitionSizeText(), ">0000012C");
  EXPECT_EQ(p2.TotalAusText(), ">012C");
  EXPECT_EQ(p2.spau, 2);
  EXPECT_EQ(p2.size, 600u);
  EXPECT_EQ(p2.free, (300u - 33 - 51) * 2);  // AUs 0-32 reserved, FDR + 50 data AUs
  EXPECT_EQ(p2.used, 600 - p2.free);
  const HardDiskVolumeInfo& p3 = info.volumes[2];
  EXPECT_EQ(p3.label, "FOUR      ");
  EXPECT_EQ(p3.free, (200u - 17 - 2) * 4);
}

TEST(ReadHardDiskImageInfo, PlainImageHasOneLine) {
  HardDiskBuilder b("PLAIN", 500, 8);
  const HdImage img = b.Build();
  TempDir tmp;
  const std::string path = tmp.Write("plain.hd", img.bytes);
  CatalogEntry row;
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(img.bytes.data(), 256), "plain.hd", row));
  HardDiskImageInfo info;
  ASSERT_TRUE(ReadHardDiskImageInfo(path, row, info));
  EXPECT_FALSE(info.partitioned);
  ASSERT_EQ(info.volumes.size(), 1u);
  EXPECT_EQ(info.volumes[0].partition, 0);
  EXPECT_EQ(info.volumes[0].size, 4000u);
  EXPECT_EQ(info.volumes[0].free, (500u - 9) * 8);
}

}  // namespace
}  // namespace korvane::test
