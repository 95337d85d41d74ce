// Builds saved BASIC programs from token bytes, laid out the way TI BASIC
// and Extended BASIC store them: the memory image of a PROGRAM file, the
// long INT/VAR 254 form, and the DIS/VAR 163 merge form.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// One program line: its number and its token bytes (the closing 0 is added
// by the builders).
struct BasicLine {
  uint16_t number;
  Bytes tokens;
};

// Token bytes from pieces: each piece is a token byte or a run of literal
// characters; Quoted("HI") and Unquoted("1") give C7/C8 strings, LineRef(100)
// a C9 reference.
Bytes Tok(std::initializer_list<Bytes> pieces);
Bytes Chars(const std::string& text);
Bytes Quoted(const std::string& text);
Bytes Unquoted(const std::string& text);
Bytes LineRef(uint16_t number);

struct ProgramLayout {
  uint16_t tableStart = 0x37C0;
  bool complementCheck = false;  // check word 65536 - X instead of X
};

// The memory image after the 8-byte header; lines in listing order (the
// table holds them highest number first, as TI BASIC keeps it).
Bytes ProgramImageBody(const std::vector<BasicLine>& lines, uint16_t tableStart, uint16_t& tableEnd,
                       uint16_t& top);
// Header and image: the data of a PROGRAM file.
Bytes ProgramImageData(const std::vector<BasicLine>& lines, const ProgramLayout& layout = {});
// INT/VAR 254 file of the long form.
TiFile LongProgramFile(const std::string& name, const std::vector<BasicLine>& lines,
                       const ProgramLayout& layout = {});
// DIS/VAR 163 merge file, ended by the 0xFFFF line.
TiFile MergeFile(const std::string& name, const std::vector<BasicLine>& lines);

}  // namespace korvane::test
