#include "viewers/view_source.h"

#include "catalog/errors.h"
#include "fileops/export.h"

namespace korvane {

bool OpenViewSource(const PaneState& pane, const CatalogEntry& row, PcFile& file) {
  std::string path;
  if (!TiFileAsPcFile(pane, row, path)) return false;
  if (!file.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return false;
  }
  return true;
}

}  // namespace korvane
