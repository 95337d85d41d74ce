// The token table of TI BASIC and TI Extended BASIC and the detokenizer that
// turns one stored program line back into text.
//
// A token line is a run of bytes ended by 0x00:
//   01-7f  a character, copied as it stands (names, digits, punctuation)
//   c7     quoted string: a count n, then n characters
//   c8     unquoted string (numbers, subprogram names): a count n, then n characters
//   c9     line-number reference: a big-endian word
//   other 80-ff  a token of the table
#pragma once

#include <cstdint>
#include <string>

#include "platform/byte_view.h"

namespace korvane {

// Spacing flags of a token (a bit mask).
namespace spacing {
inline constexpr uint8_t kTight = 1;         // no blank before it after a literal
inline constexpr uint8_t kBlankAfter = 4;    // the next item gets a blank before it
inline constexpr uint8_t kAfterKeyword = 8;  // a blank before it when the previous token had kBlankAfter
}  // namespace spacing

struct BasicToken {
  const char* text;  // "" for values without a text
  uint8_t flags;
};

inline constexpr uint8_t kTokenColon = 0xB5;
inline constexpr uint8_t kTokenQuoted = 0xC7;
inline constexpr uint8_t kTokenUnquoted = 0xC8;
inline constexpr uint8_t kTokenLineNumber = 0xC9;

// The entry of a byte value 0x80-0xff.
const BasicToken& TokenOf(uint8_t value);

// Appends the text of one line to `out` (which already holds the line number
// and a blank) and ends it with CR LF. Bytes are taken until a zero byte or
// until `length` bytes are used, and never beyond `tokens`: a string or
// line-number token whose bytes run past the line is cut where the line ends.
void DetokenizeLine(ByteView tokens, size_t length, std::string& out);

// "%d " of the line number, the detokenized line and CR LF.
void AppendListingLine(uint16_t lineNumber, ByteView tokens, size_t length, std::string& out);

}  // namespace korvane
