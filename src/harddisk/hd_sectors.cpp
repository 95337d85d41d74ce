#include "harddisk/hd_sectors.h"

#include <algorithm>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "harddisk/hd_format.h"
#include "harddisk/hd_rows.h"

namespace korvane {

bool HardDiskSectors::ReadSector(uint32_t n, Sector& out) {
  const bool inside = volumeSectors_ == 0 || n < volumeSectors_;
  if (!inside || !file_.ReadExact((uint64_t{base_} + n) * 256, out.data(), out.size())) {
    ReportError(kErrReadSector, static_cast<int>(n), name_);
    return false;
  }
  return true;
}

std::unique_ptr<HardDiskSectors> OpenHardDiskVolume(PcFile& file, const std::string& imagePath,
                                                    uint32_t baseSector) {
  HardDiskSectors probe(file, imagePath, baseSector);
  Sector vib;
  if (!probe.ReadSector(0, vib)) return nullptr;
  HardDiskSummary summary;
  if (RecogniseHardDisk(ByteView(vib.data(), vib.size()), summary) != kKindHdImg) {
    ReportError(kErrDiskInfo, imagePath);
    return nullptr;
  }
  return std::make_unique<HardDiskSectors>(file, imagePath, baseSector, summary.totalSectors);
}

std::vector<Fragment> HardDiskDataChain(ByteView f, uint16_t spau) {
  std::vector<Fragment> runs;
  const uint32_t total = f.be16(fdr::kTotalSectors);
  uint32_t covered = 0;
  for (size_t p = hdfdr::kChain; p <= hdfdr::kLastChainBlock && covered < total; p += hdfdr::kChainBlockSize) {
    const uint32_t first = f.be16(p), last = f.be16(p + 2);
    if (first == 0 || last < first) break;
    const uint32_t start = spau * first;
    uint32_t count = spau * (last - first + 1);
    if (count > total - covered) count = total - covered;
    runs.push_back({start, start + count - 1});
    covered += count;
  }
  return runs;
}

bool ReadHardDiskFileSectors(SectorSource& source, ByteView fdrBytes, uint16_t spau,
                             const std::function<bool(uint32_t, const Sector&)>& sink) {
  uint32_t index = 0;
  Sector sector;
  for (const Fragment& run : HardDiskDataChain(fdrBytes, spau)) {
    for (uint32_t s = run.first; s <= run.last; ++s) {
      if (!source.ReadSector(s, sector)) return false;
      if (!sink(index++, sector)) return false;
    }
  }
  return true;
}

uint32_t RowFdrSector(const CatalogEntry& row) {
  if (row.containerKind == kKindHdImg) return uint32_t{row.hdFields[hdrow::kSpau]} * row.hdFields[hdrow::kOwnAu];
  return row.fdrSector;
}

bool ReadRowFileSectors(SectorSource& source, const CatalogEntry& row, ByteView fdrBytes,
                        const std::function<bool(uint32_t, const Sector&)>& sink) {
  if (row.containerKind == kKindHdImg)
    return ReadHardDiskFileSectors(source, fdrBytes, row.hdFields[hdrow::kSpau], sink);
  return ReadFileSectors(source, fdrBytes, row.containerDensity, sink);
}

uint32_t CountFreeBits(ByteView bitmap, uint32_t totalAus) {
  uint32_t free = 0;
  const uint32_t bits = std::min<uint32_t>(totalAus, static_cast<uint32_t>(bitmap.size() * 8));
  for (uint32_t byte = 0; byte * 8 < bits; ++byte) {
    const uint8_t b = bitmap.u8(byte);
    const uint32_t inByte = std::min<uint32_t>(8, bits - byte * 8);
    for (uint32_t bit = 0; bit < inByte; ++bit)
      if (!(b & (0x80 >> bit))) ++free;  // AU 0 is the top bit
  }
  return free;
}

uint32_t CountFreeAllocationUnits(const std::string& imagePath, uint32_t baseSector) {
  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return 0;
  }
  const uint64_t origin = uint64_t{baseSector} * 256;
  Sector vib;
  HardDiskSummary summary;
  // Without a VIB the count covers the whole bitmap, as far as it can say.
  uint32_t totalAus = hdvib::kMaxTotalAus;
  if (file.ReadExact(origin, vib.data(), vib.size()) &&
      RecogniseHardDisk(ByteView(vib.data(), vib.size()), summary) == kKindHdImg)
    totalAus = summary.totalAus;

  std::vector<uint8_t> bitmap;
  bitmap.reserve(31 * 256);
  Sector s;
  for (uint32_t n = hdvib::kFirstBitmapSector; n <= hdvib::kLastBitmapSector; ++n) {
    if (!file.ReadExact(origin + uint64_t{n} * 256, s.data(), s.size())) break;
    bitmap.insert(bitmap.end(), s.begin(), s.end());
  }
  return CountFreeBits(ByteView(bitmap.data(), bitmap.size()), totalAus);
}

}  // namespace korvane
