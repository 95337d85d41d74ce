#include "viewers/view_source.h"

#include "catalog/errors.h"
#include "catalog/location.h"
#include "fileops/export.h"
#include "fileops/pc_paths.h"

namespace korvane {

bool ViewSourcePath(const PaneState& pane, const CatalogEntry& row, std::string& path) {
  if (pane.locationType == kLocPcDirectory && row.fdrSector == 0 && !row.archiveMember) {
    path = JoinPath(PaneDirectory(pane), row.sourceName);
    return true;
  }
  // A file inside a disk image is exported into the scratch file first.
  return TiFileAsPcFile(pane, row, path);
}

bool OpenViewSource(const PaneState& pane, const CatalogEntry& row, PcFile& file) {
  std::string path;
  if (!ViewSourcePath(pane, row, path)) return false;
  if (!file.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return false;
  }
  return true;
}

}  // namespace korvane
