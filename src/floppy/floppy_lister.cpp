#include "floppy/floppy_lister.h"

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "floppy/pc99_lister.h"
#include "floppy/v9t9.h"

namespace korvane {

bool ListFloppyImage(PaneState& pane, const std::string& imagePath, const FloppyListOptions& options) {
  pane.rows.clear();
  pane.locationType = kLocFloppy;
  pane.containerLevel = options.fdirSector == 1 ? 1 : 2;
  pane.fdirSector = options.fdirSector;

  PcFile file;
  if (!file.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return false;
  }
  ImageFileSectors sectors(file, imagePath);
  Sector vibSector;
  if (!sectors.ReadSector(0, vibSector)) return false;
  DiskSummary summary;
  const uint16_t kind = RecogniseFloppy(ByteView(vibSector.data(), vibSector.size()), &file, summary);
  if (kind == 0) {
    ReportError(kErrDiskInfo, imagePath);
    return false;
  }
  // PC99 track images keep their sectors inside track data: the PC99 reader
  // finds them by searching the tracks.
  if (kind != kKindDsk) return ListPc99Image(pane, imagePath, kind, options.addUprdir);

  const std::string imageName = LastComponent(imagePath);
  const std::string source = options.prefixInner ? imageName + "->" + pane.innerName : imageName;

  if (options.addUprdir) {
    CatalogEntry up;
    MakeDirectoryRow("..", up);
    pane.rows.push_back(up);
  }
  if (pane.containerLevel == 1) {
    const ByteView v(vibSector.data(), vibSector.size());
    for (size_t slot = 0; slot < vib::kSubdirCount; ++slot) {
      const size_t at = vib::kSubdirs + slot * vib::kSubdirSlotSize;
      const uint16_t index = v.be16(at + 10);
      if (v.u8(at) == 0 || index == 0) continue;
      CatalogEntry dir;
      dir.kind = kKindSubdir;
      dir.sourceName = imageName;
      dir.tiName = TakeNameField(v, at);
      dir.fdrSector = index;
      pane.rows.push_back(dir);
    }
  }

  Sector fdir;
  if (!sectors.ReadSector(options.fdirSector, fdir)) return false;
  const ByteView index(fdir.data(), fdir.size());
  Sector fdrBytes;
  for (unsigned i = 0; i < 128; ++i) {
    const uint16_t fdrSector = index.be16(2 * i);
    if (fdrSector == 0) break;
    if (fdrSector >= summary.totalSectors) {
      ReportError(kErrDiskError, imagePath, static_cast<int>(i), static_cast<int>(fdrSector));
      return false;
    }
    if (!sectors.ReadSector(fdrSector, fdrBytes)) return false;
    CatalogEntry row;
    row.sourceName = source;
    row.fdrSector = fdrSector;
    if (!DecodeHeader(ByteView(fdrBytes.data(), fdrBytes.size()), imageName, true, row)) row.kind = kKindUnknown;
    row.containerKind = kind;
    row.containerDensity = summary.density;
    row.containerTracks = static_cast<int16_t>(summary.tracksPerSide);
    row.containerSectorsPerTrack = static_cast<int16_t>(summary.sectorsPerTrack);
    pane.rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace korvane
