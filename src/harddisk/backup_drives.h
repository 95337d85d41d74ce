// What each removable drive holds: a TI hard disk, a CF7A+ card, or a PC
// file system. The list the backup, restore and card commands offer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_view.h"
#include "platform/drive_device.h"

namespace korvane {

enum DriveType : uint16_t {
  kDriveCard = 1,      // CF7A+ card
  kDriveHardDisk = 4,  // TI hard disk (SCSI, IDE, WDS)
  kDrivePcFormatted = 100,
};

// What the hard-disk recogniser says of a drive's first 256 bytes: its name
// and its TI-formatted size in 512-byte sectors (the sum of the partition
// sizes for a partition table, else total AU x sectors per AU / 2).
struct HardDiskIdentity {
  std::string name;
  uint64_t deviceSectors = 0;
};
using HardDiskProbe = std::function<std::optional<HardDiskIdentity>(ByteView first256)>;

// The probe every front end uses: the hard-disk recogniser's answer for a
// partition table or a VIB, nothing for anything else.
std::optional<HardDiskIdentity> IdentifyHardDisk(ByteView first256);

struct RemovableDrive {
  DriveDevice device;
  std::string volumeName;  // up to 11 characters
  uint64_t size = 0;       // 512-byte sectors: TI-formatted size of a hard disk, whole device otherwise
  uint16_t type = 0;
  std::string typeText;  // "CF7A+", "HDIMG", or the file-system name
  uint64_t Megabytes() const { return size * 512 / 1000000; }
};

struct DriveWanted {
  bool hardDisks = true;
  bool cards = true;
};

// Reads sector 0 of every removable drive allowed by `allowedMask` (the
// `driveletters` setting) and tells what it holds. A hard disk is
// recognised by `probe` (when given); a drive of fewer than 16,000,000
// sectors whose compacted sector 0 is a floppy VIB is a card; any other
// drive of that size is offered as PC formatted. Drives that cannot be read
// are left out without a message.
std::vector<RemovableDrive> EnumerateRemovableDrives(const DriveEnvironment& env, uint32_t allowedMask,
                                                     DriveWanted wanted, const HardDiskProbe& probe);

// Labels of a drive in the lists that show one.
std::string CardReaderLabel(const RemovableDrive& d);   // "%c: %s [%luMb] [%-10.10s]"
std::string CardLocationText(const RemovableDrive& d);  // "%c: %s [%luMb]"
std::string BackupLabel(const RemovableDrive& d);
std::string RestoreLabel(const RemovableDrive& d);

}  // namespace korvane
