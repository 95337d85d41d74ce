#include "fileops/row_source.h"

#include "catalog/errors.h"

namespace korvane {

std::unique_ptr<SectorSource> OpenRowSectors(const PaneState& pane, const CatalogEntry& row, PcFile& file) {
  const std::string& path = pane.locationPath;
  if (!file.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return nullptr;
  }
  switch (row.containerKind) {
    case kKindDsk:
      return std::make_unique<ImageFileSectors>(file, path, 0);
    case kKindCardVolume:
      // Rows read from a card volume carry the byte position of the
      // volume's sector 0 inside the card image.
      if (row.volumePosition < 0) break;
      return std::make_unique<ImageFileSectors>(file, path, static_cast<uint64_t>(row.volumePosition));
    // PC99 track images (containerKind 10 and 11) find their sectors in the
    // track data: their SectorSource is returned here.
    default:
      break;
  }
  ReportError(kErrDiskInfo, path);
  return nullptr;
}

uint64_t PaneSectorBase(const PaneState& pane) {
  if (pane.locationType == kLocCardImageVolume && pane.container.volumePosition > 0)
    return 128 + 256 * static_cast<uint64_t>(pane.container.volumePosition);
  return 0;
}

bool PaneIsWritableFloppy(const PaneState& pane) {
  return pane.locationType == kLocFloppy || pane.locationType == kLocCardImageVolume;
}

}  // namespace korvane
