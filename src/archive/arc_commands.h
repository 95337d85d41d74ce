// The two whole-archive commands: extract all (archives and disk images into
// new PC directories) and convert archives into new V9T9 disk images. The
// destination is the PC directory the other pane shows.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "platform/progress.h"

namespace korvane {

// Rows that extract all takes: V9T9, PC99/SD and PC99/DD images and archive
// file rows.
bool IsExtractableRow(const CatalogEntry& row);

// The name of the directory or image made from a row: its PC-safe TI name;
// for an empty TI name or "no_name!! " the PC name up to its first dot, in
// upper case, at most 10 characters. Empty when no safe name can be made.
std::string ContainerOutputName(const CatalogEntry& row);

// "Can only extract files to a directory" unless `destination` shows one.
bool CheckExtractAll(const PaneState& destination);
// "Extract ARC or DSK files of <%s> to" / "Extract %u ARC or DSK files to".
std::string ExtractAllText(const PaneState& source);

// Extracts the marked rows (or the cursor row) into new directories of the
// destination, "NAME", else "NAME(1)", "NAME(2)", ...: every TI file of an
// archive or image becomes a PC file with a header. `files` follows the files
// of one row, `rows` the rows; a Cancel takes effect between files. A
// directory that cannot be created stops the run. The destination pane is
// re-read. Returns the number of rows extracted.
int ExtractAll(PaneState& source, PaneState& destination, Progress& files, Progress& rows);

// "Can only convert ARC files to a directory" unless `destination` shows one.
bool CheckArcToDsk(const PaneState& destination);
// "Convert ARC file <%s> to" / "Convert %u ARC files to".
std::string ArcToDskText(const PaneState& source);

// The sectors an image must have to hold `members`. Data sectors are only
// allocated from sector 34 on; sectors 2-33 hold up to 32 FDRs, and every
// further FDR takes a sector of the data area. So: 34 + the members' data
// sectors + the FDRs beyond the 32nd.
unsigned ArchiveSectorsNeeded(const FileList& members);

// The image size for that many sectors: up to 720 a DSSD image, up to 1440
// a DSDD image; 0 above that.
unsigned ArchiveImageSectors(unsigned sectorsNeeded);

// Turns the marked archive file rows (or the cursor row) into new images
// "NAME.dsk", else "NAME(1).dsk", ... in the destination, and copies every
// member into them. An archive needing more than 1440 sectors is passed over.
// A member that cannot be copied is reported and the others still go in;
// only Cancel (or a Cancel answer to a question) ends the run.
// The destination pane is re-read. Returns the number of images made.
int ConvertArcsToDsk(PaneState& source, PaneState& destination, Progress& files, Progress& rows);

}  // namespace korvane
