#include "viewers/text_search.h"

#include <cctype>

namespace korvane {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool SameIgnoringCase(const std::string& text, size_t at, const std::string& what) {
  if (at > text.size() || text.size() - at < what.size()) return false;
  for (size_t i = 0; i < what.size(); ++i)
    if (Lower(text[at + i]) != Lower(what[i])) return false;
  return true;
}

bool MatchesAt(const std::string& text, size_t at, const std::string& what, const SearchOptions& o) {
  if (text.size() - at < what.size()) return false;
  if (o.matchCase ? text.compare(at, what.size(), what) != 0 : !SameIgnoringCase(text, at, what)) return false;
  if (!o.wholeWord) return true;
  const size_t after = at + what.size();
  const bool before = at == 0 || IsWordDelimiter(text[at - 1]);
  return before && (after == text.size() || IsWordDelimiter(text[after]));
}

}  // namespace

bool IsWordDelimiter(char c) {
  // The control ends lines with a single line feed where a PC text has CR LF;
  // both count as a line end.
  return c == '\t' || c == '\r' || c == '\n' || c == ' ' || c == ',' || c == '.';
}

std::optional<size_t> FindInText(const std::string& text, TextSelection selection, const std::string& what,
                                 const SearchOptions& o) {
  if (what.empty() || text.empty()) return std::nullopt;
  const size_t selStart = std::min(selection.start, text.size());
  const size_t selEnd = std::min(std::max(selection.end, selStart), text.size());
  long long pos = static_cast<long long>(selStart);
  if (selEnd - selStart == what.size() && SameIgnoringCase(text, selStart, what)) pos += o.forward ? 1 : -1;
  const char first = Lower(what[0]);
  const long long size = static_cast<long long>(text.size());
  // With the caret at the end of the text a backward search begins at the
  // last character.
  if (!o.forward && pos >= size) pos = size - 1;
  for (; pos >= 0 && pos < size; pos += o.forward ? 1 : -1) {
    const size_t at = static_cast<size_t>(pos);
    if (Lower(text[at]) == first && MatchesAt(text, at, what, o)) return at;
  }
  return std::nullopt;
}

size_t ReplaceAllInText(std::string& text, const std::string& what, const std::string& with, bool matchCase,
                        bool wholeWord) {
  const SearchOptions o{true, matchCase, wholeWord};
  size_t count = 0;
  size_t caret = 0;
  // Each search starts at the caret, which stands after the last
  // replacement; it only moves forward, so the loop ends.
  while (auto at = FindInText(text, {caret, caret}, what, o)) {
    text.replace(*at, what.size(), with);
    caret = *at + with.size();
    ++count;
  }
  return count;
}

}  // namespace korvane
