// The PC file a viewer reads for a row: a TI file kept on the PC is read in
// place; a file inside a disk image is first exported, and an archive member
// first extracted, into the scratch file "ti_tmp.$$$". Either way the file
// starts with a 128-byte header and the data follows at offset 128.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "platform/pc_file.h"

namespace korvane {

// Finds the file to read for `row` (TiFileAsPcFile), then opens it for
// reading; reports "Can't open file for read" and returns false when it
// cannot.
bool OpenViewSource(const PaneState& pane, const CatalogEntry& row, PcFile& file);

}  // namespace korvane
