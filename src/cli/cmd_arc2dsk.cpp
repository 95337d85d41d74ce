// korvane-cli arc2dsk SRC DESTDIR [NAME...]: turn the archives of SRC (all of
// them when no NAME is given) into new disk images in DESTDIR.
#include <cstdio>

#include "archive/arc_commands.h"
#include "archive/arc_pane.h"
#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"

namespace korvane::cli {
namespace {

int RunArcToDsk(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli arc2dsk SRC DESTDIR [NAME...]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState source, dest;
  if (!OpenLocation(args[0], source) || !OpenLocation(args[1], dest)) return 1;
  if (!CheckArcToDsk(dest)) return 1;
  if (!MarkNamedRows(source, std::vector<std::string>(args.begin() + 2, args.end()))) return 1;
  bool any = false;
  for (const CatalogEntry& r : source.rows) any = any || (r.marked && (IsArchiveFileRow(r)));
  if (!any) {
    std::fprintf(stderr, "ERROR: no archive to convert in <%s>\n", args[0].c_str());
    return 1;
  }
  ConvertArcsToDsk(source, dest, NoProgress(), NoProgress());
  return counter.errors > 0 ? 1 : 0;
}

const Registration kArcToDsk{{"arc2dsk", "arc2dsk SRC DESTDIR [NAME...]",
                              "turn the archives of SRC (all when no NAME is given) into new V9T9 disk images in "
                              "DESTDIR",
                              RunArcToDsk}};

}  // namespace
}  // namespace korvane::cli
