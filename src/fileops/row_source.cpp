#include "fileops/row_source.h"

#include "catalog/errors.h"
#include "fileops/container_kinds.h"

namespace korvane {

std::unique_ptr<SectorSource> OpenRowSectors(const PaneState& pane, const CatalogEntry& row, PcFile& file) {
  const std::string& path = pane.locationPath;
  if (!file.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return nullptr;
  }
  // Rows carry the kind of the container they were read from; its entry
  // knows how to reach the sectors, and reports what goes wrong itself.
  const ContainerKind* container = ContainerOfRowKind(row.containerKind);
  if (container && container->openSectors) return container->openSectors(file, path, row);
  ReportError(kErrDiskInfo, path);
  return nullptr;
}

uint64_t PaneSectorBase(const PaneState& pane) {
  if (pane.locationType == kLocCardImageVolume && pane.container.volumePosition >= 0)
    return 128 + 256 * static_cast<uint64_t>(pane.container.volumePosition);
  return 0;
}

bool PaneIsWritableFloppy(const PaneState& pane) { return ContainerOfPane(pane).floppyFileSystem; }

}  // namespace korvane
