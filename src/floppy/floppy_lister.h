// Lists the files of a floppy image (or one of its sub-directories) into a
// pane.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/pane.h"

namespace korvane {

struct FloppyListOptions {
  uint16_t fdirSector = 1;   // 1 for the root, else a sub-directory's index
  bool addUprdir = true;     // add the ".." row
  bool prefixInner = false;  // source names "%s->%s" with the pane's inner name
};

// Empties the pane's rows and lists `imagePath`. Sets LocationType 2 and the
// container level (1 for the root, 2 for a sub-directory). Errors are
// reported where they happen (1, 6, 8, 9); the rows read so far stay.
// A PC99 image is handed to the PC99 reader. Returns false after an error.
bool ListFloppyImage(PaneState& pane, const std::string& imagePath, const FloppyListOptions& options);

}  // namespace korvane
