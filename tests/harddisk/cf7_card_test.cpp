// Card images and cards in drives: recognition, the two volume lists, the
// files of a volume, initialize and the mount record.
#include "harddisk/cf7_card.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "harddisk/cf7_volumes.h"
#include "support/card_builder.h"
#include "support/drive_stand_ins.h"
#include "support/floppy_check.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

test::CardLayout ThreeVolumes() {
  test::CardLayout layout;
  layout.volumes.push_back(
      test::DiskBuilder("FIRST", 1600, 20, 40, 2, 1).Add(test::DisVarFile("README", 80, {"HI"})).Build());
  layout.volumes.push_back({});  // never formatted
  layout.volumes.push_back(
      test::DiskBuilder::Sssd("SMALL").Add(test::ProgramFile("PROG", Bytes(600, 7))).Build());
  return layout;
}

TEST(Cf7Recognition, CardImageRowHasKind15NameAndSectorCount) {
  test::CardLayout layout = ThreeVolumes();
  layout.extraSectors = 10;
  const Bytes file = test::CardImageFile("MYCARD", layout);
  CatalogEntry row;
  ASSERT_TRUE(RecogniseCardImage(ByteView(file.data(), 256), file.size(), "mycard.cf7", row));
  EXPECT_EQ(row.kind, kKindCardImg);
  EXPECT_EQ(row.tiName, "MYCARD    ");
  EXPECT_EQ(row.sizeInSectors, 3u * 1600 + 10);

  Bytes other = file;
  other[15] = 'X';
  EXPECT_FALSE(RecogniseCardImage(ByteView(other.data(), 256), other.size(), "x", row));
  EXPECT_FALSE(RecogniseCardImage(ByteView(file.data(), 200), file.size(), "x", row));
}

TEST(Cf7VolumeList, CardImageListsVolumesWithNamesSummariesAndUnformatted) {
  test::TempDir dir;
  test::CardLayout layout = ThreeVolumes();
  layout.extraSectors = 1599;  // a partial fourth volume is not listed
  const std::string path = dir.Write("card.cf7", test::CardImageFile("CARD", layout));
  CardImage card;
  ASSERT_TRUE(card.Open(path, false));
  FileList rows;
  ASSERT_TRUE(ListCardVolumes(card, true, rows, NoProgress()));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].kind, kKindUprdir);
  EXPECT_EQ(rows[0].sizeInSectors, 3u * 1600 + 1599);
  EXPECT_EQ(rows[1].sourceName, "VOL #001");
  EXPECT_EQ(rows[1].tiName, "FIRST     ");
  EXPECT_EQ(rows[1].kind, kKindCardVolume);
  EXPECT_EQ(rows[1].containerKind, kKindCardVolume);
  EXPECT_EQ(rows[1].disk.totalSectors, 1600);
  EXPECT_EQ(rows[2].tiName, "UNFORMATED");
  EXPECT_EQ(rows[2].disk.total, 0);
  EXPECT_EQ(rows[3].sourceName, "VOL #003");
  EXPECT_EQ(rows[3].volumePosition, 3200);
  EXPECT_EQ(rows[3].disk.totalSectors, 360);
}

TEST(Cf7VolumeList, CardInDriveOfFiveVolumesAnd1599SectorsListsFive) {
  test::TempDir dir;
  test::CardLayout layout;
  for (int i = 0; i < 5; ++i) layout.volumes.push_back(test::FormattedVolume("V" + std::to_string(i + 1)));
  layout.extraSectors = 1599;
  const std::string path = dir.Write("card.raw", test::RawCard(layout));
  CardDrive card;
  ASSERT_TRUE(card.Open(test::StandInEnv(path), test::StandInDevice(path), DriveAccess::Read));
  EXPECT_EQ(card.SectorCount(), 5u * 1600 + 1599);
  FileList rows;
  ASSERT_TRUE(ListCardVolumes(card, false, rows, NoProgress()));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].sourceName, "VOL #0001");
  EXPECT_EQ(rows[4].sourceName, "VOL #0005");
  EXPECT_EQ(rows[4].tiName, "V5        ");
  EXPECT_EQ(rows[4].kind, kKindCardDrive);
  EXPECT_EQ(rows[4].volumePosition, 6400);
  EXPECT_EQ(InitializeCaption(rows[4]), "Format CF7A+ Volume #0005");
}

TEST(Cf7VolumeList, CorpusRawCardListsItsTwoVolumes) {
  const std::string base = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool/card-two.raw";
  std::ifstream json(base + ".volumes.json");
  if (!json) GTEST_SKIP() << "corpus file " << base << " is not here";
  std::stringstream text;
  text << json.rdbuf();
  std::vector<std::string> names;
  const std::string all = text.str();
  const std::regex nameField("\"name\": \"([^\"]*)\"");
  for (std::sregex_iterator it(all.begin(), all.end(), nameField), end; it != end; ++it)
    names.push_back((*it)[1]);
  ASSERT_EQ(names.size(), 2u);

  CardDrive card;
  ASSERT_TRUE(card.Open(test::StandInEnv(base), test::StandInDevice(base), DriveAccess::Read));
  FileList rows;
  ASSERT_TRUE(ListCardVolumes(card, false, rows, NoProgress()));
  ASSERT_EQ(rows.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(rows[i].tiName.substr(0, names[i].size()), names[i]);
    EXPECT_EQ(rows[i].disk.totalSectors, 1600);
  }
  // The tool that made the card counts 53 and 7 sectors in use.
  EXPECT_EQ(rows[0].disk.free, 1547);
  EXPECT_EQ(rows[1].disk.free, 1593);
}

TEST(Cf7VolumeList, FailedReadIsReportedAndKeepsTheRowsSoFar) {
  test::TempDir dir;
  Bytes file = test::CardImageFile("CARD", ThreeVolumes());
  const std::string path = dir.Write("card.cf7", file);
  CardImage card;
  ASSERT_TRUE(card.Open(path, false));
  test::RecordingReporter reporter;
  ::truncate(path.c_str(), 128 + 1600 * 256 + 100);  // the card shrank after it was opened
  FileList rows;
  EXPECT_FALSE(ListCardVolumes(card, false, rows, NoProgress()));
  EXPECT_EQ(rows.size(), 1u);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <1600> from <" + path + ">");
}

TEST(Cf7VolumeFiles, FilesOfAVolumeCarryItsPositionAndUninitializedIsRefused) {
  test::TempDir dir;
  const std::string path = dir.Write("card.cf7", test::CardImageFile("CARD", ThreeVolumes()));
  CardImage card;
  ASSERT_TRUE(card.Open(path, false));
  FileList volumes;
  ASSERT_TRUE(ListCardVolumes(card, false, volumes, NoProgress()));
  FileList rows;
  ASSERT_TRUE(ListCardVolumeFiles(path, volumes[2], rows));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1].sourceName, "VOL #003->SMALL");
  EXPECT_EQ(rows[1].tiName, "PROG      ");
  EXPECT_EQ(rows[1].kind, kKindProgram);
  EXPECT_EQ(rows[1].containerKind, kKindCardVolume);
  EXPECT_EQ(rows[1].volumePosition, 128 + 2 * 409600);

  test::RecordingReporter reporter;
  rows.clear();
  EXPECT_FALSE(ListCardVolumeFiles(path, volumes[1], rows));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "DSK is not initialized");
}

TEST(Cf7Initialize, ImageVolumeGetsVibIndexAndE5WithoutTouchingItsNeighbours) {
  test::TempDir dir;
  const Bytes before = test::CardImageFile("CARD", ThreeVolumes());
  const std::string path = dir.Write("card.cf7", before);
  CardImage card;
  ASSERT_TRUE(card.Open(path, true));
  DiskSummary summary;
  ASSERT_TRUE(InitializeVolume(card, 2, "fresh", NoProgress(), &summary));
  EXPECT_EQ(summary.volumeName, "FRESH     ");
  EXPECT_EQ(summary.totalSectors, 1600);
  EXPECT_EQ(summary.free, 1598);

  const Bytes after = test::ReadFile(path);
  ASSERT_EQ(after.size(), before.size());
  const Bytes sectors(after.begin() + 128, after.end());
  Bytes volume(sectors.begin() + 1600 * 256, sectors.begin() + 3200 * 256);
  EXPECT_TRUE(test::CheckFloppyConsistency(volume).empty());
  EXPECT_EQ(volume[0x0c], 20);  // sectors per track
  EXPECT_EQ(volume[0x11], 40);  // tracks per side
  EXPECT_EQ(volume[0x12], 2);   // sides
  EXPECT_EQ(test::SectorOf(volume, 1), Bytes(256, 0));
  EXPECT_EQ(test::SectorOf(volume, 1599), Bytes(256, 0xE5));
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + 128 + 1600 * 256, after.begin()));
  EXPECT_TRUE(std::equal(before.begin() + 128 + 3200 * 256, before.end(), after.begin() + 128 + 3200 * 256));
}

TEST(Cf7Initialize, DriveVolumeIsWrittenInTheEvenByteLayout) {
  test::TempDir dir;
  test::CardLayout layout;
  layout.volumes = {{}, {}};
  const std::string path = dir.Write("card.raw", test::RawCard(layout));
  CardDrive card;
  ASSERT_TRUE(card.Open(test::StandInEnv(path), test::StandInDevice(path), DriveAccess::Write));
  ASSERT_TRUE(InitializeVolume(card, 2, "DRIVE", NoProgress()));
  const Bytes raw = test::ReadFile(path);
  const size_t first = 1600 * 512;
  EXPECT_EQ(raw[first], 'D');
  EXPECT_EQ(raw[first + 1], 0xE4);  // filler of a volume's first sector
  EXPECT_EQ(raw[first + 512 + 1], 0xE5);
  EXPECT_EQ(raw[first + 2 * 512], 0xE5);
  EXPECT_EQ(raw[0], 0);  // volume 1 untouched
  FileList rows;
  ASSERT_TRUE(ListCardVolumes(card, false, rows, NoProgress()));
  EXPECT_EQ(rows[1].tiName, "DRIVE     ");
}

TEST(Cf7VolumeSectors, SectorsPastTheVolumeAreRefused) {
  test::TempDir dir;
  const std::string path = dir.Write("card.cf7", test::CardImageFile("CARD", ThreeVolumes()));
  CardImage card;
  ASSERT_TRUE(card.Open(path, true));
  CardVolumeSectors volume(card, 1);
  test::RecordingReporter reporter;
  Sector s{};
  EXPECT_FALSE(volume.ReadSector(1600, s));
  EXPECT_FALSE(volume.WriteSector(1600, s));
  EXPECT_EQ(reporter.errors.size(), 2u);
  EXPECT_EQ(test::ReadFile(path), test::CardImageFile("CARD", ThreeVolumes()));
}

TEST(Cf7Mount, ImageRecordLivesInTheHeaderAndDriveRecordInEvenBytesOfSectorZero) {
  test::TempDir dir;
  test::CardLayout layout = ThreeVolumes();
  const std::string image = dir.Write("card.cf7", test::CardImageFile("CARD", layout));
  {
    CardImage card;
    ASSERT_TRUE(card.Open(image, true));
    MountRecord r;
    ASSERT_TRUE(card.ReadMountRecord(r));
    EXPECT_FALSE(r.present);
    ASSERT_TRUE(SetMountRecord(card, {3, 0, 1}));
  }
  const Bytes header = test::ReadFile(image);
  EXPECT_EQ(Bytes(header.begin() + 20, header.begin() + 28), (Bytes{0xAA, 0x03, 0, 3, 0, 0, 0, 1}));
  EXPECT_EQ(Bytes(header.begin() + 128 + 20, header.begin() + 128 + 28), Bytes(8, 0));  // sector 0 untouched

  const std::string raw = dir.Write("card.raw", test::RawCard(layout));
  const Bytes rawBefore = test::ReadFile(raw);
  {
    CardDrive card;
    ASSERT_TRUE(card.Open(test::StandInEnv(raw), test::StandInDevice(raw), DriveAccess::Write));
    ASSERT_TRUE(SetMountRecord(card, {2, 3, 0}));
    MountRecord r;
    ASSERT_TRUE(card.ReadMountRecord(r));
    EXPECT_TRUE(r.present);
    EXPECT_EQ(r.dsk, (std::array<uint16_t, 3>{2, 3, 0}));
  }
  Bytes rawAfter = test::ReadFile(raw);
  const Bytes expected{0xAA, 0x03, 0, 2, 0, 3, 0, 0};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(rawAfter[40 + 2 * i], expected[i]);
    rawAfter[40 + 2 * i] = rawBefore[40 + 2 * i];
  }
  EXPECT_EQ(rawAfter, rawBefore);  // nothing else changed, fillers included
}

TEST(Cf7EvenBytes, RunsOfSectorsCompactAndSpreadLikeOneSectorAtATime) {
  Bytes device(512 * 3);
  for (size_t i = 0; i < device.size(); ++i) device[i] = static_cast<uint8_t>(i * 37 + i / 512);
  Bytes compact(256 * 3);
  CompactDeviceSectors(device.data(), 3, compact.data());
  Bytes spread(512 * 3);
  SpreadDeviceSectors(compact.data(), 3, 0xE5, spread.data());
  for (size_t s = 0; s < 3; ++s) {
    Sector one;
    CompactDeviceSector(device.data() + 512 * s, one);
    EXPECT_TRUE(std::equal(one.begin(), one.end(), compact.begin() + 256 * s));
    uint8_t back[512];
    SpreadDeviceSector(one, 0xE5, back);
    EXPECT_TRUE(std::equal(back, back + 512, spread.begin() + 512 * s));
  }
  EXPECT_EQ(compact[1], device[2]);
  EXPECT_EQ(spread[1], 0xE5);
}

TEST(Cf7Mount, SelectionOfVolumesBeyondTheCardIsNone) {
  MountRecord r;
  EXPECT_EQ(MountSelection(r, 5), (std::array<uint16_t, 3>{}));
  r.present = true;
  r.dsk = {5, 6, 1};
  EXPECT_EQ(MountSelection(r, 5), (std::array<uint16_t, 3>{5, 0, 1}));
  EXPECT_EQ(MountChoiceText(7, "UNFORMATED"), "VOL #007: UNFORMATED");
}

}  // namespace
}  // namespace korvane
