#include "fileops/pc_paths.h"

#include <sys/stat.h>

#include "catalog/header.h"
#include "catalog/location.h"

namespace korvane {

std::string PaneDirectory(const PaneState& pane) {
  if (pane.locationPath.find_first_of("*?") != std::string::npos) return ParentPath(pane.locationPath);
  return pane.locationPath;
}

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string PcFileNameFromTiName(const std::string& tiName) {
  std::string name = SafePcName(tiName);
  if (name.find_first_not_of('.') == std::string::npos)
    for (char& c : name) c = '@';
  if (name.empty()) name = "no_name";
  return name;
}

}  // namespace korvane
