#include "platform/paths.h"

#include <cstdlib>

namespace korvane {

std::string TempDirectory() {
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      std::string dir = value;
      while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
      return dir;
    }
  }
  return "/tmp";
}

std::string ScratchTiFile() { return TempDirectory() + "/ti_tmp.$$$"; }
std::string ScratchArchiveFile() { return TempDirectory() + "/ti_arc.$$$"; }
std::string ScratchGifFile() { return TempDirectory() + "/ti_pic.gif"; }

}  // namespace korvane
