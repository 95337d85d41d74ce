// Saved TI BASIC and Extended BASIC programs listed as text. Three storage
// forms, each recognised by the caller from the row's kind and record length:
//
// Memory-image program (PROGRAM), big-endian words:
//   00-01  check word
//   02-03  table end: address of the last byte of the line-number table
//   04-05  table start: address of its first byte
//   06-07  top: highest address the program uses
//   08-..  memory image from address table start: address A at data offset
//          8 + (A - table start)
//
// Long program (INT/VAR 254): records in 256-byte blocks, each block starting
// with its record's length byte. The first record is a header:
//   00-01  0xABCD
//   02-03  table start   (the two table words swapped against the image form)
//   04-05  table end
//   06-07  check word
//   08-09  top
// The data bytes of the following records, in file order, are the memory
// image from address table start upwards (at most 32768 bytes).
//
// Line-number table entry (both forms), 4 bytes: line number, then the
// address of the line's first token byte; the byte before that address is
// the line's length (token bytes including the closing 0).
//
// Merge file (DIS/VAR 163): one program line per variable record: the line
// number, then the token bytes ending with 0. Line number 0xFFFF ends it.
//
// Check word: with X = table start XOR table end, it equals X or 65536 - X.
#pragma once

#include <cstdint>
#include <string>

#include "viewers/ti_data.h"

namespace korvane {

enum class BasicResult {
  kListing,    // `text` holds the listing
  kNoListing,  // not a program of this form; nothing reported, show another view
  kFailed,     // reported; the view is given up
};

inline constexpr size_t kLongProgramImageSize = 32768;

bool BasicCheckWordValid(uint16_t check, uint16_t tableStart, uint16_t tableEnd);

// PROGRAM file.
BasicResult ListProgramImage(TiData& data, std::string& text);
// INT/VAR 254 file; `level3` is the row's level-3 field (sectors in use).
BasicResult ListLongProgram(TiData& data, uint16_t level3, std::string& text);
// DIS/VAR 163 file; `level3` as above.
BasicResult ListMergeFile(TiData& data, uint16_t level3, std::string& text);

}  // namespace korvane
