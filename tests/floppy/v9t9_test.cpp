#include "floppy/v9t9.h"

#include <gtest/gtest.h>

#include <set>

#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

class AuRule : public testing::TestWithParam<std::pair<uint32_t, unsigned>> {};

TEST_P(AuRule, SectorsPerAllocationUnitFollowsTotalSectors) {
  EXPECT_EQ(SectorsPerAllocationUnit(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Geometries, AuRule,
                         testing::Values(std::pair<uint32_t, unsigned>{360, 1}, std::pair<uint32_t, unsigned>{1600, 1},
                                         std::pair<uint32_t, unsigned>{1601, 2}, std::pair<uint32_t, unsigned>{2880, 2},
                                         std::pair<uint32_t, unsigned>{3200, 2}, std::pair<uint32_t, unsigned>{3201, 4},
                                         std::pair<uint32_t, unsigned>{12800, 8}, std::pair<uint32_t, unsigned>{25600, 16},
                                         std::pair<uint32_t, unsigned>{25601, 0}));

Bytes Vib(uint16_t total, uint8_t spt, uint8_t tracks, uint8_t sides, uint8_t density) {
  return test::DiskBuilder("VOL", total, spt, tracks, sides, density).Build();
}

TEST(DiskSummary, ZeroTracksAreDerivedFromTheGeometry) {
  Bytes image = Vib(720, 9, 0, 2, 1);
  DiskSummary s;
  ASSERT_TRUE(ReadDiskSummary(ByteView(image.data(), 256), kKindDsk, s));
  EXPECT_EQ(s.tracksPerSide, 40);

  image[12] = 0;  // and no sectors per track either: not an image
  EXPECT_FALSE(ReadDiskSummary(ByteView(image.data(), 256), kKindDsk, s));
  EXPECT_EQ(s.free, 0);
  EXPECT_EQ(s.used, 0);
}

TEST(DiskSummary, RejectsImpossibleGeometryAndMissingMarker) {
  DiskSummary s;
  Bytes threeSides = Vib(360, 9, 40, 3, 1);
  Bytes density4 = Vib(360, 9, 40, 1, 4);
  Bytes noMarker = Vib(360, 9, 40, 1, 1);
  noMarker[14] = 'X';
  EXPECT_FALSE(ReadDiskSummary(ByteView(threeSides.data(), 256), kKindDsk, s));
  EXPECT_FALSE(ReadDiskSummary(ByteView(density4.data(), 256), kKindDsk, s));
  EXPECT_FALSE(ReadDiskSummary(ByteView(noMarker.data(), 256), kKindDsk, s));
  Bytes zeros = Vib(360, 9, 40, 0, 0);  // 0 sides and density read as 1
  ASSERT_TRUE(ReadDiskSummary(ByteView(zeros.data(), 256), kKindDsk, s));
  EXPECT_EQ(s.sides, 1);
  EXPECT_EQ(s.density, 1);
}

TEST(DiskSummary, AnEmptyDiskCountsItsSystemSectorsAndTheBitsPastTheEndAsUsed) {
  Bytes image = test::DiskBuilder::Sssd("EMPTY").Build();
  DiskSummary s;
  ASSERT_EQ(RecogniseFloppy(ByteView(image.data(), 256), nullptr, s), kKindDsk);
  EXPECT_EQ(s.free, 358);
  EXPECT_EQ(s.total, 360);
  EXPECT_EQ(s.used, 2);
  EXPECT_EQ(s.volumeName, "EMPTY     ");
}

TEST(Recognise, Pc99PatternsYieldTheirKindsWithTheVibInsideTheTrack) {
  Bytes vib = Vib(360, 9, 40, 1, 1);
  Bytes sd(47 + 256, 0);
  sd[22] = 0xFE;
  sd[26] = 0x01;
  sd[46] = 0xFB;
  std::copy(vib.begin(), vib.begin() + 256, sd.begin() + 47);
  test::TempDir dir;
  const std::string path = dir.Write("sd.pc99", sd);
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  DiskSummary s;
  EXPECT_EQ(RecogniseFloppy(ByteView(sd.data(), 256), &file, s), kKindPc99Sd);
  EXPECT_EQ(s.total, 360);

  Bytes dd(98 + 256, 0x00);
  dd[0] = 0x4E;
  dd[53] = 0xFE;
  dd[57] = 0x01;
  dd[97] = 0xFB;
  std::copy(vib.begin(), vib.begin() + 256, dd.begin() + 98);
  const std::string ddPath = dir.Write("dd.pc99", dd);
  PcFile ddFile;
  ASSERT_TRUE(ddFile.Open(ddPath, PcFile::Mode::Read));
  EXPECT_EQ(RecogniseFloppy(ByteView(dd.data(), 256), &ddFile, s), kKindPc99Dd);

  // A file too short to hold the VIB at its offset is no image.
  const std::string shortPath = dir.Write("short.pc99", Bytes(sd.begin(), sd.begin() + 256));
  PcFile shortFile;
  ASSERT_TRUE(shortFile.Open(shortPath, PcFile::Mode::Read));
  EXPECT_EQ(RecogniseFloppy(ByteView(sd.data(), 256), &shortFile, s), 0);
}

Bytes FdrWithChain(uint16_t total, std::initializer_list<std::array<uint16_t, 2>> entries) {
  Bytes fdr(256, 0);
  fdr[14] = static_cast<uint8_t>(total >> 8);
  fdr[15] = static_cast<uint8_t>(total);
  size_t p = 28;
  for (const auto& e : entries) {
    const uint16_t start = e[0], offset = e[1];
    fdr[p] = static_cast<uint8_t>(start);
    fdr[p + 1] = static_cast<uint8_t>(((start >> 8) & 0x0F) | ((offset & 0x0F) << 4));
    fdr[p + 2] = static_cast<uint8_t>(offset >> 4);
    p += 3;
  }
  return fdr;
}

TEST(DataChain, FragmentsRunFromStartToTheRunningOffset) {
  const Bytes fdr = FdrWithChain(7, {{{34, 2}}, {{40, 6}}});
  const auto frags = ReadDataChain(ByteView(fdr.data(), fdr.size()), 1);
  ASSERT_EQ(frags.size(), 2u);
  EXPECT_EQ(frags[0].first, 34u);
  EXPECT_EQ(frags[0].last, 36u);
  EXPECT_EQ(frags[1].first, 40u);
  EXPECT_EQ(frags[1].last, 43u);
}

TEST(DataChain, DensityThreeScalesStartsButNotOffsets) {
  const Bytes fdr = FdrWithChain(3, {{{100, 2}}});
  const auto frags = ReadDataChain(ByteView(fdr.data(), fdr.size()), 3);
  ASSERT_EQ(frags.size(), 1u);
  EXPECT_EQ(frags[0].first, 400u);
  EXPECT_EQ(frags[0].last, 402u);
}

TEST(DataChain, BackwardOffsetsEndTheWalkAndTotalsCapIt) {
  const Bytes backwards = FdrWithChain(10, {{{34, 4}}, {{50, 2}}, {{60, 9}}});
  EXPECT_EQ(ReadDataChain(ByteView(backwards.data(), backwards.size()), 1).size(), 1u);

  const Bytes capped = FdrWithChain(2, {{{34, 9}}});  // chain claims 10 sectors, FDR says 2
  const auto frags = ReadDataChain(ByteView(capped.data(), capped.size()), 1);
  ASSERT_EQ(frags.size(), 1u);
  EXPECT_EQ(frags[0].last, 35u);

  // Every entry filled to byte 255: the walk stops before passing byte 254.
  Bytes full(256, 0);
  full[14] = 0xFF;
  full[15] = 0xFF;
  for (size_t p = 28; p + 2 < 256; p += 3) {
    const unsigned index = static_cast<unsigned>((p - 28) / 3);
    full[p] = 1;
    full[p + 1] = static_cast<uint8_t>((index & 0x0F) << 4);
    full[p + 2] = static_cast<uint8_t>(index >> 4);
  }
  EXPECT_EQ(ReadDataChain(ByteView(full.data(), full.size()), 1).size(), 75u);
}

TEST(DataChain, ReadsFragmentedFilesBackInOrder) {
  test::TiFile f = test::DisFixFile("FRAG", 128, {});
  f.data.resize(6 * 256);
  for (size_t i = 0; i < f.data.size(); ++i) f.data[i] = static_cast<uint8_t>(i / 256 + 1);
  f.fragments = {2, 1, 3};
  test::TempDir dir;
  const std::string path = dir.Write("frag.dsk", test::DiskBuilder::Sssd("FRAG").Add(f).Build());
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  ImageFileSectors source(file, path);
  Sector fdr;
  ASSERT_TRUE(source.ReadSector(2, fdr));
  std::vector<uint8_t> firstBytes;
  std::set<uint32_t> seen;
  ASSERT_TRUE(ReadFileSectors(source, ByteView(fdr.data(), fdr.size()), 1, [&](uint32_t index, const Sector& s) {
    seen.insert(index);
    firstBytes.push_back(s[0]);
    return true;
  }));
  EXPECT_EQ(firstBytes, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(ReadDataChain(ByteView(fdr.data(), fdr.size()), 1).size(), 3u);
}

TEST(DataChain, AChainPastTheImageEndsWithAReadError) {
  test::TiFile f = test::DisFixFile("BAD", 128, {"X"});
  f.brokenChainPastEnd = true;
  test::TempDir dir;
  const std::string path = dir.Write("bad.dsk", test::DiskBuilder::Sssd("BAD").Add(f).Build());
  test::RecordingReporter r;
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  ImageFileSectors source(file, path);
  Sector fdr;
  ASSERT_TRUE(source.ReadSector(2, fdr));
  EXPECT_FALSE(ReadFileSectors(source, ByteView(fdr.data(), fdr.size()), 1, [](uint32_t, const Sector&) { return true; }));
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0], "Can't read sector <365> from <" + path + ">");
}

}  // namespace
}  // namespace korvane
