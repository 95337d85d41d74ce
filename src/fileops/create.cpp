// Create directory and create a new disk image.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "catalog/errors.h"
#include "fileops/container_kinds.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"

namespace korvane {
namespace {

constexpr char kIgnoredInDirectoryName[] = " \"*./:<>?\\|";
// The label field ignores space and "."; "/" would make the image's name a
// path into another directory.
constexpr char kIgnoredInLabel[] = " ./";
constexpr size_t kNameField = 10;

}  // namespace

bool CheckCreateDirectory(const PaneState& pane) {
  if (!ContainerOfLocation(pane.locationType).refusesDirectories) return true;
  ReportError(kErrNoCreateDirHere);
  return false;
}

std::string FilterDirectoryName(const std::string& typed) {
  return FilterField(typed, kIgnoredInDirectoryName, kNameField);
}

bool CreateDirectoryInPane(PaneState& pane, const std::string& typed) {
  const std::string name = FilterDirectoryName(typed);
  if (name.empty()) {
    CurrentReporter().ShowMessage("Korvane", "Please enter a name for the directory");
    return false;
  }
  const std::string path = JoinPath(PaneDirectory(pane), name);
  const bool ok = mkdir(path.c_str(), 0777) == 0;
  if (!ok) ReportError(kErrCreateDir, path, errno);
  Refresh(pane);
  return ok;
}

const std::vector<ImageChoice>& ImageChoices() {
  static const std::vector<ImageChoice> choices = {
      {"SSSD: 40 tracks 9 sectors/track 360 sectors", "sssd", {360, 9, 40, 1, 1}},
      {"DSSD: 40 tracks 9 sectors/track 720 sectors", "dssd", {720, 9, 40, 2, 1}},
      {"DSDD: 40 tracks 18 sectors/track 1440 sectors", "dsdd", {1440, 18, 40, 2, 2}},
      {"CF7A+: 40 tracks 20 sectors/track 1600 sectors", "cf7", {1600, 20, 40, 2, 1}},
      {"DSSD: 80 tracks 9 sectors/track 1440 sectors", "dssd80", {1440, 9, 80, 2, 1}},
      {"DSDD: 80 tracks 18 sectors/track 2880 sectors", "dsdd80", {2880, 18, 80, 2, 2}},
  };
  return choices;
}

std::string FilterVolumeLabel(const std::string& typed) { return FilterField(typed, kIgnoredInLabel, kNameField); }

bool CreateImage(PaneState& pane, const std::string& typed, const NewImageGeometry& geometry, Progress& progress) {
  const std::string label = FilterVolumeLabel(typed);
  if (label.empty()) {
    CurrentReporter().ShowMessage("Korvane", "Please enter a volumelabel");
    return false;
  }
  const std::string path = JoinPath(PaneDirectory(pane), label + ".dsk");
  if (PathExists(path)) {
    const Answer answer = AskQuestion(kErrDskExists, path);
    SetLastErrorCode(0);
    if (answer != Answer::Yes && answer != Answer::All) return false;
    if (unlink(path.c_str()) != 0) {
      ReportSystemError(errno, kErrDelete, path, errno);
      return false;
    }
  }
  const bool ok = WriteNewImage(path, label, geometry, progress);
  if (pane.locationType == kLocPcDirectory) Refresh(pane);
  return ok;
}

}  // namespace korvane
