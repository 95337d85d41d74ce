// The lines of a viewer's text with the line end each one had. A text
// control keeps lines but not how they ended: PC files come with CR LF, LF
// only or CR only (and sometimes a mix), and saving must give back what the
// file held, not CR LF everywhere.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

enum class LineEnd : int { None = 0, CrLf = 1, Lf = 2, Cr = 3 };

struct TextLine {
  std::string text;             // without its line end
  LineEnd end = LineEnd::None;  // None only for the last line
};

// Splits at CR LF, then lone LF, then lone CR. A text that ends with a line
// end gives an empty last line; an empty text gives one empty line.
std::vector<TextLine> SplitTextLines(std::string_view text);

// The bytes of a line end ("" for None).
std::string_view LineEndBytes(LineEnd end);

// The line end new lines get: the first one the text has, CR LF when it has
// none.
LineEnd FirstLineEnd(const std::vector<TextLine>& lines);

// The text again: each line followed by its line end.
std::string JoinTextLines(const std::vector<TextLine>& lines);

}  // namespace korvane
