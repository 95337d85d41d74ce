#include "fileops/row_source.h"

#include "catalog/errors.h"
#include "floppy/pc99.h"
#include "harddisk/hd_rows.h"
#include "harddisk/hd_sectors.h"

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
    case kKindPc99Sd:
    case kKindPc99Dd: {
      // PC99 track images find their sectors in the track data, with the
      // geometry the row's VIB gave.
      Pc99Geometry geometry = DefaultPc99Geometry(row.containerKind);
      if (row.containerSectorsPerTrack > 0) geometry.sectorsPerTrack = static_cast<uint16_t>(row.containerSectorsPerTrack);
      if (row.containerTracks > 0) geometry.tracksPerSide = static_cast<uint16_t>(row.containerTracks);
      return std::make_unique<Pc99Sectors>(file, path, geometry);
    }
    case kKindHdImg:
      // Files and directories of a hard disk (or one of its partitions):
      // the row's volume position is the volume's base sector. Opening
      // checks the volume's VIB and reports what is wrong itself.
      return OpenHardDiskVolume(file, path, RowBase(row));
    default:
      break;
  }
  ReportError(kErrDiskInfo, path);
  return nullptr;
}

uint64_t PaneSectorBase(const PaneState& pane) {
  if (pane.locationType == kLocCardImageVolume && pane.container.volumePosition >= 0)
    return 128 + 256 * static_cast<uint64_t>(pane.container.volumePosition);
  return 0;
}

bool PaneIsWritableFloppy(const PaneState& pane) {
  return pane.locationType == kLocFloppy || pane.locationType == kLocCardImageVolume;
}

}  // namespace korvane
