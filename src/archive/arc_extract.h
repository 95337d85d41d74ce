// Taking one member out of a TI archive as a PC file with a 128-byte header.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "platform/progress.h"

namespace korvane {

// Writes archive member `member` (a row of an archive pane) of the archive
// file `archivePath` to `destPath`: a V9T9 header (TIFILES when the
// `extracttifiles` setting asks for it) with every status bit of the
// member's directory entry, then the member's data sectors. The
// file gets its final size (128 + total sectors * 256) before any data is
// written. A damaged or truncated archive is reported ("Can't read sector"
// for a plain archive, "Can't read from file" for a compressed one) and the
// file keeps what could be decoded. False after any reported error.
bool ExtractArchiveMember(const std::string& archivePath, const CatalogEntry& member, const std::string& destPath,
                          Progress& progress = NoProgress());

// The same with the header kind chosen by the caller: TIFILES when
// `tifiles`, else V9T9 (export names it on its command line).
bool ExtractArchiveMemberAs(const std::string& archivePath, const CatalogEntry& member, const std::string& destPath,
                            bool tifiles, Progress& progress = NoProgress());

// The same for a member row of `archivePane` (whose location path is the
// archive file).
bool ExtractArchiveMember(const PaneState& archivePane, const CatalogEntry& member, const std::string& destPath,
                          Progress& progress = NoProgress());

}  // namespace korvane
