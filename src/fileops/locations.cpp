#include "fileops/locations.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/container_kinds.h"
#include "floppy/floppy_lister.h"
#include "platform/pc_file.h"

namespace korvane {

namespace {

// ReadLocation lists a location with a "*" in it as a directory and the
// pattern in its last component.
bool HasNamePattern(const std::string& path) { return path.find('*') != std::string::npos; }

}  // namespace

std::string PaneDirectory(const PaneState& pane) {
  return HasNamePattern(pane.locationPath) ? ParentPath(pane.locationPath) : pane.locationPath;
}

std::string RowPcPath(const PaneState& pane, const CatalogEntry& row) {
  return JoinPath(PaneDirectory(pane), row.sourceName);
}

namespace {

// Sorting after every reader keeps the pane in its chosen order.
void Finish(PaneState& pane) { SortRows(pane.rows, pane.sortKey); }

// Tries the recognisers of the container kinds in the table's order; the
// first that claims the bytes makes the row.
bool RecogniseContainer(PcFile& file, ByteView first, const std::string& name, CatalogEntry& row) {
  for (const ContainerKind& kind : ContainerKinds()) {
    if (!kind.recognise) continue;
    row = CatalogEntry{};
    if (kind.recognise(file, first, name, row)) return true;
  }
  // Not a container: the row goes on to the header test with its PC name,
  // which every command that opens the file needs.
  row = CatalogEntry{};
  row.sourceName = name;
  return false;
}

}  // namespace

bool ClassifyPcFile(const std::string& directory, const std::string& name, CatalogEntry& row) {
  return ClassifyPcFileAt(-1, directory, name, row);
}

bool ClassifyPcFileAt(int directoryFd, const std::string& directory, const std::string& name, CatalogEntry& row) {
  row = CatalogEntry{};
  PcFile file;
  const bool opened = directoryFd >= 0 ? file.OpenAt(directoryFd, name, PcFile::Mode::Read)
                                       : file.Open(JoinPath(directory, name), PcFile::Mode::Read);
  if (!opened) return false;
  // One read of a page: it costs no more than the 256 bytes the recognisers
  // need, and for the many TI files smaller than a page it also tells the
  // file's size and holds its last sector, so no stat or second read is needed.
  uint8_t page[4096];
  const size_t got = file.ReadAt(0, page, sizeof page);
  row.sourceName = name;
  if (got < kPcHeaderSize) {
    row.kind = kKindDos;
    return true;
  }
  const ByteView bytes(page, got < kSectorSize ? got : kSectorSize);
  if (got >= kSectorSize && RecogniseContainer(file, bytes, name, row)) return true;

  if (!DecodeHeader(bytes, name, false, row)) {
    const std::string keep = row.sourceName;
    row = CatalogEntry{};
    row.sourceName = keep;
    row.kind = kKindDos;
    return true;
  }
  if (row.headerKind == kHeaderTifiles) {
    const bool whole = got < sizeof page;
    const int64_t size = whole ? static_cast<int64_t>(got) : file.Size();
    if (size >= 0 && !TifilesAgreesWithSize(static_cast<uint64_t>(size), row)) {
      const uint64_t lastOffset = LastDataSectorOffset(static_cast<uint64_t>(size));
      Sector last{};
      ByteView lastSector;
      if (row.kind == kKindDisVar || row.kind == kKindIntVar) {
        if (whole)
          lastSector = ByteView(page, got).sub(lastOffset, kSectorSize);
        else
          lastSector = ByteView(last.data(), file.ReadAt(lastOffset, last.data(), last.size()));
      }
      ApplyClassic99(static_cast<uint64_t>(size), lastSector, row);
    }
  }
  return true;
}

bool ScanDirectory(PaneState& pane, const std::string& directory, const std::string& pattern) {
  pane.locationType = kLocPcDirectory;
  pane.rows.clear();
  DIR* dir = opendir(directory.c_str());
  if (!dir) {
    ReportSystemError(errno, kErrReadDir, directory);
    return false;
  }
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == ".") continue;
    bool isDir = e->d_type == DT_DIR;
    bool isFile = e->d_type == DT_REG;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      const bool known = stat(JoinPath(directory, name).c_str(), &st) == 0;
      isDir = known && S_ISDIR(st.st_mode);
      isFile = known && S_ISREG(st.st_mode);
    }
    if (name == "..") {
      if (pane.directoryDepth > 0) {
        CatalogEntry up;
        MakeDirectoryRow(name, up);
        pane.rows.push_back(std::move(up));
      }
      continue;
    }
    // Named pipes, sockets and devices hold no TI data, and opening one to
    // read its first bytes could wait for ever (a pipe without a writer).
    if (!isDir && !isFile) continue;
    if (!WildcardMatch(pattern, name)) continue;
    CatalogEntry row;
    if (isDir) {
      if (MakeDirectoryRow(name, row)) pane.rows.push_back(std::move(row));
    } else if (ClassifyPcFileAt(dirfd(dir), directory, name, row)) {
      pane.rows.push_back(std::move(row));
    }
  }
  closedir(dir);
  return true;
}

bool ReadLocation(PaneState& pane) {
  std::string path = pane.locationPath;
  if (HasNamePattern(path)) {
    const std::string directory = ParentPath(path);
    if (!IsDirectory(directory)) return false;
    return ScanDirectory(pane, directory, LastComponent(path));
  }
  if (IsRegularFile(path)) {
    pane.floppyHasUprdir = false;
    ListFloppyImage(pane, path, FloppyListOptions{1, false, false});
    return true;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!IsDirectory(path)) return false;
  pane.locationPath = path;
  return ScanDirectory(pane, path, "*");
}

bool ReadLocationReportingOnce(PaneState& pane) {
  constexpr int kNothingReported = -1;
  const int previousCode = LastErrorCode();
  SetLastErrorCode(kNothingReported);
  errno = 0;
  const bool ok = ReadLocation(pane);
  const int err = errno;
  if (!ok && LastErrorCode() == kNothingReported) ReportSystemError(err, kErrReadDir, pane.locationPath);
  if (LastErrorCode() == kNothingReported) SetLastErrorCode(previousCode);
  return ok;
}

bool EnterRow(PaneState& pane, int index) {
  if (index < 0 || index >= pane.RowCount()) return false;
  const CatalogEntry row = pane.rows[static_cast<size_t>(index)];
  if (row.kind == kKindUprdir) {
    // Inside a hard disk ".." walks up the tree until the image's root;
    // elsewhere it leaves one level (from a card volume, to the volume list).
    const ContainerKind& here = ContainerOfPane(pane);
    if (here.up && here.up(pane)) return true;
    return Leave(pane);  // Leave sorts and restores the cursor itself
  }
  const ContainerKind* opened = ContainerOpenedBy(pane, row);
  const bool entered = opened && opened->enter && opened->enter(pane, row);
  if (entered) Finish(pane);
  return entered;
}

bool Leave(PaneState& pane) {
  const ContainerKind& here = ContainerOfPane(pane);
  if (here.leave) return here.leave(pane);
  if (pane.containerLevel == 1) {
    pane.containerLevel = 0;
    pane.hdLevel = 0;
    pane.innerName.clear();
  } else {
    if (pane.directoryDepth == 0) return false;
    --pane.directoryDepth;
  }
  if (!pane.outerPath.empty()) {
    pane.locationPath = pane.outerPath;
    pane.outerPath.clear();
    pane.containerInContainer = false;
  }
  if (!pane.returningIntoCard) pane.locationPath = ParentPath(pane.locationPath);
  pane.rows.clear();
  if (!ReadLocationReportingOnce(pane)) return false;
  Finish(pane);
  pane.PopLevel();
  return true;
}

bool Refresh(PaneState& pane) {
  const ContainerKind& here = ContainerOfPane(pane);
  const bool ok = here.refresh && here.refresh(pane);
  Finish(pane);
  pane.ClampCursor();
  return ok;
}

namespace {

// Reads the pane model's location path, reporting a failure that the
// reader did not report itself, once, with the system's text, and notes
// whether anything was reported.
bool ReadAndReport(PaneModel& m) {
  constexpr int kNothingReported = -1;
  // ReadLocationReportingOnce puts back this code when nothing is reported.
  SetLastErrorCode(kNothingReported);
  const bool ok = ReadLocationReportingOnce(m.state);
  m.lastReadReported = LastErrorCode() != kNothingReported;
  if (!m.lastReadReported) SetLastErrorCode(0);
  m.hasRows = true;
  SortRows(m.state.rows, m.state.sortKey);
  return ok;
}

}  // namespace

bool GotoRoot(PaneModel& m) {
  PaneState fresh;
  fresh.sortKey = m.state.sortKey;
  fresh.rowsPerPage = m.state.rowsPerPage;
  fresh.cursorHistory = m.state.cursorHistory;
  fresh.topRow = m.state.topRow;
  fresh.cursor = m.state.cursor;
  fresh.locationPath = m.startPath;
  m.state = std::move(fresh);
  const bool ok = ReadAndReport(m);
  if (ok) {
    m.state.topRow = 0;
    m.state.cursor = 0;
  }
  m.state.ClampCursor();
  NotePainted(m);
  return ok;
}

bool FirstRead(PaneModel& m) {
  m.state.rows.clear();
  const bool ok = ReadAndReport(m);
  // A start location that cannot be read leaves the pane without a list:
  // the commands that need rows stay off until a location has been read.
  if (!ok && m.state.rows.empty()) m.hasRows = false;
  NotePainted(m);
  return ok;
}

}  // namespace korvane
