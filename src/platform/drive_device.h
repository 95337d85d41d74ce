// Raw access to removable drives: finding them, opening them, and moving
// whole 512-byte device sectors at 64-bit byte offsets.
//
// This is the only code that opens a drive for writing. Before a drive is
// opened for writing it must
//   - be a removable block device (sysfs "removable" is 1), or a plain file
//     standing in for one (KORVANE_DRIVES);
//   - hold no mounted file system, neither on the whole device nor on any of
//     its partitions (matched by major:minor in /proc/self/mountinfo);
//   - open with O_EXCL, which the kernel grants a block device only while
//     nobody else holds it exclusively (mounts do): the write lock. A stand-in
//     file gets an exclusive flock instead.
// A refusal is reported before anything is written.
//
// Drive letters: the drives found are sorted by device name (sda, sdb, ...,
// mmcblk0, ...: plain byte order of the names) and take the allowed letters
// in turn from the first one; C is never used. With KORVANE_DRIVES set (paths
// separated by ':'), only those paths are drives, lettered in the order given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

inline constexpr uint32_t kDeviceSectorSize = 512;

// Where the platform facts are read from; tests point these at fakes.
struct DriveEnvironment {
  std::string sysBlock = "/sys/block";
  std::string mountInfo = "/proc/self/mountinfo";
  std::string devDirectory = "/dev";
  bool standInsGiven = false;         // KORVANE_DRIVES was set
  std::vector<std::string> standIns;  // its paths, in order

  // The real system, with KORVANE_DRIVES read from the environment.
  static DriveEnvironment FromProcess();
};

// One removable drive as found, before anything is read from it.
struct DriveDevice {
  char letter = 0;
  std::string path;        // /dev/sdb, or the stand-in file
  std::string deviceName;  // sdb; the file name for a stand-in
  uint64_t sectors = 0;    // 512-byte sectors
  uint32_t logicalBlockSize = 512;
  bool standIn = false;
  std::string mountedFsType;  // file system of a mounted partition, "" when none
};

// Letters that may be used for a `driveletters` mask (bit n = 'A' + n),
// in order, C left out (defined with the settings that hold the mask).
std::string AllowedDriveLetters(uint32_t mask);

// The removable drives, lettered as described above. Drives without media
// (size 0) are left out. Nothing is opened.
std::vector<DriveDevice> ListRemovableDevices(const DriveEnvironment& env, uint32_t allowedMask);

// Why a drive must not be written, or "" when it may be. Looks at sysfs and
// the mount table afresh.
std::string WriteRefusal(const DriveEnvironment& env, const DriveDevice& drive);

// Whether `path` names a block or character device. Code outside this layer
// opens image files only; it asks this before writing a path it was given.
bool IsDevicePath(const std::string& path);

enum class DriveAccess { Read, Write };

// An open drive. Closing releases the lock.
class OpenDrive {
 public:
  OpenDrive() = default;
  ~OpenDrive();
  OpenDrive(const OpenDrive&) = delete;
  OpenDrive& operator=(const OpenDrive&) = delete;
  OpenDrive(OpenDrive&& other) noexcept;
  OpenDrive& operator=(OpenDrive&& other) noexcept;

  // Opens `drive`. Reports "Can't open TI disk drive" (with the reason for a
  // refused write), and "Sectorsize of TI disk not 512 bytes" when the
  // device's logical sectors are of another size.
  bool Open(const DriveEnvironment& env, const DriveDevice& drive, DriveAccess access);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  char Letter() const { return letter_; }
  const std::string& Path() const { return path_; }
  uint64_t Sectors() const { return sectors_; }

  // Moves `count` whole sectors from device sector `first`. No report: on
  // failure SystemError() tells the errno (EIO for a short transfer).
  bool Read(uint64_t first, uint32_t count, uint8_t* buffer);
  bool Write(uint64_t first, uint32_t count, const uint8_t* buffer);
  int SystemError() const { return error_; }
  // Waits until what was written is on the medium.
  bool Sync();

 private:
  int fd_ = -1;
  char letter_ = 0;
  std::string path_;
  uint64_t sectors_ = 0;
  bool direct_ = false;
  int error_ = 0;
};

// Sector runs with the error texts: a failed run is retried sector by
// sector so that the message names the sector that failed ("Can't read
// sector <d> from TI disk <X:>, error <e>", "Can't write sector ...").
bool ReadDeviceSectors(OpenDrive& drive, uint64_t first, uint32_t count, uint8_t* buffer);
bool WriteDeviceSectors(OpenDrive& drive, uint64_t first, uint32_t count, const uint8_t* buffer);

// A buffer aligned for unbuffered device transfers.
class AlignedBuffer {
 public:
  explicit AlignedBuffer(size_t size);
  ~AlignedBuffer();
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  uint8_t* data() { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace korvane
