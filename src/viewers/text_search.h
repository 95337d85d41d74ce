// Searching and replacing in the text of a viewer window. The text is the
// control's text as bytes (one byte per character, lines ended by a line
// break); positions are character offsets into it.
//
// A search walks one character at a time from its start position, and only
// where the character equals the first searched character (case ignored)
// compares the whole searched text. When the current selection already is
// the searched text, the walk starts one character past (or before) it, so
// that searching again moves on to the next occurrence.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace korvane {

struct SearchOptions {
  bool forward = true;
  bool matchCase = false;
  bool wholeWord = false;
};

struct TextSelection {
  size_t start = 0;
  size_t end = 0;
};

// Whether `c` may stand beside a whole word: tab, line ends, space, comma
// and full stop.
bool IsWordDelimiter(char c);

// The start of the next match of `what` from the selection `selection` of
// `text`, or nothing. An empty `what` never matches.
std::optional<size_t> FindInText(const std::string& text, TextSelection selection, const std::string& what,
                                 const SearchOptions& options);

// Replaces every match of `what` with `with`, searching forward from the
// start and on after each replacement (so a replacement that contains the
// searched text is never searched again). Returns the number replaced.
size_t ReplaceAllInText(std::string& text, const std::string& what, const std::string& with, bool matchCase,
                        bool wholeWord);

}  // namespace korvane
