// Checks on PC paths made from TI names and typed names.
#pragma once

#include <string>

namespace korvane {

// Whether `name` can name a file inside a directory: not empty, not "." or
// "..", no path separator and no NUL. A TI name may hold any byte, so every
// PC name made from one is checked before it is used.
bool IsSafeLeafName(const std::string& name);

// Whether two paths name the same existing file or directory.
bool SamePcFile(const std::string& a, const std::string& b);

// Removes a file that must not stay behind; a missing file is fine.
bool RemoveIfPresent(const std::string& path);

// `typed` as a dialog field takes it: characters in `ignored` are left out
// and the text is cut at `maxLength`.
std::string FilterField(const std::string& typed, const std::string& ignored, size_t maxLength);

}  // namespace korvane
