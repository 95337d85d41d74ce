// Rewriting the 128-byte header of TI files kept in a PC directory, in place:
// TIFILES (and Classic99) headers become V9T9 headers, V9T9 headers become
// TIFILES headers. The data sectors after the header are left alone, except
// that a Classic99 file, whose data need not end on a sector boundary, is
// padded with zero bytes to whole sectors when it becomes a V9T9 file.
//
// V9T9 header written:            TIFILES header written:
//   00-09  TI name                  00-07  07h "TIFILES"
//   0a-0b  0                        08-09  total sectors (big-endian)
//   0c     status flags             0a     status flags
//   0d     records per sector       0b     records per sector
//   0e-0f  total sectors (BE)       0c     EOF offset
//   10     EOF offset               0d     record length, 0 for PROGRAM
//   11     record length, 0 PROGRAM 0e-0f  level-3 count, low byte first
//   12-13  level-3, low byte first  10-7f  CA 53 repeated (no name stored)
//   14-7f  0
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "catalog/pane.h"
#include "platform/progress.h"

namespace korvane {

enum class HeaderDirection { ToV9t9, ToTifiles };

using PcHeaderBytes = std::array<uint8_t, 128>;

// TI file rows (kinds 1-5) with a TIFILES or Classic99 header can become
// V9T9; rows with a V9T9 header can become TIFILES.
bool IsHeaderConvertible(const CatalogEntry& row, HeaderDirection direction);

// The headers built from a row's attributes (a PROGRAM row's record length
// attribute holds its size: the header gets 0).
PcHeaderBytes MakeV9t9Header(const CatalogEntry& row);
PcHeaderBytes MakeTifilesHeader(const CatalogEntry& row);

// "Convert to V9T9 format" or "Convert to TIFILES format".
const char* HeaderConversionCaption(HeaderDirection direction);

// Error 54 unless the pane shows a PC directory; true when it does.
bool CheckHeaderConversionPane(const PaneState& pane);

// The dialog's question for the marked rows, or the cursor row when none is
// marked: "Do you really wish to convert <NAME>", "Do you really wish to
// convert N files?" with up to four names, or the "Sorry ..." text.
std::string HeaderConversionText(const PaneState& pane, HeaderDirection direction);

// Whether the question offers anything to convert.
bool HasHeaderConvertibleRows(const PaneState& pane, HeaderDirection direction);

// Converts one row of a PC-directory pane when it is eligible (other rows
// are left alone) and unmarks it. Returns true when the row's file got its
// new header; failures are reported (errors 1 and 7) and leave the row as it
// was.
bool ConvertRowHeader(const PaneState& pane, CatalogEntry& row, HeaderDirection direction);

// The whole run: every marked row in pane order, or the cursor row. Shows
// "Converting <NAME>" through `progress` and steps it per row. Returns the
// number of files converted.
int ConvertHeaders(PaneState& pane, HeaderDirection direction, Progress& progress);

}  // namespace korvane
