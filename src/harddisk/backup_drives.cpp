#include "harddisk/backup_drives.h"

#include <fmt/printf.h>

#include "floppy/v9t9.h"
#include "harddisk/cf7_card.h"
#include "harddisk/hd_format.h"
#include "platform/reporter.h"

namespace korvane {

std::optional<HardDiskIdentity> IdentifyHardDisk(ByteView first256) {
  HardDiskSummary summary;
  const uint16_t kind = RecogniseHardDisk(first256, summary);
  if (kind == 0) return std::nullopt;
  HardDiskIdentity id;
  id.name = summary.name;
  if (kind == kKindPtImg) {
    for (const PartitionEntry& p : summary.partitions) id.deviceSectors += p.size;
  } else {
    id.deviceSectors = uint64_t{summary.totalAus} * summary.spau / 2;
  }
  return id;
}

std::vector<RemovableDrive> EnumerateRemovableDrives(const DriveEnvironment& env, uint32_t allowedMask,
                                                     DriveWanted wanted, const HardDiskProbe& probe) {
  std::vector<RemovableDrive> drives;
  for (const DriveDevice& device : ListRemovableDevices(env, allowedMask)) {
    // Opening to look must not put a message in front of the user for every
    // card reader without permission: failures just leave the drive out.
    SilentReporter quiet;
    Reporter* previous = InstallReporter(&quiet);
    const int lastError = LastErrorCode();
    OpenDrive drive;
    AlignedBuffer sector0(kDeviceSectorSize);
    const bool read =
        sector0.data() && drive.Open(env, device, DriveAccess::Read) && drive.Read(0, 1, sector0.data());
    InstallReporter(previous);
    SetLastErrorCode(lastError);
    if (!read) continue;
    const uint64_t n = drive.Sectors();
    drive.Close();

    RemovableDrive d;
    d.device = device;
    const ByteView first(sector0.data(), 256);
    std::optional<HardDiskIdentity> hd;
    if (wanted.hardDisks && probe) hd = probe(first);
    if (hd) {
      d.type = kDriveHardDisk;
      d.typeText = "HDIMG";
      d.volumeName = hd->name.substr(0, 11);
      d.size = hd->deviceSectors;
    } else if (wanted.cards && n < cf7::kMaxCardDeviceSectors) {
      Sector compact;
      CompactDeviceSector(sector0.data(), compact);
      DiskSummary summary;
      d.size = n;
      if (ReadDiskSummary(ByteView(compact.data(), compact.size()), kKindCardDrive, summary)) {
        d.type = kDriveCard;
        d.typeText = "CF7A+";
        d.volumeName = summary.volumeName;
      } else {
        d.type = kDrivePcFormatted;
        d.typeText = device.mountedFsType.empty() ? "FAT" : device.mountedFsType.substr(0, 8);
        d.volumeName = "-";
      }
    } else {
      continue;
    }
    drives.push_back(d);
  }
  return drives;
}

namespace {
unsigned long Mb(const RemovableDrive& d) { return static_cast<unsigned long>(d.Megabytes()); }
}  // namespace

std::string CardReaderLabel(const RemovableDrive& d) {
  return fmt::sprintf("%c: %s [%luMb] [%-10.10s]", d.device.letter, d.typeText, Mb(d), d.volumeName);
}

std::string CardLocationText(const RemovableDrive& d) {
  return fmt::sprintf("%c: %s [%luMb]", d.device.letter, d.typeText, Mb(d));
}

std::string BackupLabel(const RemovableDrive& d) {
  switch (d.type) {
    case kDriveHardDisk:
      return fmt::sprintf("%c: DSKIMG [%luMb] [%10.10s]", d.device.letter, Mb(d), d.volumeName);
    case kDriveCard:
      return fmt::sprintf("%c: CF7A+     [%luMb] [%10.10s]", d.device.letter, Mb(d), d.volumeName);
    default:
      return fmt::sprintf("%c: %-8.8s  [%luMb] [%11.11s]", d.device.letter, d.typeText, Mb(d), d.volumeName);
  }
}

std::string RestoreLabel(const RemovableDrive& d) {
  if (d.type == kDriveHardDisk)
    return fmt::sprintf("%c: DSKIMG [%luMb] [%10.10s]", d.device.letter, Mb(d), d.volumeName);
  return fmt::sprintf("%c: CF7A+      [%luMb] [%10.10s]", d.device.letter, Mb(d), d.volumeName);
}

}  // namespace korvane
