// korvane-cli mkdsk DIR LABEL [--geometry ...]: a new, empty disk image
// "LABEL.dsk" in DIR.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"

namespace korvane::cli {
namespace {

int Usage() {
  std::fprintf(stderr, "usage: korvane-cli mkdsk DIR LABEL [--geometry sssd|dssd|dsdd|cf7|dssd80|dsdd80]\n");
  return 2;
}

int RunMkdsk(const std::vector<std::string>& args, const CommonOptions& options) {
  const ImageChoice* choice = &ImageChoices()[kDefaultImageChoice];
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!options.IsOption(i, args[i])) {
      positional.push_back(args[i]);
      continue;
    }
    if (args[i] != "--geometry" || !options.HasValue(i, args.size())) return Usage();
    ++i;
    choice = nullptr;
    for (const ImageChoice& c : ImageChoices())
      if (args[i] == c.cliName) choice = &c;
    if (!choice) return Usage();
  }
  if (positional.size() != 2) return Usage();
  const std::string& label = positional[1];
  if (FilterVolumeLabel(label) != label) {
    std::fprintf(stderr, "ERROR: <%s> is not a volume label (at most 10 characters, no blank, \".\" or \"/\")\n",
                 label.c_str());
    return 1;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(positional[0], pane)) return 1;
  if (pane.locationType != kLocPcDirectory) {
    std::fprintf(stderr, "ERROR: <%s> is not a directory\n", positional[0].c_str());
    return 1;
  }
  const bool ok = CreateImage(pane, label, choice->geometry, NoProgress());
  return ok && counter.errors == 0 ? 0 : 1;
}

const Registration kMkdsk{{"mkdsk", "mkdsk DIR LABEL [--geometry sssd|dssd|dsdd|cf7|dssd80|dsdd80]",
                           "create an empty disk image LABEL.dsk in DIR (default dssd)", RunMkdsk}};

}  // namespace
}  // namespace korvane::cli
