#include "fileops/pc_names.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace korvane {

bool IsSafeLeafName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool SamePcFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool RemoveIfPresent(const std::string& path) { return unlink(path.c_str()) == 0 || errno == ENOENT; }

std::string FilterField(const std::string& typed, const std::string& ignored, size_t maxLength) {
  std::string out;
  for (char c : typed) {
    if (out.size() >= maxLength) break;
    if (c == '\0' || ignored.find(c) != std::string::npos) continue;
    out += c;
  }
  return out;
}

}  // namespace korvane
