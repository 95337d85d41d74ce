// korvane-cli mkdir DIR NAME.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"

namespace korvane::cli {
namespace {

int RunMkdir(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: korvane-cli mkdir DIR NAME\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  if (!CheckCreateDirectory(pane)) return 1;
  if (FilterDirectoryName(args[1]) != args[1]) {
    std::fprintf(stderr, "ERROR: <%s> is not a directory name Korvane creates (at most 10 characters, no blank, "
                 "no . \" * / : < > ? \\ |)\n", args[1].c_str());
    return 1;
  }
  const bool ok = CreateDirectoryInPane(pane, args[1]);
  return ok && counter.errors == 0 ? 0 : 1;
}

const Registration kMkdir{{"mkdir", "mkdir DIR NAME", "create a directory", RunMkdir}};

}  // namespace
}  // namespace korvane::cli
