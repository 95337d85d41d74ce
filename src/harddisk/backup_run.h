// Backup of a removable drive into an image file on the PC, and restore of
// such an image onto a drive.
//
// Hard disk: a plain copy of the drive's TI-formatted size in 512-byte
// sectors (".img", two TI sectors per device sector).
// Card: a card image (".cf7"): the 128-byte header named after the image
// file, then each device sector compacted to its 256 TI bytes. A mount
// record in sector 0 moves into the header (and is zeroed in the sector);
// a restore puts it back.
//
// Sectors move in large aligned runs; when a run fails it is done again
// sector by sector, so that the message names the sector that failed.
// Progress counts device sectors ("reading sector %d of %d" / "writing
// sector %d of %d"); Cancel is honoured between runs of sectors. A restore
// checks the drive's capacity and the image's length before it writes
// anything.
#pragma once

#include <string>

#include "harddisk/backup_drives.h"
#include "platform/progress.h"

namespace korvane {

enum class BackupResult { Done, Cancelled, Failed };

// Sectors moved per run: 1 MiB of device sectors.
inline constexpr uint32_t kBackupRunSectors = 2048;

BackupResult BackupDrive(const DriveEnvironment& env, const RemovableDrive& drive,
                         const std::string& imagePath, Progress& progress);

// The drive's type chooses the restore: a hard disk takes a plain image that
// `probe` recognises, anything else a card image.
BackupResult RestoreDrive(const DriveEnvironment& env, const RemovableDrive& drive,
                          const std::string& imagePath, const HardDiskProbe& probe, Progress& progress);

}  // namespace korvane
