#include "floppy/sector_source.h"

#include "catalog/errors.h"

namespace korvane {

bool SectorSource::WriteSector(uint32_t n, const Sector&) {
  ReportError(kErrWriteSector, static_cast<int>(n), Name());
  return false;
}

bool ImageFileSectors::ReadSector(uint32_t n, Sector& out) {
  if (!file_.ReadExact(base_ + uint64_t{n} * 256, out.data(), out.size())) {
    ReportError(kErrReadSector, static_cast<int>(n), name_);
    return false;
  }
  return true;
}

bool ImageFileSectors::WriteSector(uint32_t n, const Sector& in) {
  if (!file_.WriteAt(base_ + uint64_t{n} * 256, in.data(), in.size())) {
    ReportError(kErrWriteSector, static_cast<int>(n), name_);
    return false;
  }
  return true;
}

}  // namespace korvane
