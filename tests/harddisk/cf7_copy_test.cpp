// Copying DSK images onto card volumes and volumes out to ".dsk" files: the
// grow and shrink rules, the mount record, the refusals and the copy run.
#include "harddisk/cf7_copy.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "floppy/v9t9.h"
#include "harddisk/cf7_volumes.h"
#include "support/card_builder.h"
#include "support/drive_stand_ins.h"
#include "support/floppy_check.h"
#include "support/pc99_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

test::CardLayout Volumes(int count) {
  test::CardLayout layout;
  for (int i = 0; i < count; ++i)
    layout.volumes.push_back(test::FormattedVolume("VOL" + std::to_string(i + 1)));
  return layout;
}

Bytes SmallDisk() {
  return test::DiskBuilder::Sssd("SMALL")
      .Add(test::DisVarFile("README", 80, {"ONE", "TWO"}))
      .Add(test::ProgramFile("PROG", Bytes(3000, 0x42)))
      .Build();
}

Bytes VolumeOf(const Bytes& cardImageFile, uint32_t volume) {
  const size_t at = 128 + size_t{volume - 1} * 409600;
  return Bytes(cardImageFile.begin() + static_cast<std::ptrdiff_t>(at),
               cardImageFile.begin() + static_cast<std::ptrdiff_t>(at + 409600));
}

std::string Imgtool(const std::string& image) {
  std::string out;
  if (FILE* p = ::popen(("imgtool dir v9t9 '" + image + "' 2>&1").c_str(), "r")) {
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
  }
  return out;
}

TEST(Cf7CopyIn, SmallDiskGrowsTo1600WithE5FillAndAFreeTail) {
  test::TempDir dir;
  const Bytes disk = SmallDisk();
  const std::string dsk = dir.Write("small.dsk", disk);
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(8)));
  {
    CardImage c;
    ASSERT_TRUE(c.Open(card, true));
    DiskSummary summary;
    ASSERT_EQ(CopyImageToVolume(c, 7, dsk, NoProgress(), &summary), CardCopyResult::Done);
    EXPECT_EQ(summary.volumeName, "SMALL     ");
    EXPECT_EQ(summary.totalSectors, 1600);
  }
  const Bytes file = test::ReadFile(card);
  const Bytes volume = VolumeOf(file, 7);
  const ByteView vib(volume.data(), 256);
  EXPECT_EQ(vib.be16(vib::kTotalSectors), 1600);
  for (unsigned s = 0; s < 1600; ++s)
    EXPECT_EQ(BitmapTest(vib, s), s < 360 && BitmapTest(ByteView(disk.data(), 256), s)) << s;
  EXPECT_TRUE(std::equal(disk.begin() + 256, disk.end(), volume.begin() + 256));
  EXPECT_EQ(test::SectorOf(volume, 360), Bytes(256, 0xE5));
  EXPECT_EQ(test::SectorOf(volume, 1599), Bytes(256, 0xE5));
  EXPECT_TRUE(test::CheckFloppyConsistency(volume).empty());
  EXPECT_EQ(VolumeOf(file, 6), VolumeOf(test::CardImageFile("CARD", Volumes(8)), 6));
  EXPECT_EQ(VolumeOf(file, 8), VolumeOf(test::CardImageFile("CARD", Volumes(8)), 8));
}

// The round trip for disks whose size is and is not a multiple of 8 sectors.
class Cf7RoundTrip : public ::testing::TestWithParam<test::DiskBuilder> {};

TEST_P(Cf7RoundTrip, DiskCopiedOntoAVolumeAndOutAgainIsTheOriginal) {
  test::TempDir dir;
  test::DiskBuilder builder = GetParam();
  const Bytes disk = builder.Add(test::DisFixFile("DATA", 80, {"A", "B", "C"})).Build();
  const std::string dsk = dir.Write("in.dsk", disk);
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(2)));
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  ASSERT_EQ(CopyImageToVolume(c, 2, dsk, NoProgress()), CardCopyResult::Done);
  const std::string out = dir.path() + "/out.dsk";
  ASSERT_EQ(CopyVolumeToDsk(c, 2, out, NoProgress()), CardCopyResult::Done);
  EXPECT_EQ(test::ReadFile(out), disk);
  const std::string listing = Imgtool(out);
  EXPECT_NE(listing.find("DATA"), std::string::npos) << listing;
}

INSTANTIATE_TEST_SUITE_P(Geometries, Cf7RoundTrip,
                         ::testing::Values(test::DiskBuilder::Sssd("SSSD"), test::DiskBuilder::Dsdd("DSDD"),
                                           test::DiskBuilder("ODD", 740, 10, 37, 2, 1)));

TEST(Cf7CopyIn, Pc99ImageGoesThroughTheConversionAndLandsLikeItsSectorImage) {
  test::TempDir dir;
  const Bytes disk = SmallDisk();
  dir.Write("small.pc99", test::BuildPc99(disk, {}));
  CatalogEntry row;
  row.kind = kKindPc99Sd;
  row.sourceName = "small.pc99";
  row.tiName = "SMALL";
  row.containerSectorsPerTrack = 9;
  row.containerTracks = 40;
  row.disk.sectorsPerTrack = 9;
  row.disk.tracksPerSide = 40;
  row.disk.sides = 1;
  row.disk.totalSectors = row.disk.total = 360;
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(1)));
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  ASSERT_EQ(CopyImageRowToVolume(c, 1, row, dir.path(), NoProgress()), CardCopyResult::Done);
  const std::string out = dir.path() + "/out.dsk";
  ASSERT_EQ(CopyVolumeToDsk(c, 1, out, NoProgress()), CardCopyResult::Done);
  EXPECT_EQ(test::ReadFile(out), disk);
}

TEST(Cf7CopyOut, UsedTailKeeps1600SectorsAndTheSubdirAreaIsCleared) {
  test::TempDir dir;
  Bytes disk = SmallDisk();
  const std::string dsk = dir.Write("small.dsk", disk);
  test::CardLayout layout = Volumes(1);
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", layout));
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  ASSERT_EQ(CopyImageToVolume(c, 1, dsk, NoProgress()), CardCopyResult::Done);
  // Someone used sector 1000 on the TI, and left bytes in the sub-directory area.
  CardVolumeSectors volume(c, 1);
  Sector vibSector;
  ASSERT_TRUE(volume.ReadSector(0, vibSector));
  BitmapSet(vibSector, 1000, true);
  vibSector[30] = 0x12;
  ASSERT_TRUE(volume.WriteSector(0, vibSector));
  const std::string out = dir.path() + "/out.dsk";
  ASSERT_EQ(CopyVolumeToDsk(c, 1, out, NoProgress()), CardCopyResult::Done);
  const Bytes written = test::ReadFile(out);
  ASSERT_EQ(written.size(), 1600u * 256);
  EXPECT_EQ(ByteView(written.data(), 256).be16(vib::kTotalSectors), 1600);
  EXPECT_EQ(written[30], 0);
  // The grown VIB kept the small disk's geometry; the 1600-sector file gets one that agrees.
  EXPECT_EQ(written[vib::kSectorsPerTrack] * written[vib::kTracksPerSide] * written[vib::kSides], 1600);
  EXPECT_NE(Imgtool(out).find("README"), std::string::npos);
}

TEST(Cf7CopyOut, ADeviceIsNeverTakenForAnImageFile) {
  test::TempDir dir;
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(1)));
  CardImage c;
  ASSERT_TRUE(c.Open(card, false));
  test::RecordingReporter reporter;
  EXPECT_EQ(CopyVolumeToDsk(c, 1, "/dev/null", NoProgress()), CardCopyResult::Failed);
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"Can't open file for write </dev/null>"});
  CardImage device;
  EXPECT_FALSE(device.Open("/dev/null", true));
}

TEST(Cf7CopyOut, VolumesGoToTheirNamesWithTheOverwriteQuestion) {
  test::TempDir dir;
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(3)));
  const std::string out = dir.Mkdir("out");
  const std::string existing = out + "/VOL2.dsk";
  {
    FILE* f = std::fopen(existing.c_str(), "w");
    std::fputs("old", f);
    std::fclose(f);
  }
  CardImage c;
  ASSERT_TRUE(c.Open(card, false));
  FileList rows;
  ASSERT_TRUE(ListCardVolumes(c, false, rows, NoProgress()));
  std::vector<std::string> asked;
  const int copied = CopyVolumesOut(c, rows, out, NoProgress(), [&](const std::string& name) {
    asked.push_back(name);
    return Answer::No;
  });
  EXPECT_EQ(copied, 2);
  EXPECT_EQ(asked, std::vector<std::string>{"VOL2"});
  EXPECT_EQ(test::ReadFile(existing), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(test::ReadFile(out + "/VOL3.dsk").size(), 1600u * 256);
}

TEST(Cf7CopyIn, VolumeOneOfADriveKeepsTheMountRecordAndOfAnImageDoesNot) {
  test::TempDir dir;
  Bytes disk = SmallDisk();
  disk[20] = 0x55;  // a sub-directory slot in use on the floppy
  const std::string dsk = dir.Write("small.dsk", disk);
  test::CardLayout layout = Volumes(2);
  layout.mount = true;
  layout.mounted = {2, 1, 0};
  const std::string raw = dir.Write("card.raw", test::RawCard(layout));
  {
    CardDrive c;
    ASSERT_TRUE(c.Open(test::StandInEnv(raw), test::StandInDevice(raw), DriveAccess::Write));
    ASSERT_EQ(CopyImageToVolume(c, 1, dsk, NoProgress()), CardCopyResult::Done);
  }
  const Bytes sectors = test::CompactRawCard(test::ReadFile(raw));
  EXPECT_EQ(Bytes(sectors.begin() + 20, sectors.begin() + 28), (Bytes{0xAA, 0x03, 0, 2, 0, 1, 0, 0}));
  EXPECT_EQ(Bytes(sectors.begin() + 28, sectors.begin() + 56), Bytes(28, 0));
  EXPECT_EQ(test::ReadFile(raw)[1], 0xE4);

  const std::string image = dir.Write("card.cf7", test::CardImageFile("CARD", layout));
  {
    CardImage c;
    ASSERT_TRUE(c.Open(image, true));
    ASSERT_EQ(CopyImageToVolume(c, 1, dsk, NoProgress()), CardCopyResult::Done);
  }
  const Bytes file = test::ReadFile(image);
  EXPECT_EQ(Bytes(file.begin() + 128 + 20, file.begin() + 128 + 56), Bytes(36, 0));
  EXPECT_EQ(file[20], 0xAA);  // the image's record lives in its header, untouched
}

TEST(Cf7CopyIn, ImageLargerThanAVolumeIsRefusedBeforeAnythingIsWritten) {
  test::TempDir dir;
  const std::string dsk = dir.Write("big.dsk", test::DiskBuilder::Dsdd80("BIG").Build());
  const Bytes before = test::CardImageFile("CARD", Volumes(2));
  const std::string card = dir.Write("card.cf7", before);
  test::RecordingReporter reporter;
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  EXPECT_EQ(CopyImageToVolume(c, 1, dsk, NoProgress()), CardCopyResult::Failed);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_NE(reporter.errors[0].find("2880 sectors, a volume holds 1600"), std::string::npos);
  EXPECT_NE(LastErrorCode(), 0);
  EXPECT_EQ(test::ReadFile(card), before);
}

TEST(Cf7CopyIn, CancelStopsBetweenSectors) {
  struct CancelAfter : Progress {
    uint64_t limit;
    uint64_t done = 0;
    explicit CancelAfter(uint64_t l) : limit(l) {}
    bool Step(uint64_t d) override { return done = d, !Cancelled(); }
    bool Cancelled() const override { return done >= limit; }
  } progress(10);
  test::TempDir dir;
  const std::string dsk = dir.Write("small.dsk", SmallDisk());
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(1)));
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  EXPECT_EQ(CopyImageToVolume(c, 1, dsk, progress), CardCopyResult::Cancelled);
  const Bytes volume = VolumeOf(test::ReadFile(card), 1);
  EXPECT_EQ(test::SectorOf(volume, 9), test::SectorOf(SmallDisk(), 9));
  EXPECT_EQ(test::SectorOf(volume, 10), test::SectorOf(test::FormattedVolume("VOL1"), 10));
}

TEST(Cf7CopyRun, AutoCopyFromVolume3OfFiveStopsWithDiskFull) {
  test::TempDir dir;
  std::vector<CatalogEntry> candidates;
  for (int i = 0; i < 5; ++i) {
    const std::string name = "IMG" + std::to_string(i);
    dir.Write(name + ".dsk", test::DiskBuilder::Sssd(name).Build());
    CatalogEntry row;
    row.kind = kKindDsk;
    row.sourceName = name + ".dsk";
    row.tiName = name;
    candidates.push_back(row);
  }
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Volumes(5)));
  CardImage c;
  ASSERT_TRUE(c.Open(card, true));
  test::RecordingReporter reporter;
  CardCopyRun run(candidates, dir.path(), 5, 3, true);
  EXPECT_EQ(run.Text(), "Copy DSK image <IMG0> to");
  std::vector<uint32_t> volumes;
  bool goOn = true;
  while (goOn) {
    goOn = run.CopyCurrent(c, NoProgress());
    volumes.push_back(run.LastVolume());
  }
  EXPECT_EQ(volumes, (std::vector<uint32_t>{3, 4, 5}));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].caption, "Copy File(s)");
  EXPECT_EQ(reporter.messages[0].text, "CF7A+ disk full");
  EXPECT_FALSE(run.Finished());
  EXPECT_EQ(run.Volume(), 1u);
  EXPECT_EQ(run.Text(), "Copy DSK image <IMG3> to");

  FileList rows;
  ASSERT_TRUE(ListCardVolumes(c, false, rows, NoProgress()));
  EXPECT_EQ(rows[2].tiName, "IMG0      ");
  EXPECT_EQ(rows[4].tiName, "IMG2      ");
  EXPECT_EQ(rows[0].tiName, "VOL1      ");
}

}  // namespace
}  // namespace korvane
