#include "viewers/text_lines.h"

namespace korvane {

std::vector<TextLine> SplitTextLines(std::string_view text) {
  std::vector<TextLine> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    LineEnd end = LineEnd::None;
    size_t next = i + 1;
    if (text[i] == '\n') {
      end = LineEnd::Lf;
    } else if (text[i] == '\r') {
      end = LineEnd::Cr;
      if (i + 1 < text.size() && text[i + 1] == '\n') end = LineEnd::CrLf, next = i + 2;
    } else {
      continue;
    }
    lines.push_back({std::string(text.substr(start, i - start)), end});
    start = next;
    i = next - 1;
  }
  lines.push_back({std::string(text.substr(start)), LineEnd::None});
  return lines;
}

std::string_view LineEndBytes(LineEnd end) {
  switch (end) {
    case LineEnd::CrLf: return "\r\n";
    case LineEnd::Lf: return "\n";
    case LineEnd::Cr: return "\r";
    case LineEnd::None: break;
  }
  return "";
}

LineEnd FirstLineEnd(const std::vector<TextLine>& lines) {
  for (const TextLine& line : lines)
    if (line.end != LineEnd::None) return line.end;
  return LineEnd::CrLf;
}

std::string JoinTextLines(const std::vector<TextLine>& lines) {
  std::string text;
  for (const TextLine& line : lines) {
    text += line.text;
    text += LineEndBytes(line.end);
  }
  return text;
}

}  // namespace korvane
