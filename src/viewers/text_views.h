// The text views of a TI file's data: hexadecimal dump, record by record
// text (fixed and variable records), and Forth blocks. All text ends its
// lines with CR LF; "printable" means the bytes 20h-7Eh, every other byte is
// shown as ".".
//
// Hex line, one per 16 bytes (75 characters when full):
//   "%08X" address, " %02X" per byte, one blank per missing byte of a short
//   line, then a blank, the bytes as characters and CR LF.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/entry.h"
#include "platform/byte_view.h"
#include "viewers/ti_data.h"

namespace korvane {

// Appends the hex lines of `bytes`; the first line's address is `address`.
void AppendHexLines(ByteView bytes, uint32_t address, std::string& out);

// Hex dump of `sectors` data sectors, addresses from 0.
void BuildHexDump(TiData& data, uint32_t sectors, std::string& out);

// Record text view of a DIS/FIX, INT/FIX, DIS/VAR or INT/VAR row: fixed
// records read the total sectors and stop after the level-3 count of
// records; variable records read the level-3 count of sectors.
void BuildRecordView(TiData& data, const CatalogEntry& row, std::string& out);

// Whether a DIS/FIX 128 file of more than 40 sectors holds Forth blocks:
// one of its first three 1024-byte blocks is all printable and holds ": "
// followed, at least 3 characters later, by " ;"; a block with a byte that
// is not printable before that decides against Forth.
bool LooksLikeForth(TiData& data, const CatalogEntry& row);

// Forth-block view of `sectors` sectors: 1024-byte screens under a
// "Block %03u" heading, 16 lines of 64 characters each.
void BuildForthView(TiData& data, uint32_t sectors, std::string& out);

}  // namespace korvane
