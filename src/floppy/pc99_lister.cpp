#include "floppy/pc99_lister.h"

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "floppy/pc99.h"
#include "floppy/v9t9.h"

namespace korvane {

bool ListPc99Image(PaneState& pane, const std::string& imagePath, uint16_t kind, bool addUprdir) {
  pane.rows.clear();
  pane.locationType = kLocPc99;
  pane.containerLevel = 1;
  pane.fdirSector = 1;

  Pc99Image image;
  if (!image.Open(imagePath, kind)) return false;
  Pc99Sectors& sectors = image.Sectors();
  const DiskSummary& summary = image.Summary();

  const std::string imageName = LastComponent(imagePath);
  if (addUprdir) {
    CatalogEntry up;
    MakeDirectoryRow("..", up);
    pane.rows.push_back(up);
  }

  Sector fdir;
  if (!sectors.ReadSector(1, fdir)) return false;
  Sector fdrBytes;
  const std::vector<uint16_t> entries = ReadFdirEntries(ByteView(fdir.data(), fdir.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    const uint16_t fdrSector = entries[i];
    if (fdrSector >= summary.totalSectors) {
      ReportError(kErrDiskError, imagePath, static_cast<int>(i), static_cast<int>(fdrSector));
      return false;
    }
    if (!sectors.ReadSector(fdrSector, fdrBytes)) return false;
    CatalogEntry row;
    row.sourceName = imageName;
    row.fdrSector = fdrSector;
    if (!DecodeHeader(ByteView(fdrBytes.data(), fdrBytes.size()), imageName, true, row)) row.kind = kKindUnknown;
    row.containerKind = kind;
    row.containerDensity = summary.density;
    row.containerTracks = static_cast<int16_t>(summary.tracksPerSide);
    row.containerSectorsPerTrack = static_cast<int16_t>(sectors.Geometry().sectorsPerTrack);
    pane.rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace korvane
