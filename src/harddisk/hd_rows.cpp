#include "harddisk/hd_rows.h"

#include <algorithm>
#include <climits>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "harddisk/hd_sectors.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

// The 16-bit sector fields of a row cannot hold every AU x SPAU of a large
// volume; they are for display and as "this row lies in an image" marks, so
// they saturate instead of wrapping round to 0.
uint16_t SectorField(uint32_t sector) { return static_cast<uint16_t>(std::min<uint32_t>(sector, 0xFFFF)); }

ByteView View(const Sector& s) { return ByteView(s.data(), s.size()); }

CatalogEntry UprdirRow(int depth, uint16_t parentAu, uint16_t spau, uint32_t base) {
  CatalogEntry up;
  MakeDirectoryRow("..", up);
  up.statusFlags = static_cast<uint16_t>(depth);
  up.hdFields[hdrow::kParentAu] = parentAu;
  up.hdFields[hdrow::kOwnAu] = parentAu;
  up.hdFields[hdrow::kSpau] = spau;
  up.volumePosition = static_cast<int32_t>(base);
  return up;
}

// Rows of the files listed in the index at AU `fdirAu`. Returns after the
// first pointer past the volume or failed read, keeping what was read.
void AddFileRows(HardDiskSectors& sectors, const std::string& imagePath, const std::string& sourceName,
                 const HardDiskSummary& volume, uint16_t dirAu, uint16_t fdirAu, HardDiskDirectory& out) {
  if (fdirAu == 0) return;  // a record without an index: no files
  if (fdirAu >= volume.totalAus) {
    ReportError(kErrDiskError, imagePath, 0, static_cast<int>(fdirAu));
    return;
  }
  Sector fdir;
  if (!sectors.ReadSector(uint32_t{volume.spau} * fdirAu, fdir)) return;
  const ByteView index = View(fdir);
  Sector fdr;
  // 127 entries at most: the index's last word names its owner, not a file.
  for (unsigned i = 0; i < hdfdir::kMaxEntries; ++i) {
    const uint16_t au = index.be16(hdfdir::kEntries + 2 * i);
    if (au == 0) break;
    if (au >= volume.totalAus) {
      ReportError(kErrDiskError, imagePath, static_cast<int>(i), static_cast<int>(au));
      return;
    }
    if (!sectors.ReadSector(uint32_t{volume.spau} * au, fdr)) return;
    CatalogEntry row;
    if (!DecodeHeader(View(fdr), sourceName, false, row)) row.kind = kKindUnknown;
    row.headerKind = kHeaderV9t9;
    row.sourceName = sourceName;
    row.fdrSector = SectorField(uint32_t{volume.spau} * au);
    row.containerKind = kKindHdImg;
    row.containerSectorsPerTrack = static_cast<int16_t>(volume.sectorsPerTrack);
    row.hdFields[hdrow::kParentAu] = dirAu;
    row.hdFields[hdrow::kOwnAu] = au;
    row.hdFields[hdrow::kSpau] = volume.spau;
    row.volumePosition = static_cast<int32_t>(sectors.BaseSector());
    out.rows.push_back(std::move(row));
  }
}

// Rows of the sub-directories named at 1c-ff of a directory record.
void AddSubdirRows(HardDiskSectors& sectors, const std::string& imagePath, const std::string& sourceName,
                   const HardDiskSummary& volume, ByteView record, uint16_t dirAu, int depth,
                   HardDiskDirectory& out) {
  Sector ddr;
  for (unsigned j = 0; j < hdvib::kMaxSubdirs; ++j) {
    const uint16_t au = record.be16(hdvib::kSubdirs + 2 * j);
    if (au == 0) break;
    if (au >= volume.totalAus) {
      ReportError(kErrDiskError, imagePath, static_cast<int>(j), static_cast<int>(au));
      return;
    }
    if (!sectors.ReadSector(uint32_t{volume.spau} * au, ddr)) return;
    CatalogEntry row;
    row.kind = IsDirectoryRecord(View(ddr)) ? kKindSubdir : kKindUnknown;
    row.sourceName = sourceName;
    row.tiName = TakeTiName(View(ddr));
    row.fdrSector = SectorField(uint32_t{volume.spau} * au);
    row.statusFlags = static_cast<uint16_t>(depth);
    row.totalSectors = volume.spau;
    row.containerKind = kKindHdImg;
    row.containerSectorsPerTrack = static_cast<int16_t>(volume.sectorsPerTrack);
    row.hdFields[hdrow::kParentAu] = dirAu;
    row.hdFields[hdrow::kOwnAu] = au;
    row.hdFields[hdrow::kIndexAu] = record.be16(hdvib::kFdirAu);
    row.hdFields[hdrow::kSpau] = volume.spau;
    row.volumePosition = static_cast<int32_t>(sectors.BaseSector());
    out.rows.push_back(std::move(row));
  }
}

}  // namespace

bool MakeHardDiskImageRow(ByteView first256, const std::string& pcName, CatalogEntry& row) {
  HardDiskSummary s;
  const uint16_t kind = RecogniseHardDisk(first256, s);
  if (kind == 0) return false;
  row = CatalogEntry{};
  row.kind = kind;
  row.sourceName = pcName;
  if (kind == kKindPtImg) {
    row.tiName = ptable::kNameText;
    row.totalSectors = 0xFFFF;
    row.sizeInSectors = s.totalSectors;
  } else {
    row.tiName = s.name;
    row.totalSectors = s.totalAus;
    row.hdFields[hdrow::kIndexAu] = s.fdirAu;
    row.hdFields[hdrow::kSpau] = s.spau;
    row.sizeInSectors = s.totalSectors;
  }
  return true;
}

bool ReadHardDiskDirectory(const std::string& imagePath, const std::string& sourceName, uint32_t baseSector,
                           uint16_t ownAu, int depth, bool addUprdir, HardDiskDirectory& out) {
  out = HardDiskDirectory{};
  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return false;
  }
  std::unique_ptr<HardDiskSectors> sectors = OpenHardDiskVolume(file, imagePath, baseSector);
  if (!sectors) return false;
  Sector vib;
  if (!sectors->ReadSector(0, vib)) return false;
  RecogniseHardDisk(View(vib), out.volume);
  const HardDiskSummary& volume = out.volume;

  Sector recordBytes = vib;
  if (ownAu != 0 && !sectors->ReadSector(uint32_t{volume.spau} * ownAu, recordBytes)) return false;
  const ByteView record = View(recordBytes);
  const uint16_t fdirAu = record.be16(hdvib::kFdirAu);
  // At the root, word 1a is the DSK1 emulation file, not a parent.
  const uint16_t parentAu = ownAu == 0 ? 0 : record.be16(hdvib::kParentDdr);

  CatalogEntry& shown = out.shown;
  shown.kind = ownAu != 0 && IsDirectoryRecord(record) ? kKindSubdir : kKindUnknown;
  shown.sourceName = sourceName;
  shown.tiName = ownAu == 0 ? volume.name : TakeTiName(record);
  shown.statusFlags = static_cast<uint16_t>(depth);
  shown.containerKind = kKindHdImg;
  shown.hdFields[hdrow::kParentAu] = parentAu;
  shown.hdFields[hdrow::kOwnAu] = ownAu;
  shown.hdFields[hdrow::kIndexAu] = fdirAu;
  shown.hdFields[hdrow::kSpau] = volume.spau;
  shown.volumePosition = static_cast<int32_t>(baseSector);
  shown.fdrSector = SectorField(uint32_t{volume.spau} * ownAu);

  if (addUprdir) out.rows.push_back(UprdirRow(depth, depth > 0 ? parentAu : 0, volume.spau, baseSector));
  AddFileRows(*sectors, imagePath, sourceName, volume, ownAu, fdirAu, out);
  AddSubdirRows(*sectors, imagePath, sourceName, volume, record, ownAu, depth, out);
  return true;
}

bool ReadPartitionList(const std::string& imagePath, const std::string& sourceName, int depth, bool addUprdir,
                       FileList& rows) {
  rows.clear();
  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return false;
  }
  if (addUprdir) rows.push_back(UprdirRow(depth, 0, 0, 0));
  HardDiskSectors image(file, imagePath, 0);
  Sector table;
  if (!image.ReadSector(0, table)) return false;
  HardDiskSummary disk;
  if (RecogniseHardDisk(View(table), disk) != kKindPtImg) {
    ReportError(kErrDiskInfo, imagePath);
    return false;
  }
  Sector vib;
  for (const PartitionEntry& p : disk.partitions) {
    // A row keeps its base in a signed 32-bit field: a partition beyond
    // 2^31 sectors (512 GB) cannot be addressed and gets no row.
    if (p.offset == 0 || p.BaseSector() > INT32_MAX) continue;
    const uint32_t base = static_cast<uint32_t>(p.BaseSector());
    if (!image.ReadSector(base, vib)) continue;
    HardDiskSummary volume;
    if (RecogniseHardDisk(View(vib), volume) != kKindHdImg) continue;
    CatalogEntry row;
    row.kind = kKindHdImg;
    row.sourceName = sourceName;
    row.tiName = volume.name;
    row.statusFlags = static_cast<uint16_t>(depth);
    row.totalSectors = volume.totalAus;
    row.hdFields[hdrow::kIndexAu] = volume.fdirAu;
    row.hdFields[hdrow::kSpau] = volume.spau;
    row.sizeInSectors = volume.totalSectors;
    row.volumePosition = static_cast<int32_t>(base);
    rows.push_back(std::move(row));
  }
  return true;
}

int HardDiskPartitionNumber(const std::string& imagePath, const CatalogEntry& partitionRow) {
  PcFile file;
  Sector table;
  if (!file.Open(imagePath, PcFile::Mode::Read) || !file.ReadExact(0, table.data(), table.size())) return 0;
  HardDiskSummary disk;
  if (RecogniseHardDisk(View(table), disk) != kKindPtImg) return 0;
  for (size_t i = 0; i < disk.partitions.size(); ++i)
    if (disk.partitions[i].offset != 0 && disk.partitions[i].BaseSector() == RowBase(partitionRow))
      return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace korvane
