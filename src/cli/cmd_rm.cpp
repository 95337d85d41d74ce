// korvane-cli rm LOCATION NAME...: delete rows of a PC directory or TI files
// of a disk image. The command itself is the confirmation.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"

namespace korvane::cli {
namespace {

int RunRm(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli rm LOCATION NAME...\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  if (!MarkNamedRows(pane, std::vector<std::string>(args.begin() + 1, args.end()))) return 1;
  if (!CheckDelete(pane)) return 1;
  DeleteRows(pane, NoProgress());
  return counter.errors > 0 ? 1 : 0;
}

const Registration kRm{{"rm", "rm LOCATION NAME...", "delete files (and empty directories) from a location", RunRm}};

}  // namespace
}  // namespace korvane::cli
