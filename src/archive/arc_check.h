// Consistency check of a TI archive: the directory entries (names, types,
// an end mark where the readers look for one), the members' sectors against
// the data the archive holds, and for a compressed archive a code stream
// that decodes without a broken code and ends with its end code.
#pragma once

#include <cstdint>

#include "archive/archive_input.h"
#include "catalog/check_report.h"

namespace korvane {

// Whether the data of a DIS/FIX 128 file is a plain archive: its first
// directory entries are sound member entries up to an "END!" trailer or an
// empty entry. Plain record files (Forth blocks, text) never look like that.
bool LooksLikePlainArchive(ArchiveInput& input);

// Whether the data of an INT/FIX 128 file starts a compressed archive (80h).
bool LooksLikeCompressedArchive(ArchiveInput& input);

// Checks the archive whose data (the bytes after the 128-byte PC header) is
// `input`, `dataBytes` long.
void CheckArchive(ArchiveInput& input, bool compressed, uint64_t dataBytes, CheckReport& report);

}  // namespace korvane
