// korvane-cli rename LOCATION NAME NEWNAME.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"

namespace korvane::cli {
namespace {

int RunRename(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: korvane-cli rename LOCATION NAME NEWNAME\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  if (!CheckRename(pane)) return 1;
  if (!PutCursorOn(pane, args[1], args[0])) return 1;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(pane.cursor)];
  // The dialog's field cannot take these characters; say so rather than
  // rename to something else than asked.
  if (FilterRenameInput(row, args[2]) != args[2]) {
    std::fprintf(stderr, "ERROR: <%s> is not a name this row can take\n", args[2].c_str());
    return 1;
  }
  const bool ok = RenameRow(pane, args[2]);
  return ok && counter.errors == 0 ? 0 : 1;
}

const Registration kRename{{"rename", "rename LOCATION NAME NEWNAME", "rename a file or directory", RunRename}};

}  // namespace
}  // namespace korvane::cli
