// korvane-cli pc99-layout LOCATION NAME: the track and sector layout of the
// PC99 image NAME in LOCATION.
#include <cstdio>

#include "catalog/entry.h"
#include "fileops/locations.h"
#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "floppy/pc99_layout.h"

namespace korvane::cli {
namespace {

int RunPc99Layout(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: korvane-cli pc99-layout LOCATION NAME\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  const int index = FindRowOrReport(pane, args[1], args[0]);
  if (index < 0) return 1;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
  if (row.kind != kKindPc99Sd && row.kind != kKindPc99Dd) {
    std::fprintf(stderr, "ERROR: <%s> is no PC99 image\n", args[1].c_str());
    return 1;
  }
  std::string text;
  if (!Pc99LayoutText(row, PaneDirectory(pane), text)) return 1;
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  std::fputs(out.c_str(), stdout);
  std::fputs("\n", stdout);
  return counter.errors > 0 ? 1 : 0;
}

const Registration kPc99Layout{{"pc99-layout", "pc99-layout LOCATION NAME",
                                "print the track and sector layout of the PC99 image NAME in LOCATION", RunPc99Layout}};

}  // namespace
}  // namespace korvane::cli
