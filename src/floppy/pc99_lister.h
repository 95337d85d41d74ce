// Lists the files of a PC99 track image into a pane.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/pane.h"

namespace korvane {

// Empties the pane's rows and lists the root of the PC99 image `imagePath`
// of kind 10 or 11: sets LocationType 3 and container level 1. Errors are
// reported where they happen (1, 6, 8, 9) and the rows read so far stay.
// Floppy sub-directories are not listed. Returns false after an error.
bool ListPc99Image(PaneState& pane, const std::string& imagePath, uint16_t kind, bool addUprdir);

}  // namespace korvane
