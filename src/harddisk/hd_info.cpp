#include "harddisk/hd_info.h"

#include <fmt/printf.h>

#include "catalog/errors.h"
#include "harddisk/hd_format.h"
#include "harddisk/hd_sectors.h"
#include "platform/pc_file.h"

namespace korvane {

std::string HardDiskVolumeInfo::OffsetText() const { return fmt::sprintf(">%08X", partitionOffset); }
std::string HardDiskVolumeInfo::PartitionSizeText() const { return fmt::sprintf(">%08X", partitionSize); }
std::string HardDiskVolumeInfo::TotalAusText() const { return fmt::sprintf(">%04X", totalAus); }

namespace {

// Fills the VIB-derived values of a volume line from the volume at `base`;
// the line stays unreadable (label empty, numbers 0) when there is no VIB.
void ReadVolume(PcFile& file, const std::string& imagePath, uint64_t base, HardDiskVolumeInfo& line) {
  Sector vib;
  HardDiskSummary s;
  if (!file.ReadExact(base * 256, vib.data(), vib.size())) return;
  if (RecogniseHardDisk(ByteView(vib.data(), vib.size()), s) != kKindHdImg) return;
  line.readable = true;
  line.label = s.name;
  line.totalAus = s.totalAus;
  line.spau = s.spau;
  line.size = s.totalSectors;
  line.free = CountFreeAllocationUnits(imagePath, static_cast<uint32_t>(base)) * s.spau;
  line.used = int64_t{line.size} - line.free;
}

}  // namespace

bool ReadHardDiskImageInfo(const std::string& imagePath, const CatalogEntry& row, HardDiskImageInfo& info) {
  info = HardDiskImageInfo{};
  info.pcName = row.sourceName;
  info.fileSize = row.sizeInSectors;
  info.mediaType = KindName(row.kind);
  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return false;
  }
  Sector first;
  if (!file.ReadExact(0, first.data(), first.size())) {
    ReportError(kErrReadSector, 0, imagePath);
    return false;
  }
  HardDiskSummary disk;
  const uint16_t kind = RecogniseHardDisk(ByteView(first.data(), first.size()), disk);
  if (kind == 0) {
    ReportError(kErrDiskInfo, imagePath);
    return false;
  }
  if (kind == kKindHdImg) {
    HardDiskVolumeInfo line;
    ReadVolume(file, imagePath, 0, line);
    info.volumes.push_back(line);
    return true;
  }
  info.partitioned = true;
  for (int i = 0; i < ptable::kCount; ++i) {
    const PartitionEntry& p = disk.partitions[static_cast<size_t>(i)];
    if (i > 0 && p.offset == 0) continue;  // the first line is always shown
    HardDiskVolumeInfo line;
    line.partition = i + 1;
    line.partitionOffset = p.offset;
    line.partitionSize = p.size;
    if (p.offset != 0 && p.BaseSector() <= UINT32_MAX) ReadVolume(file, imagePath, p.BaseSector(), line);
    info.volumes.push_back(line);
  }
  return true;
}

}  // namespace korvane
