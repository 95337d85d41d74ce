// A TI file inside a container written out as a PC file: its 128-byte header
// made from the FDR, then its data sectors in file order.
//
// Header written from an FDR (V9T9 form): FDR bytes 00-1b with the status
// flags masked to 8Bh (PROGRAM, INTERNAL, protected, VARIABLE), the record
// length 0 for a PROGRAM, bytes 1c-7f zero.
// TIFILES form: 07h "TIFILES", then at 08-0f total sectors, flags, records
// per sector, EOF offset, record length and the level-3 count (low byte
// first) taken from that FDR, and bytes 10-7f filled with CA 53 ("no name").
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "catalog/pane.h"
#include "floppy/sector_source.h"
#include "platform/byte_view.h"

namespace korvane {

using PcHeader = std::array<uint8_t, 128>;

// The status bits a TI file exported from a disk keeps in its header.
inline constexpr uint8_t kExportedStatusMask = 0x8B;  // PROGRAM, INTERNAL, protected, VARIABLE

// The FDR fields of a row (name, flags, records per sector, total sectors,
// EOF offset, record length, level-3 count), for a file that has no FDR of
// its own: an archive member, or a TI file kept as a PC file.
Sector FdrOfRow(const CatalogEntry& row);

// The 128-byte header of a TI file written out from its FDR, its status
// flags masked with `statusMask`. An archive member keeps every bit its
// directory entry holds (0xFF): the archive stored them on purpose.
PcHeader MakePcHeader(ByteView fdrBytes, bool tifiles, uint8_t statusMask = kExportedStatusMask);

// Writes the TI file of `row` (a row inside a floppy image or card volume, a
// member of an archive, or a TI file kept as a PC file) to `pcPath` as a PC
// file with a header: TIFILES when `tifiles`, else V9T9.
// An existing file at `pcPath` is replaced. Errors are reported where they
// happen; on failure nothing is left at `pcPath` and the result is false.
bool ExportTiFile(const PaneState& pane, const CatalogEntry& row, const std::string& pcPath, bool tifiles);

// The path of a PC file with a header that holds the TI file of `row`: for a
// row of a PC directory the file itself; for a row inside a container the
// scratch file "ti_tmp.$$$", into which the row is exported (with the header
// kind the `extracttifiles` setting asks for). The scratch file never keeps
// bytes of an earlier file: it is removed before the export and after a
// failed one. Returns false (reported) when the file cannot be had.
bool TiFileAsPcFile(const PaneState& pane, const CatalogEntry& row, std::string& pcPath);

}  // namespace korvane
