#include "harddisk/backup_run.h"

#include <fmt/printf.h>
#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "harddisk/cf7_card.h"
#include "platform/pc_file.h"

namespace korvane {

namespace {

// The image must not be the drive itself (a stand-in named twice) or any
// device: writing it would destroy what is being read.
bool ImageIsDrive(const std::string& imagePath, const DriveDevice& drive) {
  if (IsDevicePath(imagePath)) return true;
  struct stat image {};
  struct stat device {};
  if (::stat(imagePath.c_str(), &image) != 0) return false;
  return ::stat(drive.path.c_str(), &device) == 0 && image.st_dev == device.st_dev &&
         image.st_ino == device.st_ino;
}

void RefuseImageIsDrive(int code, const std::string& imagePath) {
  SetLastErrorCode(code);
  CurrentReporter().ShowError(ErrorText(code, imagePath) + "\n\nThe image file is a drive.");
}

// Writes a run of `count` units of `unit` bytes at unit `first`; on failure
// finds the unit that fails and reports it as sector `first + i` times
// `numberScale` (a hard-disk image counts TI sectors, two per device sector).
bool WriteImageRun(PcFile& out, uint64_t base, uint64_t first, uint32_t count, size_t unit,
                   const uint8_t* data, unsigned numberScale, const std::string& path) {
  if (out.WriteAt(base + first * unit, data, size_t{count} * unit)) return true;
  for (uint32_t i = 0; i < count; ++i)
    if (!out.WriteAt(base + (first + i) * unit, data + size_t{i} * unit, unit)) {
      ReportError(kErrWriteSector, static_cast<long long>((first + i) * numberScale), path);
      return false;
    }
  return true;
}

bool ReadImageRun(PcFile& in, uint64_t base, uint64_t first, uint32_t count, size_t unit, uint8_t* data,
                  const std::string& path) {
  if (in.ReadExact(base + first * unit, data, size_t{count} * unit)) return true;
  for (uint32_t i = 0; i < count; ++i)
    if (!in.ReadExact(base + (first + i) * unit, data + size_t{i} * unit, unit)) {
      ReportError(kErrReadSector, static_cast<long long>(first + i), path);
      return false;
    }
  return true;
}

// The shared loop: runs of device sectors from 0 to `total`, with the text
// and the cancel check between runs.
template <typename Run>
BackupResult ForEachRun(uint64_t total, const char* verb, Progress& progress, Run run) {
  progress.Begin(total, fmt::sprintf("%s sector %d of %d", verb, 0, static_cast<long long>(total)));
  for (uint64_t d = 0; d < total; d += kBackupRunSectors) {
    if (progress.Cancelled()) {
      progress.End();
      return BackupResult::Cancelled;
    }
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kBackupRunSectors, total - d));
    progress.SetText(
        fmt::sprintf("%s sector %d of %d", verb, static_cast<long long>(d), static_cast<long long>(total)));
    if (!run(d, count)) {
      progress.End();
      return BackupResult::Failed;
    }
    progress.Step(d + count);
  }
  progress.End();
  return BackupResult::Done;
}

BackupResult BackupHardDisk(OpenDrive& drive, const RemovableDrive& info, PcFile& out,
                            const std::string& path, Progress& progress) {
  AlignedBuffer buffer(size_t{kBackupRunSectors} * kDeviceSectorSize);
  return ForEachRun(info.size, "reading", progress, [&](uint64_t d, uint32_t count) {
    return ReadDeviceSectors(drive, d, count, buffer.data()) &&
           WriteImageRun(out, 0, d, count, kDeviceSectorSize, buffer.data(), 2, path);
  });
}

BackupResult BackupCard(OpenDrive& drive, const RemovableDrive& info, PcFile& out, const std::string& path,
                        Progress& progress) {
  AlignedBuffer buffer(size_t{kBackupRunSectors} * kDeviceSectorSize);
  std::vector<uint8_t> compact(size_t{kBackupRunSectors} * 256);
  return ForEachRun(info.size, "reading", progress, [&](uint64_t d, uint32_t count) {
    if (!ReadDeviceSectors(drive, d, count, buffer.data())) return false;
    CompactDeviceSectors(buffer.data(), count, compact.data());
    if (d == 0) {
      // The mount record travels in the header; the sector keeps zeros there.
      const MountRecord mount = ParseMountRecord(ByteView(compact.data(), 256));
      if (mount.present) ByteWriter(compact.data(), 256).fill(cf7::kMount, cf7::kMountLength, 0);
      const auto header = MakeCardImageHeader(LastComponent(path), mount);
      if (!out.WriteAt(0, header.data(), header.size())) {
        ReportError(kErrWriteSector, 0, path);
        return false;
      }
    }
    return WriteImageRun(out, cf7::kHeaderSize, d, count, 256, compact.data(), 1, path);
  });
}

}  // namespace

BackupResult BackupDrive(const DriveEnvironment& env, const RemovableDrive& info,
                         const std::string& imagePath, Progress& progress) {
  if (ImageIsDrive(imagePath, info.device)) {
    RefuseImageIsDrive(kErrOpenWrite, imagePath);
    return BackupResult::Failed;
  }
  OpenDrive drive;
  if (!drive.Open(env, info.device, DriveAccess::Read)) return BackupResult::Failed;
  PcFile out;
  if (!out.Open(imagePath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, imagePath);
    return BackupResult::Failed;
  }
  return info.type == kDriveHardDisk ? BackupHardDisk(drive, info, out, imagePath, progress)
                                     : BackupCard(drive, info, out, imagePath, progress);
}

namespace {

// Room for `count` device sectors: the drive must be that large and its
// last needed sector must read.
bool CheckCapacity(OpenDrive& drive, uint64_t count) {
  AlignedBuffer probe(kDeviceSectorSize);
  int error = 0;
  if (count > drive.Sectors()) {
    error = 0;
  } else if (count == 0 || drive.Read(count - 1, 1, probe.data())) {
    return true;
  } else {
    error = drive.SystemError();
  }
  ReportError(kErrDriveCapacity, drive.Letter(), error);
  return false;
}

BackupResult RestoreHardDisk(OpenDrive& drive, PcFile& in, const std::string& path,
                             const HardDiskProbe& probe, Progress& progress) {
  Sector first;
  if (!in.ReadExact(0, first.data(), first.size())) {
    ReportError(kErrReadSector, 0, path);
    return BackupResult::Failed;
  }
  const std::optional<HardDiskIdentity> hd =
      probe ? probe(ByteView(first.data(), first.size())) : std::nullopt;
  if (!hd || hd->deviceSectors == 0) {
    ReportError(kErrDiskInfo, path);
    return BackupResult::Failed;
  }
  const uint64_t c = hd->deviceSectors;
  if (!CheckCapacity(drive, c)) return BackupResult::Failed;
  // A short image would leave the drive half restored: say so first.
  const int64_t size = in.Size();
  if (size < 0 || static_cast<uint64_t>(size) < c * kDeviceSectorSize) {
    ReportError(kErrReadSector, static_cast<long long>(size < 0 ? 0 : size / kDeviceSectorSize), path);
    return BackupResult::Failed;
  }
  AlignedBuffer buffer(size_t{kBackupRunSectors} * kDeviceSectorSize);
  const BackupResult r = ForEachRun(c, "writing", progress, [&](uint64_t d, uint32_t count) {
    return ReadImageRun(in, 0, d, count, kDeviceSectorSize, buffer.data(), path) &&
           WriteDeviceSectors(drive, d, count, buffer.data());
  });
  if (!drive.Sync()) {
    ReportError(kErrDriveWrite, static_cast<long long>(c - 1), drive.Letter(), drive.SystemError());
    return BackupResult::Failed;
  }
  return r;
}

BackupResult RestoreCard(OpenDrive& drive, PcFile& in, const std::string& path, Progress& progress) {
  std::array<uint8_t, cf7::kHeaderSize> header{};
  if (!in.ReadExact(0, header.data(), header.size())) {
    ReportError(kErrReadSector, 0, path);
    return BackupResult::Failed;
  }
  if (!HasCardImageMarker(ByteView(header.data(), header.size()))) {
    ReportError(kErrDiskInfo, path);
    return BackupResult::Failed;
  }
  const int64_t size = in.Size();
  const uint64_t c = size > static_cast<int64_t>(cf7::kHeaderSize)
                         ? (static_cast<uint64_t>(size) - cf7::kHeaderSize) / 256
                         : 0;
  if (!CheckCapacity(drive, c)) return BackupResult::Failed;
  const MountRecord mount = ParseMountRecord(ByteView(header.data(), header.size()));
  AlignedBuffer buffer(size_t{kBackupRunSectors} * kDeviceSectorSize);
  std::vector<uint8_t> compact(size_t{kBackupRunSectors} * 256);
  const BackupResult r = ForEachRun(c, "writing", progress, [&](uint64_t d, uint32_t count) {
    if (!ReadImageRun(in, cf7::kHeaderSize, d, count, 256, compact.data(), path)) return false;
    if (d == 0 && mount.present)
      ByteWriter(compact.data(), 256)
          .copy(cf7::kMount, ByteView(header.data() + cf7::kMount, cf7::kMountLength));
    SpreadDeviceSectors(compact.data(), count, cf7::kFillerOther, buffer.data());
    if (d == 0)  // the card's first sector carries the other filler
      for (size_t k = 1; k < kDeviceSectorSize; k += 2) buffer.data()[k] = cf7::kFillerFirst;
    return WriteDeviceSectors(drive, d, count, buffer.data());
  });
  if (!drive.Sync()) {
    ReportError(kErrDriveWrite, static_cast<long long>(c ? c - 1 : 0), drive.Letter(), drive.SystemError());
    return BackupResult::Failed;
  }
  return r;
}

}  // namespace

BackupResult RestoreDrive(const DriveEnvironment& env, const RemovableDrive& info,
                          const std::string& imagePath, const HardDiskProbe& probe, Progress& progress) {
  if (ImageIsDrive(imagePath, info.device)) {
    RefuseImageIsDrive(kErrOpenRead, imagePath);
    return BackupResult::Failed;
  }
  OpenDrive drive;
  if (!drive.Open(env, info.device, DriveAccess::Write)) return BackupResult::Failed;
  PcFile in;
  if (!in.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return BackupResult::Failed;
  }
  return info.type == kDriveHardDisk ? RestoreHardDisk(drive, in, imagePath, probe, progress)
                                     : RestoreCard(drive, in, imagePath, progress);
}

}  // namespace korvane
