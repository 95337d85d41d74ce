// Plain helpers on PC path texts, shared by every folder that names PC
// files: no file is touched.
#pragma once

#include <string>

namespace korvane {

// The directory part of a path and its last component.
std::string ParentPath(const std::string& path);
std::string LastComponent(const std::string& path);
// "%s\%s" with the platform separator.
std::string JoinPath(const std::string& directory, const std::string& name);

// Case-insensitive wildcard match ("*" any run, "?" one character).
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace korvane
