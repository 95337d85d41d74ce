// Rename: a PC file or directory (a TI file with a V9T9 header, and a disk
// image, also get the new name inside), or a TI file inside an image.
#include <strings.h>

#include <cerrno>
#include <cstdio>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"
#include "fileops/row_source.h"
#include "floppy/v9t9_write.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

// Keys the rename field ignores; a TI name field also ignores ".".
constexpr char kIgnoredInPcName[] = " \"*/:<>?\\|";
constexpr char kIgnoredInTiName[] = " \"*/:<>?\\|.";
constexpr size_t kPcNameField = 30;
constexpr size_t kTiNameField = 10;

// The extension of a PC name, dot included ("" when it has none).
std::string Extension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

// Writes a TI name over the first 10 bytes of a PC file: the name of a V9T9
// header, or the volume name in the VIB of a disk image.
void WriteNameIntoFile(const std::string& path, const std::string& tiName) {
  PcFile file;
  if (!file.Open(path, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenWrite, path);
    return;
  }
  if (!file.WriteAt(0, tiName.data(), 10)) ReportError(kErrWriteFile, path);
}

bool RenameInDirectory(PaneState& pane, CatalogEntry& row, const std::string& newName) {
  const std::string oldPath = RowPcPath(pane, row);
  const std::string leaf = row.kind == kKindDos ? newName : newName + Extension(row.sourceName);
  const std::string newPath = JoinPath(PaneDirectory(pane), leaf);
  if (!IsSafeLeafName(leaf)) {
    ReportError(kErrRenameEntry, oldPath, EINVAL);
    return false;
  }
  // The PC's rename replaces an existing file without a word; a rename must
  // never destroy another file.
  if (leaf != row.sourceName && PathExists(newPath) && !SamePcFile(oldPath, newPath)) {
    ReportError(kErrRenameEntry, oldPath, EEXIST);
    return false;
  }
  if (std::rename(oldPath.c_str(), newPath.c_str()) != 0) {
    ReportError(kErrRenameEntry, oldPath, errno);
    return false;
  }
  row.sourceName = leaf;
  const std::string tiForm = PcNameToTiName(newName);
  if (IsTiFileKind(row.kind) || row.kind == kKindDsk) {
    row.tiName = tiForm;
    if (row.kind == kKindDsk) row.disk.volumeName = tiForm;
    if (row.kind == kKindDsk || row.headerKind == kHeaderV9t9) WriteNameIntoFile(newPath, tiForm);
  } else if (row.kind == kKindSubdir) {
    row.tiName = newName;
  }
  return true;
}

bool RenameInImage(PaneState& pane, CatalogEntry& row, const std::string& newName) {
  const std::string tiForm = PcNameToTiName(newName);
  PcFile image;
  if (!image.Open(pane.locationPath, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenReadWrite, pane.locationPath);
    return false;
  }
  ImageFileSectors sectors(image, pane.locationPath, PaneSectorBase(pane));
  FloppyVolume volume;
  if (!LoadFloppyVolume(sectors, pane.fdirSector, volume)) return false;
  if (!RenameFile(volume, row.tiName, tiForm)) return false;
  row.tiName = tiForm;
  return true;
}

}  // namespace

bool CheckRename(const PaneState& pane) {
  if (AcceptsFileChanges(pane.locationType)) return true;
  ReportError(kErrNoRenameHere);
  return false;
}

std::string RenameText(const CatalogEntry& row) {
  return fmt::sprintf("Rename <%s> to", row.kind == kKindDos ? row.sourceName : TrimTiName(row.tiName));
}

// The field shows the name as it is; the typing filter applies to what the
// user types into it.
std::string RenameField(const CatalogEntry& row) { return row.kind == kKindDos ? row.sourceName : SafePcName(row.tiName); }

std::string FilterRenameInput(const CatalogEntry& row, const std::string& typed) {
  if (row.kind == kKindDos) return FilterField(typed, kIgnoredInPcName, kPcNameField);
  return FilterField(typed, kIgnoredInTiName, kTiNameField);
}

bool RenameRow(PaneState& pane, const std::string& typed) {
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return false;
  CatalogEntry& row = pane.rows[static_cast<size_t>(pane.cursor)];
  if (row.kind == kKindUprdir) return false;  // ".." names the parent, never a row to rename
  // A PC file keeps the name the field holds: the field's filter only drops
  // keys as they are typed, so a name with a blank that is renamed without
  // editing stays as it is. The rename itself refuses what is no plain
  // name. TI names never hold the ignored characters.
  const std::string newName = row.kind == kKindDos ? typed : FilterRenameInput(row, typed);
  if (newName.empty()) {
    CurrentReporter().ShowMessage("Korvane", "Please enter a name for the file or directory");
    return false;
  }
  SetLastErrorCode(0);
  bool ok = false;
  if (pane.locationType == kLocPcDirectory) ok = RenameInDirectory(pane, row, newName);
  else if (PaneIsWritableFloppy(pane) && IsTiFileKind(row.kind)) ok = RenameInImage(pane, row, newName);

  const CatalogEntry renamed = row;
  if (LastErrorCode() != 0) Refresh(pane);
  SortRows(pane.rows, pane.sortKey);
  for (int i = 0; i < pane.RowCount(); ++i) {
    const CatalogEntry& r = pane.rows[static_cast<size_t>(i)];
    const bool same = renamed.kind == kKindDos ? strcasecmp(r.sourceName.c_str(), renamed.sourceName.c_str()) == 0
                                               : r.tiName == renamed.tiName;
    if (!same) continue;
    pane.cursor = i;
    if (pane.cursor < pane.topRow || pane.cursor >= pane.topRow + pane.rowsPerPage)
      pane.topRow = std::min(pane.cursor, pane.HighestTop());
    break;
  }
  return ok;
}

}  // namespace korvane
