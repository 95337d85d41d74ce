#include "archive/arc_pane.h"

#include "archive/arc_directory.h"
#include "archive/lzw_decoder.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"
#include "platform/paths.h"
#include "platform/pc_file.h"

namespace korvane {

bool CanOpenAsArchive(const CatalogEntry& row) {
  return (row.kind == kKindDisFix || row.kind == kKindIntFix) && row.recordLength == 128 && row.totalSectors > 0;
}

bool IsArchiveFileRow(const CatalogEntry& row) {
  return (row.kind == kKindDisFix || row.kind == kKindIntFix) && row.recordLength == 128 && row.totalSectors >= 2 &&
         !row.archiveMember && row.containerKind == 0;
}

bool ReadArchiveMembers(const std::string& path, const CatalogEntry& archiveRow, const std::string& sourceName,
                        FileList& rows) {
  PcFile file;
  if (!file.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return false;
  }
  uint8_t header[kPcHeaderSize];
  const bool headerRead = file.ReadExact(0, header, sizeof header);
  ArchiveDirectory dir;
  bool read = false;
  if (headerRead && archiveRow.recordLength == 128) {
    ArchiveFileInput input(file);
    if (archiveRow.kind == kKindIntFix) {
      LzwDecoder decoder(input);
      ReadCompressedDirectory(decoder, dir);  // a wrong first byte: simply no members
      read = true;
    } else if (archiveRow.kind == kKindDisFix) {
      read = ReadPlainDirectory(input, dir);
    }
  }
  if (!read) {
    ReportError(kErrNotArchive, path);
    return false;
  }
  for (size_t i = 0; i < dir.entries.size(); ++i)
    rows.push_back(ArchiveMemberRow(dir.entries[i], static_cast<uint16_t>(i), dir.compressed, sourceName));
  return true;
}

bool OpenArchiveInPane(PaneState& pane, const CatalogEntry& row, bool withUp) {
  if (row.archiveMember) {
    ReportError(kErrArkedArchive, TrimTiName(row.tiName));
    return false;
  }
  std::string path;
  const bool insideImage = row.fdrSector != 0;
  if (insideImage) {
    // The scratch file never keeps an earlier archive's bytes: a failed
    // export must not let the pane list the previous one.
    path = ScratchArchiveFile();
    RemoveIfPresent(path);
    SetLastErrorCode(0);
    if (!ExportTiFile(pane, row, path, false)) {
      RemoveIfPresent(path);
      return false;
    }
  } else {
    path = RowPcPath(pane, row);
  }

  pane.container = row;
  pane.topRow = 0;
  pane.PushLevel();
  if (insideImage) {
    pane.outerPath = pane.locationPath;
    pane.containerInContainer = true;
  }
  pane.locationPath = path;
  // An archive is one level below the directory it came from, also when it
  // was taken from a floppy sub-directory: leaving it goes back out.
  pane.containerLevel = 1;
  pane.rows.clear();
  pane.locationType = kLocArchive;

  PcFile probe;
  if (!probe.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return true;
  }
  probe.Close();
  if (withUp) {
    CatalogEntry up;
    MakeDirectoryRow("..", up);
    pane.rows.push_back(up);
  }
  ReadArchiveMembers(path, row, row.sourceName, pane.rows);
  return true;
}

}  // namespace korvane
