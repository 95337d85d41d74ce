// Text the core builds for viewers ends lines with CR LF; on a terminal and
// in pipes the command-line tool prints LF line ends.
#pragma once

#include <string>

namespace korvane::cli {

// Every CR LF pair becomes LF; lone CRs stay.
inline std::string CrLfToLf(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

}  // namespace korvane::cli
