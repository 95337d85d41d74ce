// korvane-cli extract-all SRC DESTDIR [NAME...]: extract the archives and disk
// images of SRC (all of them when no NAME is given) into new directories of
// DESTDIR.
#include <cstdio>

#include "archive/arc_commands.h"
#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"

namespace korvane::cli {
namespace {

int RunExtractAll(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli extract-all SRC DESTDIR [NAME...]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState source, dest;
  if (!OpenLocation(args[0], source) || !OpenLocation(args[1], dest)) return 1;
  if (!CheckExtractAll(dest)) return 1;
  if (!MarkNamedRows(source, std::vector<std::string>(args.begin() + 2, args.end()))) return 1;
  bool any = false;
  for (const CatalogEntry& r : source.rows) any = any || (r.marked && (IsExtractableRow(r)));
  if (!any) {
    std::fprintf(stderr, "ERROR: no archive or disk image to extract in <%s>\n", args[0].c_str());
    return 1;
  }
  ExtractAll(source, dest, NoProgress(), NoProgress());
  return counter.errors > 0 ? 1 : 0;
}

const Registration kExtractAll{{"extract-all", "extract-all SRC DESTDIR [NAME...]",
                                "extract every file of the archives and disk images of SRC (all when no NAME is "
                                "given) into new directories of DESTDIR",
                                RunExtractAll}};

}  // namespace
}  // namespace korvane::cli
