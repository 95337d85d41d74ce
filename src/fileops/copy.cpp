// Copy: the refusals, the dialog text, the batch, and copying one row into
// a PC directory. Copying into an image is Add file (add_file.cpp).
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "archive/arc_extract.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/container_kinds.h"
#include "fileops/export.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"
#include "fileops/row_source.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

bool IsCardList(LocationType locationType) { return ContainerOfLocation(locationType).volumeList; }

// Rows a PC directory takes: TI files, images and plain PC files.
bool CopyableToDirectory(int kind) {
  if (IsTiFileKind(kind) || kind == kKindDos) return true;
  const ContainerKind* container = ContainerOfRowKind(kind);
  return container && container->copiedAsFile;
}

// Whether any of the rows the command acts on satisfies `test`: with marks
// any marked row, else the cursor row.
template <typename Test>
bool AnyCommandRow(const PaneState& pane, Test test) {
  for (int i : CommandRows(pane))
    if (test(static_cast<int>(pane.rows[static_cast<size_t>(i)].kind))) return true;
  return false;
}

// Copies a PC file as it is; a failure leaves no partial copy behind.
bool CopyPcFile(const std::string& from, const std::string& to) {
  PcFile in, out;
  int err = 0;
  if (!in.Open(from, PcFile::Mode::Read)) err = errno;
  else if (!out.Open(to, PcFile::Mode::CreateWrite)) err = errno;
  std::vector<uint8_t> buffer(1 << 16);
  for (uint64_t at = 0; err == 0;) {
    errno = 0;
    const size_t got = in.ReadAt(at, buffer.data(), buffer.size());
    if (got == 0) {
      err = errno;
      break;
    }
    if (!out.WriteAt(at, buffer.data(), got)) err = errno ? errno : EIO;
    at += got;
  }
  if (err == 0) return true;
  const bool created = out.IsOpen();
  out.Close();
  if (created) unlink(to.c_str());
  ReportError(kErrCopyFile, from, to, err);
  return false;
}

}  // namespace

std::vector<int> CommandRows(const PaneState& pane) {
  std::vector<int> rows;
  for (int i = 0; i < pane.RowCount(); ++i)
    if (pane.rows[static_cast<size_t>(i)].marked) rows.push_back(i);
  if (rows.empty() && pane.cursor >= 0 && pane.cursor < pane.RowCount()) rows.push_back(pane.cursor);
  return rows;
}

std::string OverwriteText(const std::string& kindText, const std::string& name) {
  return fmt::sprintf("%s <%s> allready exist. Overwrite?", kindText, name);
}

Answer CopyBatch::Ask(const std::string& kindText, const std::string& name) {
  if (overwriteAll) return Answer::All;
  const Answer a = CurrentReporter().Ask(kOverwriteCaption, OverwriteText(kindText, name), Buttons::YesNoCancel);
  if (a == Answer::All) overwriteAll = true;
  if (a == Answer::Cancel) cancelled = true;
  return a;
}

bool CheckCopy(const PaneState& source, const PaneState& dest) {
  const bool anyRow = CommandRows(source).size() > 0;
  if (dest.locationType == kLocPcDirectory &&
      (strcasecmp(PaneDirectory(source).c_str(), PaneDirectory(dest).c_str()) == 0 ||
       (source.locationType == kLocPcDirectory && SamePcFile(PaneDirectory(source), PaneDirectory(dest))))) {
    ReportError(kErrCopyToItself);
    return false;
  }
  // The destination decides which rows it takes; archives, PC99 and
  // hard-disk images take none.
  const ContainerKind& into = ContainerOfLocation(dest.locationType);
  if (!into.takesCopyOf || !anyRow || !AnyCommandRow(source, into.takesCopyOf)) {
    ReportError(into.copyRefusal);
    return false;
  }
  return true;
}

std::string CopyText(const PaneState& source, const PaneState& dest) {
  const bool images = IsCardList(source.locationType) ||
                      (source.locationType == kLocPcDirectory && IsCardList(dest.locationType));
  const int marked = source.MarkedCount();
  if (marked > 0) return fmt::sprintf("Copy %u %s to", static_cast<unsigned>(marked), images ? "DSK images" : "TI files");
  const std::vector<int> rows = CommandRows(source);
  if (rows.empty()) return "Copy file to";
  const CatalogEntry& row = source.rows[static_cast<size_t>(rows[0])];
  if (row.kind == kKindDos) return fmt::sprintf("Copy %s <%s> to", "file", row.sourceName);
  return fmt::sprintf("Copy %s <%s> to", images ? "DSK image" : "TI file", SafePcName(row.tiName));
}

int CopyRowToDirectory(const PaneState& source, const PaneState& dest, const CatalogEntry& row, CopyBatch& batch) {
  SetLastErrorCode(0);
  const std::string tiName = TrimTiName(row.tiName).empty() ? PcNameToTiName(row.sourceName) : row.tiName;
  const bool fromDirectory = source.locationType == kLocPcDirectory;
  const std::string name = fromDirectory ? row.sourceName : SafePcName(tiName);
  const std::string target = JoinPath(PaneDirectory(dest), name);
  if (!IsSafeLeafName(name)) {
    ReportError(kErrInvalidFilename, name);
    return 0;
  }
  const std::string from = fromDirectory ? RowPcPath(source, row) : std::string();
  if (PathExists(target)) {
    if (fromDirectory && SamePcFile(from, target)) {
      ReportError(kErrCopyToItself);
      return 0;
    }
    const Answer answer = batch.Ask("DSK image", SafePcName(tiName));
    if (answer == Answer::Cancel) return 2;
    if (answer != Answer::Yes && answer != Answer::All) return 0;
    if (unlink(target.c_str()) != 0) {
      ReportError(kErrDelete, target, errno);
      return 0;
    }
  }
  if (fromDirectory) CopyPcFile(from, target);
  else if (row.archiveMember) ExtractArchiveMember(source, row, target);
  else ExportTiFile(source, row, target, GetNameSettings().extractTifiles);
  return 0;
}

CopyResult CopyRows(PaneState& source, PaneState& dest, Progress& progress, const DosConverter& convertDos) {
  // A card's volume list takes and gives whole DSK images: the card volume
  // manager copies those.
  if (IsCardList(source.locationType) || IsCardList(dest.locationType)) return CopyResult::NotAvailable;
  CopyBatch batch;
  const std::vector<int> rows = CommandRows(source);
  const bool intoImage = PaneIsWritableFloppy(dest);
  progress.Begin(rows.size(), "");
  CopyResult result = CopyResult::Done;
  uint64_t done = 0;
  for (int index : rows) {
    if (progress.Cancelled()) {
      result = CopyResult::Stopped;
      break;
    }
    CatalogEntry& row = source.rows[static_cast<size_t>(index)];
    int r = 0;
    if (intoImage) {
      if (row.kind == kKindDos) {
        CatalogEntry converted;
        if (!convertDos) continue;
        SetLastErrorCode(0);
        switch (convertDos(row, converted)) {
          case DosConversion::Converted: r = AddFileToPane(progress, dest, nullptr, converted, true, batch); break;
          case DosConversion::Skipped: break;
          case DosConversion::Stop: r = 2; break;
        }
      } else if (IsTiFileKind(row.kind)) {
        r = AddFileToPane(progress, dest, &source, row, true, batch);
      } else {
        continue;
      }
    } else {
      if (!CopyableToDirectory(row.kind)) continue;
      progress.Step(++done);
      r = CopyRowToDirectory(source, dest, row, batch);
      // A copy that failed on the PC side would fail for the next row too.
      if (LastErrorCode() != 0) r = 2;
    }
    row.marked = false;
    if (r == 2) {
      result = CopyResult::Stopped;
      break;
    }
  }
  progress.End();
  if (!intoImage) Refresh(dest);
  return result;
}

}  // namespace korvane
