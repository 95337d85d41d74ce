#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace korvane {
namespace {

// Where a scratch path points when no private folder can be had: below a
// device, so that opening it fails and nothing lands in a shared place.
constexpr char kNoScratchDirectory[] = "/dev/null/korvane-scratch";

std::mutex g_scratchLock;
std::string g_scratchDirectory;  // empty until made
pid_t g_scratchOwner = 0;        // the process that made it

// Runs at exit. A child started with fork that exits through exit() runs it
// too; only the process that made the folder removes it.
void RemoveScratchDirectory() {
  // A thread still busy with a scratch file must not hold up the exit.
  std::unique_lock<std::mutex> lock(g_scratchLock, std::try_to_lock);
  if (g_scratchDirectory.empty() || getpid() != g_scratchOwner) return;
  std::error_code ignored;
  std::filesystem::remove_all(g_scratchDirectory, ignored);  // does not follow links inside it
  g_scratchDirectory.clear();
}

// Still a directory of ours that nobody else may enter. A long-running
// program can lose its folder to a cleaner of the temporary directory; then
// a new one is made rather than writing to a name someone else could take.
bool StillPrivate(const std::string& directory) {
  struct stat st {};
  return lstat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
         (st.st_mode & 077) == 0;
}

}  // namespace

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

std::string ScratchDirectory() {
  const std::lock_guard<std::mutex> lock(g_scratchLock);
  if (!g_scratchDirectory.empty() && g_scratchOwner == getpid() && StillPrivate(g_scratchDirectory))
    return g_scratchDirectory;
  std::string pattern = TempDirectory() + "/korvane-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return kNoScratchDirectory;  // tried again next time
  static const bool removeAtExit = std::atexit(RemoveScratchDirectory) == 0;
  (void)removeAtExit;
  g_scratchDirectory = pattern;
  g_scratchOwner = getpid();
  return g_scratchDirectory;
}

std::string ScratchTiFile() { return ScratchDirectory() + "/ti_tmp.$$$"; }
std::string ScratchArchiveFile() { return ScratchDirectory() + "/ti_arc.$$$"; }
std::string ScratchGifFile() { return ScratchDirectory() + "/ti_pic.gif"; }

}  // namespace korvane
