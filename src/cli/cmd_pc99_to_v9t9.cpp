// korvane-cli pc99-to-v9t9 SRCDIR DESTDIR [NAME...]: convert the PC99 track
// images of SRCDIR (all of them when no NAME is given) into V9T9 sector
// images of the same name in DESTDIR.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "floppy/pc99_convert.h"

namespace korvane::cli {
namespace {

int RunPc99ToV9t9(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli pc99-to-v9t9 SRCDIR DESTDIR [NAME...]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState source, dest;
  if (!OpenLocation(args[0], source) || !OpenLocation(args[1], dest)) return 1;
  if (!CheckPc99Conversion(source, dest)) return 1;
  if (!MarkNamedRows(source, std::vector<std::string>(args.begin() + 2, args.end()))) return 1;
  bool any = false;
  for (const CatalogEntry& r : source.rows) any = any || (r.marked && (r.kind == kKindPc99Sd || r.kind == kKindPc99Dd));
  if (!any) {
    std::fprintf(stderr, "ERROR: no PC99 image to convert in <%s>\n", args[0].c_str());
    return 1;
  }
  RunPc99Conversion(source, dest, NoProgress());
  return counter.errors > 0 ? 1 : 0;
}

const Registration kPc99ToV9t9{{"pc99-to-v9t9", "pc99-to-v9t9 SRCDIR DESTDIR [NAME...]",
                                "convert PC99 track images (all when no NAME is given) into V9T9 images of the same "
                                "name in DESTDIR",
                                RunPc99ToV9t9}};

}  // namespace
}  // namespace korvane::cli
