// The program's version as the caption and the About box show it: major and
// minor version, a revision letter and the build number.
#pragma once

#include <fmt/printf.h>

#include <string>

namespace korvane::ui {

inline constexpr int kVersionMajor = KORVANE_VERSION_MAJOR;
inline constexpr int kVersionMinor = KORVANE_VERSION_MINOR;
inline constexpr char kRevisionLetter = static_cast<char>(KORVANE_REVISION_LETTER);
inline constexpr long kBuildNumber = KORVANE_BUILD_NUMBER;

// "Korvane 0.1a 000042"
inline std::string MainCaption() {
  return fmt::sprintf("%s %d.%d%c %06ld", "Korvane", kVersionMajor, kVersionMinor, kRevisionLetter, kBuildNumber);
}

// "Version 0.1a 42"
inline std::string VersionLine() {
  return fmt::sprintf("Version %d.%d%c %ld", kVersionMajor, kVersionMinor, kRevisionLetter, kBuildNumber);
}

}  // namespace korvane::ui
