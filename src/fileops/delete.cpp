// Delete: files and directories of a PC directory, or TI files of a floppy
// image or card volume.
#include <unistd.h>

#include <cerrno>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/container_kinds.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/row_source.h"
#include "floppy/v9t9_write.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

// Rows a directory delete removes: TI files, plain PC files, directories and
// the image files that a copy would take whole.
bool DeletableInDirectory(int kind) {
  if (IsTiFileKind(kind) || kind == kKindDos || kind == kKindSubdir) return true;
  const ContainerKind* container = ContainerOfRowKind(kind);
  return container && container->copiedAsFile;
}

// How a row is named in the confirmation and progress texts.
std::string ShownName(const CatalogEntry& row) {
  return row.kind == kKindDos ? row.sourceName : SafePcName(row.tiName);
}

int DeleteInDirectory(PaneState& pane, Progress& progress) {
  const std::vector<int> rows = CommandRows(pane);
  progress.Begin(rows.size(), "");
  int removed = 0;
  uint64_t done = 0;
  for (int index : rows) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
    if (!DeletableInDirectory(row.kind)) continue;
    progress.SetText(fmt::sprintf("Deleting <%s>", ShownName(row)));
    progress.Step(++done);
    const std::string path = RowPcPath(pane, row);
    const int rc = row.kind == kKindSubdir ? rmdir(path.c_str()) : unlink(path.c_str());
    if (rc != 0) {
      ReportError(kErrDelete, path, errno);
      break;
    }
    ++removed;
    if (progress.Cancelled()) break;
  }
  progress.End();
  Refresh(pane);
  return removed;
}

int DeleteInImage(PaneState& pane, Progress& progress) {
  const bool marks = pane.MarkedCount() > 0;
  const std::string& imagePath = pane.locationPath;
  PcFile image;
  if (!image.Open(imagePath, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenReadWrite, imagePath);
    return 0;
  }
  ImageFileSectors sectors(image, imagePath, PaneSectorBase(pane));
  FloppyVolume volume;
  if (!LoadFloppyVolume(sectors, pane.fdirSector, volume)) return 0;

  progress.Begin(static_cast<uint64_t>(pane.RowCount()), "");
  int removed = 0;
  for (int i = 0; i < pane.RowCount() && !progress.Cancelled(); ++i) {
    CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    progress.SetText(fmt::sprintf("Deleting <%s>", ShownName(row)));
    progress.Step(static_cast<uint64_t>(i) + 1);
    const bool chosen = marks ? row.marked : i == pane.cursor;
    if (!chosen || !IsTiFileKind(row.kind)) continue;
    SetLastErrorCode(0);
    if (DeleteFile(volume, row.tiName)) ++removed;
    row.marked = false;
    // A damaged image refuses every delete: say so once, not per row.
    if (LastErrorCode() == kErrDiskError) break;
  }
  progress.End();
  image.Close();
  if (removed > 0) Refresh(pane);
  return removed;
}

}  // namespace

bool AcceptsFileChanges(LocationType type) { return ContainerOfLocation(type).takesFileChanges; }

bool CheckDelete(const PaneState& pane) {
  if (AcceptsFileChanges(pane.locationType)) return true;
  ReportError(kErrDeleteOnly);
  return false;
}

std::string DeleteText(const PaneState& pane) {
  const int marked = pane.MarkedCount();
  if (marked == 0) {
    const std::vector<int> rows = CommandRows(pane);
    const std::string name = rows.empty() ? std::string() : ShownName(pane.rows[static_cast<size_t>(rows[0])]);
    return fmt::sprintf("Do you really wish to delete <%s>", name);
  }
  std::string text = fmt::sprintf("Do you really wish to delete %u files?", static_cast<unsigned>(marked));
  int listed = 0;
  for (const CatalogEntry& row : pane.rows) {
    if (!row.marked) continue;
    if (listed == 4) {
      text += "  ...";
      break;
    }
    text += fmt::sprintf("\n    %s", ShownName(row));
    ++listed;
  }
  return text;
}

int DeleteRows(PaneState& pane, Progress& progress) {
  int removed = 0;
  if (pane.locationType == kLocPcDirectory) removed = DeleteInDirectory(pane, progress);
  else if (PaneIsWritableFloppy(pane)) removed = DeleteInImage(pane, progress);
  pane.cursor = 0;
  pane.topRow = 0;
  return removed;
}

}  // namespace korvane
