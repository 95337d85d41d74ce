#include "viewers/view_source.h"


#include "catalog/errors.h"
#include "catalog/location.h"

namespace korvane {
namespace {

// The directory a PC-directory pane lists: its location path without a
// trailing name pattern.
std::string PaneDirectoryOf(const PaneState& pane) {
  if (pane.locationPath.find('*') != std::string::npos) return ParentPath(pane.locationPath);
  return pane.locationPath;
}

}  // namespace

bool ViewSourcePath(const PaneState& pane, const CatalogEntry& row, std::string& path) {
  path = JoinPath(PaneDirectoryOf(pane), row.sourceName);
  return true;
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
