// Opening a TI archive in a pane and reading its member list.
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane {

// A row that Enter opens as an archive: DIS/FIX or INT/FIX, record length
// 128, at least one sector.
bool CanOpenAsArchive(const CatalogEntry& row);

// An archive file row as the extract and convert commands take it: DIS/FIX
// or INT/FIX 128, at least 2 sectors, not itself an archive member, and
// lying in a PC directory.
bool IsArchiveFileRow(const CatalogEntry& row);

// Reads the members of the archive file `path` (the row `archiveRow` decides
// the form: INT/FIX compressed, DIS/FIX plain) into `rows`, with source name
// `sourceName`. Reports "Can't open file for read" and "Not an archive"
// (a plain archive that begins with "GIF", a row of another kind or record
// length); a compressed stream with a wrong first byte gives no rows and no
// message. False after a reported error.
bool ReadArchiveMembers(const std::string& path, const CatalogEntry& archiveRow, const std::string& sourceName,
                        FileList& rows);

// Opens `row` as an archive in the pane (LocationType 8), with a ".." row
// first when `withUp`. A member of an archive is refused ("Can't unark arked
// archive"). An archive inside a disk image is first exported to the scratch
// file "ti_arc.$$$", which then is the pane's location; if that export fails
// the pane stays where it was. Returns false when the pane was not changed.
bool OpenArchiveInPane(PaneState& pane, const CatalogEntry& row, bool withUp);

}  // namespace korvane
