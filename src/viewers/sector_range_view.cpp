#include "viewers/sector_range_view.h"

#include <fmt/printf.h>

#include "catalog/errors.h"
#include "viewers/location_title.h"
#include "viewers/text_views.h"

namespace korvane {

TextView SectorRangeView(SectorSource& source, const std::string& label, uint32_t first, uint32_t count) {
  TextView view;
  try {
    // Only the first 60 KB are kept: stop reading once they are full.
    view.text.reserve(std::min<size_t>(size_t{count} * 16 * 75, kViewTextLimit + 64));
    Sector sector;
    for (uint32_t i = 0; i < count && view.text.size() <= kViewTextLimit; ++i) {
      if (!source.ReadSector(first + i, sector)) break;
      AppendHexLines(ByteView(sector.data(), sector.size()), i * 256u, view.text);
    }
  } catch (const std::bad_alloc&) {
    ReportError(kErrNoMemory);
    return view;
  }
  const bool cut = view.text.size() > kViewTextLimit;
  if (cut) {
    view.text.resize(kViewTextLimit);
    view.text += "\r\n";
    view.text += kTruncatedSuffix;
  }
  view.title = fmt::sprintf("%s: FirstSector: >%04X  NumberOfSectors: >%04X", label, first, count);
  if (cut) view.title += kTruncatedSuffix;
  view.ok = true;
  return view;
}

TextView ShowSectorRange(const std::string& imagePath, const std::string& label, bool byteOffset,
                         uint64_t imageStart, uint32_t sectorsPerUnit, uint32_t firstUnit, uint32_t unitCount) {
  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return {};
  }
  ImageFileSectors sectors(file, imagePath, byteOffset ? imageStart : imageStart * 256);
  return SectorRangeView(sectors, label, sectorsPerUnit * firstUnit, sectorsPerUnit * unitCount);
}

}  // namespace korvane
