// Removable drives: enumeration from sysfs and from KORVANE_DRIVES, the
// refusal to write a mounted or fixed device, the write lock, the sector
// size check and errors that name the failing sector.
#include "platform/drive_device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "support/card_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

// A fake /sys/block and mount table.
class FakeSystem {
 public:
  FakeSystem() {
    env.sysBlock = dir.Mkdir("block"), env.mountInfo = dir.path() + "/mountinfo", env.devDirectory = "/dev";
    Mounts("");
  }

  void Disk(const std::string& name, const std::string& numbers, bool removable, uint64_t size,
            uint32_t blockSize = 512) {
    const std::string base = env.sysBlock + "/" + name;
    ::mkdir(base.c_str(), 0755);
    ::mkdir((base + "/queue").c_str(), 0755);
    Put(base + "/dev", numbers);
    Put(base + "/removable", removable ? "1" : "0");
    Put(base + "/size", std::to_string(size));
    Put(base + "/queue/logical_block_size", std::to_string(blockSize));
  }
  void Partition(const std::string& disk, const std::string& name, const std::string& numbers) {
    const std::string base = env.sysBlock + "/" + disk + "/" + name;
    ::mkdir(base.c_str(), 0755);
    Put(base + "/dev", numbers);
    Put(base + "/partition", "1");
  }
  void Mounts(const std::string& lines) { Put(env.mountInfo, lines); }

  test::TempDir dir;
  DriveEnvironment env;

 private:
  static void Put(const std::string& path, const std::string& text) { std::ofstream(path) << text << "\n"; }
};

bool HaveBlockDevice(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
}

TEST(DriveList, RemovableDevicesWithMediaAreLetteredByNameSkippingC) {
  FakeSystem sys;
  sys.Disk("sdc", "8:32", true, 2048);
  sys.Disk("sda", "8:0", false, 100000);  // the system disk
  sys.Disk("sdb", "8:16", true, 4096);
  sys.Disk("sdd", "8:48", true, 0);  // a card reader without a card
  sys.Disk("mmcblk0", "179:0", true, 8192);
  const uint32_t bdef = (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5);
  const std::vector<DriveDevice> drives = ListRemovableDevices(sys.env, bdef);
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].deviceName, "mmcblk0");
  EXPECT_EQ(drives[0].letter, 'B');
  EXPECT_EQ(drives[0].path, "/dev/mmcblk0");
  EXPECT_EQ(drives[1].deviceName, "sdb");
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_EQ(drives[1].sectors, 4096u);
  EXPECT_EQ(drives[2].letter, 'E');

  // Fewer allowed letters than drives: the rest get none and are not offered.
  EXPECT_EQ(ListRemovableDevices(sys.env, 1u << 2 | 1u << 25).size(), 1u);
  EXPECT_EQ(AllowedDriveLetters(0x3FFFFFF).size(), 25u);
}

TEST(DriveList, StandInsReplaceTheSystemDrivesInTheirOwnOrder) {
  FakeSystem sys;
  sys.Disk("sdb", "8:16", true, 4096);
  const std::string second = sys.dir.Write("second.raw", test::Bytes(512 * 10, 0));
  const std::string first = sys.dir.Write("first.raw", test::Bytes(512 * 3 + 100, 0));
  sys.env.standInsGiven = true;
  sys.env.standIns = {second, first};
  const std::vector<DriveDevice> drives = ListRemovableDevices(sys.env, 0x3FFFFFF & ~1u);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[0].path, second);
  EXPECT_EQ(drives[0].letter, 'B');
  EXPECT_EQ(drives[1].letter, 'D');
  EXPECT_EQ(drives[1].sectors, 3u);  // whole sectors only
  EXPECT_TRUE(drives[1].standIn);
}

TEST(DriveList, KorvaneDrivesNamesTheStandInsSeparatedByColons) {
  ::setenv("KORVANE_DRIVES", "/tmp/a.raw::/tmp/b card.raw", 1);
  const DriveEnvironment env = DriveEnvironment::FromProcess();
  ::unsetenv("KORVANE_DRIVES");
  EXPECT_TRUE(env.standInsGiven);
  EXPECT_EQ(env.standIns, (std::vector<std::string>{"/tmp/a.raw", "/tmp/b card.raw"}));
  EXPECT_FALSE(DriveEnvironment::FromProcess().standInsGiven);
}

TEST(DriveWriteRefusal, MountedPartitionOrFixedDeviceIsNeverOpenedForWriting) {
  if (!HaveBlockDevice("/dev/loop0")) GTEST_SKIP() << "no /dev/loop0 to stand for a device";
  FakeSystem sys;
  DriveDevice drive;
  drive.letter = 'B';
  drive.path = "/dev/loop0";  // 7:0, described by the fake sysfs below

  sys.Disk("sdz", "7:0", true, 2048);
  sys.Partition("sdz", "sdz1", "7:1");
  sys.Mounts("36 27 7:1 / /media/card rw,relatime shared:1 - vfat /dev/sdz1 rw");
  test::RecordingReporter reporter;
  OpenDrive open;
  EXPECT_FALSE(open.Open(sys.env, drive, DriveAccess::Write));
  EXPECT_FALSE(open.IsOpen());
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0],
            "Can't open TI disk drive <B:>\n\n/dev/loop0 holds a mounted file system (vfat on /media/card); "
            "unmount it first.");
  EXPECT_EQ(LastErrorCode(), 24);

  sys.Mounts("36 27 7:0 / /media/whole rw - ext4 /dev/sdz rw");
  EXPECT_NE(WriteRefusal(sys.env, drive).find("mounted"), std::string::npos);

  sys.Mounts("");
  EXPECT_EQ(WriteRefusal(sys.env, drive), "");

  FakeSystem fixed;
  fixed.Disk("sdz", "7:0", false, 2048);
  EXPECT_EQ(WriteRefusal(fixed.env, drive),
            "/dev/loop0 is not a removable drive; only removable drives are written.");
}

TEST(DriveWriteRefusal, TheRealSystemDiskIsRefused) {
  // Whatever holds "/" on this machine is fixed and mounted.
  const DriveEnvironment env;
  std::string rootDevice;
  std::ifstream mounts(env.mountInfo);
  for (std::string line; std::getline(mounts, line);) {
    const size_t dash = line.find(" - ");
    if (line.find(" / / ") == std::string::npos || dash == std::string::npos) continue;
    std::string source = line.substr(dash + 3);
    source = source.substr(source.find(' ') + 1);
    rootDevice = source.substr(0, source.find(' '));
  }
  if (!HaveBlockDevice(rootDevice)) GTEST_SKIP() << "the root file system is not on a block device here";
  DriveDevice drive;
  drive.letter = 'D';
  drive.path = rootDevice;
  EXPECT_NE(WriteRefusal(env, drive), "");
  test::RecordingReporter reporter;
  OpenDrive open;
  EXPECT_FALSE(open.Open(env, drive, DriveAccess::Write));
  EXPECT_EQ(reporter.errors.size(), 1u);
}

TEST(DriveOpen, StandInIsLockedForOneWriterAndChecksItsSectorSize) {
  test::TempDir dir;
  DriveEnvironment env;
  DriveDevice drive;
  drive.letter = 'B';
  drive.path = dir.Write("card.raw", test::Bytes(512 * 8, 0));
  drive.standIn = true;
  OpenDrive writer;
  ASSERT_TRUE(writer.Open(env, drive, DriveAccess::Write));
  EXPECT_EQ(writer.Sectors(), 8u);

  test::RecordingReporter reporter;
  OpenDrive second;
  EXPECT_FALSE(second.Open(env, drive, DriveAccess::Write));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0].rfind("Can't lock device <B:> for writing sectors", 0), 0u);
  writer.Close();
  EXPECT_TRUE(second.Open(env, drive, DriveAccess::Write));
  second.Close();

  drive.logicalBlockSize = 4096;
  EXPECT_FALSE(second.Open(env, drive, DriveAccess::Read));
  EXPECT_EQ(reporter.errors.back(), "Sectorsize of TI disk not 512 bytes <B:>");
}

TEST(DriveSectors, AFailedRunNamesTheSectorThatFailed) {
  test::TempDir dir;
  test::Bytes bytes(512 * 10);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i / 512);
  DriveDevice drive;
  drive.letter = 'E';
  drive.path = dir.Write("disk.raw", bytes);
  drive.standIn = true;
  OpenDrive open;
  ASSERT_TRUE(open.Open(DriveEnvironment{}, drive, DriveAccess::Read));
  AlignedBuffer buffer(512 * 4);
  ASSERT_TRUE(ReadDeviceSectors(open, 6, 4, buffer.data()));
  EXPECT_EQ(buffer.data()[512 * 3], 9);
  test::RecordingReporter reporter;
  EXPECT_FALSE(ReadDeviceSectors(open, 8, 4, buffer.data()));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <10> from TI disk <E:>, error <5>");
  EXPECT_EQ(buffer.data()[512], 9);  // the sectors before it were read
}

}  // namespace
}  // namespace korvane
