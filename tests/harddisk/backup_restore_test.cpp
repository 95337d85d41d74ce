// What a drive holds, backup to an image and restore onto a drive, all on
// files standing in for removable drives.
#include <gtest/gtest.h>

#include "harddisk/backup_run.h"
#include "harddisk/cf7_card.h"
#include "support/card_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

// A stand-in hard-disk recogniser: sector 0 starting "HDISK" holds the size
// in device sectors as a big-endian word at 10.
std::optional<HardDiskIdentity> FakeProbe(ByteView first) {
  if (!first.equals(0, "HDISK")) return std::nullopt;
  return HardDiskIdentity{"HDISK", first.be16(10)};
}

struct Drives {
  test::TempDir dir;
  DriveEnvironment env;
  std::vector<RemovableDrive> Add(const std::vector<std::pair<std::string, Bytes>>& files) {
    env.standInsGiven = true;
    for (const auto& [name, bytes] : files) env.standIns.push_back(dir.Write(name, bytes));
    return EnumerateRemovableDrives(env, 0x3FFFFFF, {}, FakeProbe);
  }
};

test::CardLayout TwoVolumesWithMount() {
  test::CardLayout layout;
  layout.volumes.push_back(
      test::DiskBuilder("CARDONE", 1600, 20, 40, 2, 1).Add(test::DisVarFile("README", 80, {"HI"})).Build());
  layout.volumes.push_back(test::FormattedVolume("CARDTWO"));
  layout.extraSectors = 7;
  layout.mount = true;
  layout.mounted = {2, 1, 0};
  return layout;
}

TEST(DriveEnumeration, CardsHardDisksAndOtherDrivesAreTold) {
  Drives d;
  Bytes hd(512 * 64, 0);
  std::copy_n("HDISK", 5, hd.begin());
  hd[11] = 40;
  const std::vector<RemovableDrive> drives = d.Add({{"card.raw", test::RawCard(TwoVolumesWithMount())},
                                                    {"hd.raw", hd},
                                                    {"stick.raw", Bytes(512 * 100, 0)}});
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].type, kDriveCard);
  EXPECT_EQ(drives[0].typeText, "CF7A+");
  EXPECT_EQ(drives[0].volumeName, "CARDONE   ");
  EXPECT_EQ(drives[0].size, 3207u);
  EXPECT_EQ(CardReaderLabel(drives[0]), "A: CF7A+ [1Mb] [CARDONE   ]");
  EXPECT_EQ(BackupLabel(drives[0]), "A: CF7A+     [1Mb] [CARDONE   ]");
  EXPECT_EQ(drives[1].type, kDriveHardDisk);
  EXPECT_EQ(drives[1].size, 40u);  // the TI-formatted size, not the file's 64 sectors
  EXPECT_EQ(RestoreLabel(drives[1]), "B: DSKIMG [0Mb] [     HDISK]");
  EXPECT_EQ(drives[2].device.letter, 'D');
  EXPECT_EQ(drives[2].type, kDrivePcFormatted);
  EXPECT_EQ(BackupLabel(drives[2]), "D: FAT       [0Mb] [          -]");

  const auto cardsOnly = EnumerateRemovableDrives(d.env, 0x3FFFFFF, {false, true}, FakeProbe);
  EXPECT_EQ(cardsOnly[1].type, kDrivePcFormatted);  // a hard disk is not looked for
}

TEST(DriveEnumeration, CardsOf16000000SectorsOrMoreAreNotOffered) {
  Drives d;
  d.env.standInsGiven = true;
  for (uint64_t sectors : {15999999ull, 16000000ull}) {
    const std::string path = d.dir.path() + "/card" + std::to_string(sectors);
    test::MakeSparseFile(path, sectors * 512);
    d.env.standIns.push_back(path);
  }
  const std::vector<RemovableDrive> drives = EnumerateRemovableDrives(d.env, 0x3FFFFFF, {}, FakeProbe);
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].size, 15999999u);
  EXPECT_EQ(drives[0].Megabytes(), 8191u);
}

TEST(BackupRestore, CardBacksUpToACardImageAndRestoresOntoAnotherCard) {
  Drives d;
  const test::CardLayout layout = TwoVolumesWithMount();
  const Bytes source = test::RawCard(layout);
  Bytes target(source.size() + 512 * 100, 0x11);
  const std::vector<RemovableDrive> drives = d.Add({{"source.raw", source}, {"target.raw", target}});
  ASSERT_EQ(drives.size(), 2u);
  const std::string image = d.dir.path() + "/My Card.cf7";
  test::RecordingReporter reporter;
  ASSERT_EQ(BackupDrive(d.env, drives[0], image, NoProgress()), BackupResult::Done);
  EXPECT_TRUE(reporter.errors.empty());

  const Bytes file = test::ReadFile(image);
  Bytes expected = test::CardImageFile("MY CARD", layout);
  ASSERT_EQ(file.size(), expected.size());
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 16), Bytes(expected.begin(), expected.begin() + 16));
  EXPECT_EQ(file, expected);  // header with the record, sector 0 without it

  RemovableDrive onto = drives[1];
  onto.type = kDriveCard;  // the target holds nothing yet
  ASSERT_EQ(RestoreDrive(d.env, onto, image, FakeProbe, NoProgress()), BackupResult::Done);
  const Bytes restored = test::ReadFile(d.env.standIns[1]);
  const Bytes sourceSectors = test::CompactRawCard(source);
  const Bytes restoredSectors = test::CompactRawCard(restored);
  EXPECT_EQ(Bytes(restoredSectors.begin(),
                  restoredSectors.begin() + static_cast<std::ptrdiff_t>(sourceSectors.size())),
            sourceSectors);
  EXPECT_EQ(restored[1], 0xE4);
  EXPECT_EQ(restored[512 + 1], 0xE5);
  EXPECT_EQ(restored[source.size()], 0x11);  // past the image: untouched
}

TEST(BackupRestore, CardTooSmallGivesError29WithNothingWritten) {
  Drives d;
  const Bytes source = test::RawCard(TwoVolumesWithMount());
  const Bytes small(source.size() - 512, 0x33);
  const std::vector<RemovableDrive> drives = d.Add({{"source.raw", source}, {"small.raw", small}});
  const std::string image = d.dir.path() + "/card.cf7";
  ASSERT_EQ(BackupDrive(d.env, drives[0], image, NoProgress()), BackupResult::Done);
  test::RecordingReporter reporter;
  EXPECT_EQ(RestoreDrive(d.env, drives[1], image, FakeProbe, NoProgress()), BackupResult::Failed);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Not enough capacity on TI disk <B:> to restore image, error <0>");
  EXPECT_EQ(LastErrorCode(), 29);
  EXPECT_EQ(test::ReadFile(d.env.standIns[1]), small);
}

TEST(BackupRestore, HardDiskCopiesItsFormattedSizeBothWays) {
  Drives d;
  Bytes hd(512 * 5000);
  for (size_t i = 0; i < hd.size(); ++i) hd[i] = static_cast<uint8_t>(i * 7 / 512);
  std::copy_n("HDISK", 5, hd.begin());
  hd[10] = 4096 >> 8, hd[11] = 0;  // 4096 device sectors formatted: two runs and a bit
  const std::vector<RemovableDrive> drives = d.Add({{"hd.raw", hd}, {"other.raw", Bytes(512 * 4200, 0)}});
  ASSERT_EQ(drives[0].size, 4096u);
  const std::string image = d.dir.path() + "/disk.img";
  ASSERT_EQ(BackupDrive(d.env, drives[0], image, NoProgress()), BackupResult::Done);
  EXPECT_EQ(test::ReadFile(image), Bytes(hd.begin(), hd.begin() + 512 * 4096));

  RemovableDrive onto = drives[1];
  onto.type = kDriveHardDisk;
  ASSERT_EQ(RestoreDrive(d.env, onto, image, FakeProbe, NoProgress()), BackupResult::Done);
  const Bytes restored = test::ReadFile(d.env.standIns[1]);
  EXPECT_EQ(Bytes(restored.begin(), restored.begin() + 512 * 4096),
            Bytes(hd.begin(), hd.begin() + 512 * 4096));

  // An image the recogniser does not take is refused before writing.
  test::RecordingReporter reporter;
  const std::string other = d.dir.Write("other.img", Bytes(512 * 10, 0));
  EXPECT_EQ(RestoreDrive(d.env, onto, other, FakeProbe, NoProgress()), BackupResult::Failed);
  EXPECT_EQ(reporter.errors.back(), "Can't read diskinfo from diskfile <" + other + ">");
}

TEST(BackupRestore, ProgressCountsSectorsAndCancelStopsBetweenRuns) {
  struct Recording : Progress {
    std::vector<std::string> texts;
    uint64_t total = 0, last = 0;
    void Begin(uint64_t t, const std::string&) override { total = t; }
    void SetText(const std::string& text) override { texts.push_back(text); }
    bool Step(uint64_t done) override { return last = done, !Cancelled(); }
    bool Cancelled() const override { return last >= 2048; }
  } progress;
  Drives d;
  const std::vector<RemovableDrive> drives = d.Add({{"card.raw", test::RawCard(TwoVolumesWithMount())}});
  const std::string image = d.dir.path() + "/card.cf7";
  EXPECT_EQ(BackupDrive(d.env, drives[0], image, progress), BackupResult::Cancelled);
  EXPECT_EQ(progress.total, 3207u);
  EXPECT_EQ(progress.texts, std::vector<std::string>{"reading sector 0 of 3207"});
  EXPECT_EQ(test::ReadFile(image).size(), 128u + 2048 * 256);  // the partial image stays
}

TEST(BackupRestore, AnImageThatIsTheDriveItselfIsRefused) {
  Drives d;
  const Bytes card = test::RawCard(TwoVolumesWithMount());
  const std::vector<RemovableDrive> drives = d.Add({{"card.raw", card}});
  test::RecordingReporter reporter;
  EXPECT_EQ(BackupDrive(d.env, drives[0], d.env.standIns[0], NoProgress()), BackupResult::Failed);
  EXPECT_EQ(test::ReadFile(d.env.standIns[0]), card);
  EXPECT_EQ(reporter.errors.size(), 1u);
}

}  // namespace
}  // namespace korvane
