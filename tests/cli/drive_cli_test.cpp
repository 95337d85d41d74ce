// Removable drives through korvane-cli, with files standing in for them
// (KORVANE_DRIVES): the drive list, backup and restore, and the CF7A+ card
// commands on a card in a drive and on a card image.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/drive_stand_ins.h"
#include "support/hd_builder.h"

namespace korvane {
namespace {

using nlohmann::json;
using test::Bytes;

std::string Quote(const std::string& s) { return test::ShellQuote(s); }

// Files in a scratch folder that stand in for drives A:, B:, D: ... (C: is
// never given out); commands run in that folder, so a Korvane.ini there is
// the one they read.
struct StandIns {
  test::TempDir dir;
  test::DriveStandIns drives;
  const std::vector<std::string>& paths = drives.paths;

  explicit StandIns(const std::vector<std::pair<std::string, Bytes>>& files) : drives(dir, files) {}
  test::CliResult Run(const std::string& args, test::Capture capture = test::Capture::StdoutAndStderr) const {
    return test::RunCli(args, dir.path(), capture);
  }
  std::string Path(const std::string& name) const { return dir.path() + "/" + name; }
};

TEST(DriveCli, DrivesListsWhatEachDriveHoldsUnderTheAllowedLetters) {
  const Bytes card = test::RawCard(test::TwoVolumeCard());
  const test::HdImage hd = test::HardDiskBuilder("HARDONE", 400, 2).Build();
  StandIns s({{"card.raw", card}, {"hd.raw", hd.bytes}, {"blank.raw", Bytes(512 * 64, 0)}});

  test::CliResult r = s.Run("drives --json", test::Capture::Stdout);
  ASSERT_EQ(r.status, 0) << r.out;
  const json drives = json::parse(r.out);
  ASSERT_EQ(drives.size(), 3u) << r.out;
  EXPECT_EQ(drives[0]["letter"], "A");
  EXPECT_EQ(drives[0]["type"], 1);
  EXPECT_EQ(drives[0]["type_text"], "CF7A+");
  EXPECT_EQ(drives[0]["size"], card.size() / 512);
  EXPECT_EQ(drives[0]["megabytes"], card.size() / 1000000);
  EXPECT_EQ(drives[0]["name"], "CARDONE   ");
  EXPECT_EQ(drives[0]["path"], s.paths[0]);
  EXPECT_EQ(drives[1]["letter"], "B");
  EXPECT_EQ(drives[1]["type"], 4);
  EXPECT_EQ(drives[1]["type_text"], "HDIMG");
  EXPECT_EQ(drives[1]["size"], 400u);  // 400 AUs of 2 sectors: 400 device sectors
  EXPECT_EQ(drives[2]["letter"], "D");  // C: is never a removable drive
  EXPECT_EQ(drives[2]["type"], 100);

  // driveletters = E: and F: only (bits 4 and 5): the third drive gets none.
  const std::string ini = "[Korvane]\r\ndriveletters=48\r\n";
  s.dir.Write("Korvane.ini", Bytes(ini.begin(), ini.end()));
  r = s.Run("drives --json", test::Capture::Stdout);
  const json allowed = json::parse(r.out);
  ASSERT_EQ(allowed.size(), 2u) << r.out;
  EXPECT_EQ(allowed[0]["letter"], "E");
  EXPECT_EQ(allowed[1]["letter"], "F");

  r = s.Run("drives");
  EXPECT_NE(r.out.find("E: CF7A+     ["), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("F: DSKIMG [0Mb] [HARDONE   ]"), std::string::npos) << r.out;
}

TEST(DriveCli, CardBacksUpAndRestoresOntoAnotherCardButNotOntoASmallerOne) {
  const Bytes source = test::RawCard(test::TwoVolumeCard());
  const Bytes target(source.size() + 512 * 40, 0x11);
  const Bytes small(source.size() - 512, 0x33);
  StandIns s({{"source.raw", source}, {"target.raw", target}, {"small.raw", small}});

  test::CliResult r = s.Run("backup A: " + Quote(s.Path("my card.cf7")));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "");  // no progress when stderr is no terminal
  EXPECT_EQ(test::ReadFile(s.Path("my card.cf7")), test::CardImageFile("MY CARD", test::TwoVolumeCard()));

  // An existing image is only replaced when asked to.
  r = s.Run("backup A " + Quote(s.Path("my card.cf7")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("allready exist"), std::string::npos) << r.out;

  r = s.Run("restore B " + Quote(s.Path("my card.cf7")));
  ASSERT_EQ(r.status, 0) << r.out;
  const Bytes restored = test::ReadFile(s.paths[1]);
  const Bytes sectors = test::CompactRawCard(source);
  EXPECT_EQ(test::Slice(test::CompactRawCard(restored), 0, sectors.size()), sectors);
  EXPECT_EQ(restored[source.size()], 0x11);  // past the image: untouched

  r = s.Run("restore D " + Quote(s.Path("my card.cf7")));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("Not enough capacity on TI disk <D:> to restore image"), std::string::npos) << r.out;
  EXPECT_EQ(test::ReadFile(s.paths[2]), small);

  // A backup never writes onto a drive, the stand-in itself included.
  r = s.Run("backup A " + Quote(s.paths[1]) + " --yes");
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(test::ReadFile(s.paths[1]), restored);
  r = s.Run("backup A /dev/null --yes");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("is a drive"), std::string::npos) << r.out;
}

TEST(DriveCli, HardDiskBacksUpItsFormattedSizeAndRestores) {
  const test::HdImage hd = test::HardDiskBuilder("HARDONE", 400, 2).Build();
  Bytes drive = hd.bytes;
  drive.resize(drive.size() + 512 * 30, 0x77);  // unformatted tail of the device
  StandIns s({{"hd.raw", drive}, {"other.raw", Bytes(drive.size(), 0)}});
  test::CliResult r = s.Run("backup A disk.img");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(s.Path("disk.img")), hd.bytes);
  r = s.Run("restore B disk.img");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::Slice(test::ReadFile(s.paths[1]), 0, hd.bytes.size()), hd.bytes);
}

// Sector 0 of card volume `v` as the TI sees it.
Bytes VolumeSector0(const Bytes& compact, uint32_t v) { return test::SectorOf(compact, (v - 1) * 1600ull); }

TEST(DriveCli, VolumesAreInitializedAndMountedOnACardImageAndOnACardInADrive) {
  test::CardLayout layout;
  layout.volumes = {test::FormattedVolume("FIRST"), {}, {}};
  StandIns s({{"card.raw", test::RawCard(layout)}});
  const std::string image = s.dir.Write("card.cf7", test::CardImageFile("card", layout));

  for (const std::string& where : {image, std::string("drive:A")}) {
    SCOPED_TRACE(where);
    test::CliResult r = s.Run("cf7-init " + Quote(where) + " 3 NEWVOL");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("VOL #003: NEWVOL"), std::string::npos) << r.out;
    r = s.Run("cf7-init " + Quote(where) + " 4 NEWVOL");  // no such volume
    EXPECT_NE(r.status, 0);
    r = s.Run("cf7-init " + Quote(where) + " 2 'TWO WORDS'");
    EXPECT_NE(r.status, 0);
    r = s.Run("cf7-init " + Quote(where) + " 2 ''");
    EXPECT_NE(r.out.find("Please enter a volumelabel"), std::string::npos) << r.out;

    r = s.Run("cf7-mount " + Quote(where) + " 3 0 1");
    ASSERT_EQ(r.status, 0) << r.out;
    r = s.Run("cf7-mount " + Quote(where) + " 4 0 0");
    EXPECT_NE(r.status, 0);
    r = s.Run("cf7-mount " + Quote(where), test::Capture::Stdout);
    EXPECT_EQ(r.out, "DSK1: VOL #003: NEWVOL    \nDSK2: none\nDSK3: VOL #001: FIRST     \n");
  }

  // The image: the record in its header, the new volume in place.
  const Bytes file = test::ReadFile(image);
  EXPECT_EQ(test::Slice(file, 20, 8), (Bytes{0xAA, 0x03, 0, 3, 0, 0, 0, 1}));
  const Bytes imageSectors = test::Slice(file, 128, file.size() - 128);
  // The card: the record in sector 0, the volume written with its filler.
  const Bytes raw = test::ReadFile(s.paths[0]);
  const Bytes cardSectors = test::CompactRawCard(raw);
  EXPECT_EQ(test::Slice(VolumeSector0(cardSectors, 1), 20, 8), (Bytes{0xAA, 0x03, 0, 3, 0, 0, 0, 1}));
  for (const Bytes* sectors : {&imageSectors, &cardSectors}) {
    const Bytes vib = VolumeSector0(*sectors, 3);
    EXPECT_EQ(test::Slice(vib, 0, 10), test::Slice(test::FormattedVolume("NEWVOL"), 0, 10));
    EXPECT_EQ(test::Slice(*sectors, (2 * 1600 + 1) * 256, 256), Bytes(256, 0));     // empty file index
    EXPECT_EQ(test::Slice(*sectors, (2 * 1600 + 2) * 256, 256), Bytes(256, 0xE5));  // fresh sectors
    EXPECT_EQ(VolumeSector0(*sectors, 2), Bytes(256, 0));                      // volume 2 untouched
  }
  EXPECT_EQ(raw[2 * 1600 * 512 + 1], 0xE4);
  // A device is reached only as drive:B, through the drive layer's checks.
  EXPECT_NE(s.Run("cf7-init /dev/null 1 NEWVOL").status, 0);
  EXPECT_EQ(raw[(2 * 1600 + 1) * 512 + 1], 0xE5);
}

TEST(DriveCli, ACardInADriveListsItsVolumesWhichCannotBeEntered) {
  test::CardLayout layout = test::TwoVolumeCard();
  layout.volumes.push_back({});
  StandIns s({{"card.raw", test::RawCard(layout)}, {"pc.raw", Bytes(512 * 64, 0)}});
  test::CliResult r = s.Run("dir drive:A", test::Capture::Stdout);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("A: CF7A+ [2Mb]"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("CARDONE"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("UNFORMATED"), std::string::npos) << r.out;
  r = s.Run("dir --json drive:A", test::Capture::Stdout);
  const json rows = json::parse(r.out);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0]["pc_name"], "VOL #0001");
  EXPECT_EQ(rows[0]["kind"], 14);
  EXPECT_EQ(rows[0]["total"], 720);

  r = s.Run("dir drive:A::CARDONE");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("cannot be entered"), std::string::npos) << r.out;

  // A PC-formatted drive is taken for a card only when the user says so.
  r = s.Run("dir drive:B");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("PC formatted storage device"), std::string::npos) << r.out;
  r = s.Run("dir drive:B --yes");
  EXPECT_EQ(r.status, 0) << r.out;
}

TEST(DriveCli, VolumesCopyOutAsDskImagesAndImagesOntoVolumes) {
  const Bytes small = test::DiskBuilder::Sssd("SMALL").Add(test::DisVarFile("NOTE", 80, {"A NOTE"})).Build();
  test::CardLayout layout = test::TwoVolumeCard();
  layout.volumes.push_back(test::FormattedVolume("THIRD"));
  StandIns s({{"card.raw", test::RawCard(layout)}});
  const std::string out = s.dir.Mkdir("out");

  // Out: a volume whose sectors past its disk are marked used (as the card
  // builder leaves them) comes out whole, its disk sectors unchanged.
  test::CliResult r = s.Run("copy drive:A " + Quote(out) + " CARDONE");
  ASSERT_EQ(r.status, 0) << r.out;
  const Bytes whole = test::ReadFile(out + "/CARDONE.dsk");
  ASSERT_EQ(whole.size(), 1600u * 256);
  EXPECT_EQ(test::Slice(whole, 256, 719 * 256), test::Slice(layout.volumes[0], 256, 719 * 256));

  // In: onto volume 3, then out again by its number: it shrinks back to the
  // image it was.
  s.dir.Write("small.dsk", small);
  r = s.Run("copy . drive:A small.dsk --volume 3");
  ASSERT_EQ(r.status, 0) << r.out;
  const Bytes cardSectors = test::CompactRawCard(test::ReadFile(s.paths[0]));
  EXPECT_EQ(test::Slice(cardSectors, 2 * 1600 * 256 + 256, 359 * 256), test::Slice(small, 256, 359 * 256));
  EXPECT_EQ(test::Slice(cardSectors, (2 * 1600 + 360) * 256, 1240 * 256), Bytes(1240 * 256, 0xE5));
  // Volume 1 keeps the card's mount record.
  EXPECT_EQ(test::Slice(VolumeSector0(cardSectors, 1), 20, 8), (Bytes{0xAA, 0x03, 0, 2, 0, 1, 0, 0}));
  r = s.Run("copy drive:A " + Quote(out) + " '#3'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(out + "/SMALL.dsk"), small);

  // Only DSK and PC99 images go onto a card.
  s.dir.Write("plain.txt", Bytes{'h', 'i'});
  r = s.Run("copy . drive:A plain.txt");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("Can only copy DSK images to CF7A+ card"), std::string::npos) << r.out;
}

TEST(DriveCli, AutoCopyFillsACardImageVolumeAfterVolumeUntilItIsFull) {
  test::CardLayout layout;
  layout.volumes = {test::FormattedVolume("ONE"), test::FormattedVolume("TWO"), test::FormattedVolume("THREE")};
  StandIns s({});
  const std::string card = s.dir.Write("card.cf7", test::CardImageFile("card", layout));
  const Bytes a = test::DiskBuilder::Sssd("DISKA").Build();
  const Bytes b = test::DiskBuilder::Sssd("DISKB").Build();
  const Bytes c = test::DiskBuilder::Sssd("DISKC").Build();
  s.dir.Write("a.dsk", a);
  s.dir.Write("b.dsk", b);
  s.dir.Write("c.dsk", c);

  test::CliResult r = s.Run("copy . card.cf7 a.dsk b.dsk --volume 2");
  EXPECT_EQ(r.status, 2) << r.out;  // several images need --auto

  r = s.Run("copy . card.cf7 a.dsk b.dsk c.dsk --volume 2 --auto");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("CF7A+ disk full"), std::string::npos) << r.out;
  r = s.Run("dir card.cf7", test::Capture::Stdout);
  EXPECT_NE(r.out.find("ONE"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("DISKA"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("DISKB"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("DISKC"), std::string::npos) << r.out;  // waits at volume 1 again
  EXPECT_EQ(r.out.find("THREE"), std::string::npos) << r.out;

  r = s.Run("copy card.cf7 out DISKA");  // no such directory
  EXPECT_NE(r.status, 0);
  r = s.Run("copy card.cf7 . DISKB");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(s.Path("DISKB.dsk")), b);
}

}  // namespace
}  // namespace korvane
