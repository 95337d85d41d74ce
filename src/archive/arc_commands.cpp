#include "archive/arc_commands.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>

#include "archive/arc_extract.h"
#include "archive/arc_pane.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"
#include "floppy/floppy_lister.h"
#include "floppy/v9t9_write.h"

namespace korvane {
namespace {

// The contents of one row read into a scratch pane, the way the pane itself
// would list them (no ".." row).
bool ReadRowContents(const PaneState& source, const CatalogEntry& row, PaneState& scratch) {
  scratch = PaneState{};
  scratch.locationPath = RowPcPath(source, row);
  if (IsFloppyImageKind(row.kind)) {
    ListFloppyImage(scratch, scratch.locationPath, FloppyListOptions{1, false, false});
    return true;  // rows read before an error are still extracted
  }
  scratch.locationType = kLocArchive;
  return ReadArchiveMembers(scratch.locationPath, row, row.sourceName, scratch.rows);
}

// "NAME", then "NAME(1)", "NAME(2)", ... until the path is free.
std::string FreePath(const std::string& directory, const std::string& name, const std::string& extension) {
  std::string path = JoinPath(directory, name + extension);
  for (int n = 1; PathExists(path); ++n) path = JoinPath(directory, fmt::sprintf("%s(%d)%s", name, n, extension));
  return path;
}

std::string RowName(const CatalogEntry& row) {
  return row.kind == kKindDos ? row.sourceName : SafePcName(row.tiName);
}

bool TakeRow(const PaneState& source, int index, bool (*eligible)(const CatalogEntry&)) {
  return index >= 0 && index < source.RowCount() && eligible(source.rows[static_cast<size_t>(index)]);
}

}  // namespace

bool IsExtractableRow(const CatalogEntry& row) { return IsFloppyImageKind(row.kind) || IsArchiveFileRow(row); }

std::string ContainerOutputName(const CatalogEntry& row) {
  std::string name = SafePcName(row.tiName);
  if (name.empty() || row.tiName == "no_name!! ") {
    name.clear();
    for (char c : row.sourceName) {
      if (c == '.' || name.size() == 10) break;
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return IsSafeLeafName(name) ? name : std::string();
}

bool CheckExtractAll(const PaneState& destination) {
  if (destination.locationType == kLocPcDirectory) return true;
  ReportError(kErrExtractToDirOnly);
  return false;
}

std::string ExtractAllText(const PaneState& source) {
  const int marked = source.MarkedCount();
  if (marked > 0) return fmt::sprintf("Extract %u ARC or DSK files to", static_cast<unsigned>(marked));
  const std::string name =
      source.cursor >= 0 && source.cursor < source.RowCount() ? RowName(source.rows[static_cast<size_t>(source.cursor)]) : "";
  return fmt::sprintf("Extract ARC or DSK files of <%s> to", name);
}

int ExtractAll(PaneState& source, PaneState& destination, Progress& files, Progress& rows) {
  const std::vector<int> order = CommandRows(source);
  rows.Begin(order.size(), "");
  int extracted = 0;
  bool stop = false;
  for (size_t turn = 0; turn < order.size() && !stop && !rows.Cancelled(); ++turn) {
    const int index = order[turn];
    if (!TakeRow(source, index, IsExtractableRow)) continue;
    const CatalogEntry row = source.rows[static_cast<size_t>(index)];
    const std::string name = ContainerOutputName(row);
    if (name.empty()) {
      ReportError(kErrInvalidFilename, row.sourceName);
      continue;
    }
    const std::string directory = FreePath(PaneDirectory(destination), name, "");
    PaneState scratch;
    if (!ReadRowContents(source, row, scratch)) continue;
    if (mkdir(directory.c_str(), 0777) != 0) {
      ReportError(kErrCreateDir, directory, errno);
      break;
    }
    files.Begin(scratch.rows.size(), name);
    size_t done = 0;
    for (const CatalogEntry& file : scratch.rows) {
      if (files.Cancelled() || rows.Cancelled()) {
        stop = true;
        break;
      }
      if (!IsTiFileKind(file.kind)) continue;
      const std::string pcName = SafePcName(file.tiName);
      if (!IsSafeLeafName(pcName)) {
        ReportError(kErrInvalidFilename, TrimTiName(file.tiName));
        continue;
      }
      const std::string target = JoinPath(directory, pcName);
      if (file.archiveMember) ExtractArchiveMember(scratch, file, target);
      else ExportTiFile(scratch, file, target, GetNameSettings().extractTifiles);
      files.Step(++done);
    }
    files.End();
    ++extracted;
    source.rows[static_cast<size_t>(index)].marked = false;
    rows.Step(turn + 1);
  }
  rows.End();
  Refresh(destination);
  return extracted;
}

bool CheckArcToDsk(const PaneState& destination) {
  if (destination.locationType == kLocPcDirectory) return true;
  ReportError(kErrArcToDirOnly);
  return false;
}

std::string ArcToDskText(const PaneState& source) {
  const int marked = source.MarkedCount();
  if (marked > 0) return fmt::sprintf("Convert %u ARC files to", static_cast<unsigned>(marked));
  const std::string name =
      source.cursor >= 0 && source.cursor < source.RowCount() ? RowName(source.rows[static_cast<size_t>(source.cursor)]) : "";
  return fmt::sprintf("Convert ARC file <%s> to", name);
}

unsigned ArchiveSectorsNeeded(const FileList& members) {
  constexpr unsigned kFdrArea = kFirstDataAu - 2;  // sectors 2-33
  unsigned needed = kFirstDataAu;
  for (const CatalogEntry& m : members) needed += m.totalSectors;
  if (members.size() > kFdrArea) needed += static_cast<unsigned>(members.size()) - kFdrArea;
  return needed;
}

unsigned ArchiveImageSectors(unsigned sectorsNeeded) {
  if (sectorsNeeded <= 720) return 720;
  if (sectorsNeeded <= 1440) return 1440;
  return 0;
}

int ConvertArcsToDsk(PaneState& source, PaneState& destination, Progress& files, Progress& rows) {
  const std::vector<int> order = CommandRows(source);
  rows.Begin(order.size(), "");
  int made = 0;
  for (size_t turn = 0; turn < order.size() && !rows.Cancelled(); ++turn) {
    const int index = order[turn];
    if (!TakeRow(source, index, IsArchiveFileRow)) continue;
    const CatalogEntry row = source.rows[static_cast<size_t>(index)];
    const std::string name = ContainerOutputName(row);
    if (name.empty()) {
      ReportError(kErrInvalidFilename, row.sourceName);
      continue;
    }
    PaneState archive;
    if (!ReadRowContents(source, row, archive)) continue;
    const unsigned total = ArchiveImageSectors(ArchiveSectorsNeeded(archive.rows));
    if (total == 0) continue;  // too big for a floppy: passed over
    NewImageGeometry geometry;
    geometry.totalSectors = static_cast<uint16_t>(total);
    geometry.sectorsPerTrack = total == 720 ? 9 : 18;
    geometry.tracksPerSide = 40;
    geometry.sides = 2;
    geometry.density = total == 720 ? 1 : 2;
    const std::string path = FreePath(PaneDirectory(destination), name, ".dsk");
    if (!WriteNewImage(path, name.substr(0, 10), geometry, files)) continue;

    PaneState image;
    image.locationPath = path;
    if (!ListFloppyImage(image, path, FloppyListOptions{1, false, false})) continue;
    CopyBatch batch;
    files.Begin(archive.rows.size(), name);
    size_t done = 0;
    bool stop = false;
    for (const CatalogEntry& member : archive.rows) {
      if (files.Cancelled() || rows.Cancelled()) {
        stop = true;
        break;
      }
      SetLastErrorCode(0);
      // A member that does not go in (reported where it failed) is no
      // reason to leave the others out; a Cancel answer is.
      if (AddFileToPane(NoProgress(), image, &archive, member, false, batch) == 2 && batch.cancelled) {
        stop = true;
        break;
      }
      files.Step(++done);
    }
    files.End();
    ++made;
    source.rows[static_cast<size_t>(index)].marked = false;
    rows.Step(turn + 1);
    if (stop) break;
  }
  rows.End();
  Refresh(destination);
  return made;
}

}  // namespace korvane
