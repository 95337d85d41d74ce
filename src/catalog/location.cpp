#include "catalog/location.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>
#include <cerrno>

#include "archive/arc_pane.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "floppy/floppy_lister.h"
#include "floppy/v9t9.h"
#include "harddisk/cf7_card.h"
#include "harddisk/cf7_pane.h"
#include "harddisk/hd_pane.h"
#include "harddisk/hd_rows.h"
#include "platform/pc_file.h"
#include "viewers/gif_picture.h"

namespace korvane {

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  if (directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

std::string ParentPath(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string LastComponent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  if (pattern == "*" || pattern == "*.*") return true;
  // Iterative match with one back-tracking point for the last "*".
  size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() &&
        (pattern[p] == '?' || std::tolower(static_cast<unsigned char>(pattern[p])) ==
                                  std::tolower(static_cast<unsigned char>(name[n])))) {
      ++p, ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

namespace {

// Sorting after every reader keeps the pane in its chosen order.
void Finish(PaneState& pane) { SortRows(pane.rows, pane.sortKey); }

// Recognisers for 256-byte beginnings, tried in this order; the first that
// claims the bytes makes the row:
//   1. floppy sector image or PC99 track image;
//   2. hard-disk image (kinds 12, 13);
//   3. CF7A+ card image (kind 15).
bool RecogniseContainer(PcFile& file, ByteView first, const std::string& name, CatalogEntry& row) {
  DiskSummary summary;
  const uint16_t kind = RecogniseFloppy(first, &file, summary);
  if (kind != 0) {
    row.kind = kind;
    row.sourceName = name;
    row.tiName = summary.volumeName;
    row.disk = summary;
    return true;
  }
  if (MakeHardDiskImageRow(first, name, row)) return true;
  row = CatalogEntry{};
  const int64_t size = file.Size();
  if (size > 0 && RecogniseCardImage(first, static_cast<uint64_t>(size), name, row)) return true;
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

namespace {

// Reads the location and reports a failure once: the directory scan reports
// a directory it cannot open itself; any other failure (a path that is no
// longer there) is reported here with the system's text.
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

bool EnterPcDirectory(PaneState& pane, const CatalogEntry& row) {
  const std::string previous = pane.locationPath;
  pane.PushLevel();
  ++pane.directoryDepth;
  pane.locationPath = RowPcPath(pane, row);
  pane.rows.clear();
  if (!ReadLocationReportingOnce(pane)) {
    // Go back where we were rather than leave the pane on a path it cannot show.
    pane.locationPath = previous;
    --pane.directoryDepth;
    pane.DropLevel();
    ReadLocation(pane);
    return false;
  }
  return true;
}

bool EnterFloppyImage(PaneState& pane, const CatalogEntry& row) {
  pane.container = row;
  pane.topRow = 0;
  if (pane.locationType == kLocPcDirectory) pane.locationPath = RowPcPath(pane, row);
  pane.PushLevel();
  pane.floppyHasUprdir = true;
  ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, true, false});
  return true;
}

bool EnterFloppySubdir(PaneState& pane, const CatalogEntry& row) {
  pane.innerName = SafePcName(row.tiName);
  pane.PushLevel();
  ListFloppyImage(pane, pane.locationPath, FloppyListOptions{row.fdrSector, true, true});
  return true;
}

}  // namespace

namespace {
bool IsHardDiskLocation(LocationType type) { return type == kLocHdImage || type == kLocPtImage; }
}  // namespace

bool EnterRow(PaneState& pane, int index) {
  if (index < 0 || index >= pane.RowCount()) return false;
  const CatalogEntry row = pane.rows[static_cast<size_t>(index)];
  bool entered = false;
  switch (row.kind) {
    case kKindSubdir:
      if (pane.locationType == kLocPcDirectory) entered = EnterPcDirectory(pane, row);
      else if (pane.locationType == kLocFloppy) entered = EnterFloppySubdir(pane, row);
      else if (IsHardDiskLocation(pane.locationType)) entered = EnterHardDiskRow(pane, row);
      break;
    case kKindUprdir:
      // Inside a hard disk ".." walks up the tree until the image's root;
      // from a card volume it leads back to the volume list.
      if (IsHardDiskLocation(pane.locationType) && HardDiskUp(pane)) return true;
      if (LeaveCardImageVolume(pane)) return true;
      entered = Leave(pane);
      return entered;  // Leave sorts and restores the cursor itself
    case kKindPtImg:
      entered = EnterHardDiskImage(pane, row);
      break;
    case kKindCardImg:
      entered = EnterCardImage(pane, row);
      break;
    case kKindCardVolume:
      entered = EnterCardImageVolume(pane, row);
      break;
    case kKindHdImg:
      // A partition of a partition list, or a plain image in a PC directory.
      if (pane.locationType == kLocPtImage) entered = EnterHardDiskRow(pane, row);
      else entered = EnterHardDiskImage(pane, row);
      break;
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:  // the floppy lister hands track images to the PC99 reader
      entered = EnterFloppyImage(pane, row);
      break;
    case kKindDisFix:
      // A DIS/FIX 128 file of a PC directory that begins with "GIF" is a
      // picture for the external viewer, not an archive.
      if (pane.locationType == kLocPcDirectory && row.recordLength == 128 && row.totalSectors > 0) {
        const int gif = GifTest(pane, row);
        if (gif < 0) return false;  // unreadable: reported
        if (gif == 0) {
          ShowGif(pane, row, GetNameSettings().picViewer);
          return false;
        }
      }
      [[fallthrough]];
    case kKindIntFix:
      if (CanOpenAsArchive(row)) entered = OpenArchiveInPane(pane, row, true);
      break;
    default:
      break;
  }
  if (entered) Finish(pane);
  return entered;
}

bool Leave(PaneState& pane) {
  if (LeaveCardImageVolume(pane)) return true;
  if (pane.containerLevel == 2) {
    ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, pane.floppyHasUprdir, false});
    Finish(pane);
    pane.PopLevel();
    return true;
  }
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
  bool ok = true;
  switch (pane.locationType) {
    case kLocPcDirectory:
      pane.rows.clear();
      ok = ReadLocationReportingOnce(pane);
      break;
    case kLocFloppy:
      if (pane.containerLevel == 2)
        ok = ListFloppyImage(pane, pane.locationPath, FloppyListOptions{pane.fdirSector, true, true});
      else
        ok = ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, pane.floppyHasUprdir, false});
      break;
    case kLocHdImage:
    case kLocPtImage:
      ok = RefreshHardDisk(pane);
      break;
    case kLocCardImage:
    case kLocCardImageVolume:
      ok = RefreshCardImage(pane);
      break;
    case kLocPc99:  // read-only containers: re-reading leaves them unchanged
    case kLocArchive:
      break;
    default:
      ok = false;
      break;
  }
  Finish(pane);
  pane.ClampCursor();
  return ok;
}

}  // namespace korvane
