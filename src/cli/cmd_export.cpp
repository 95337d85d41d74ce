// korvane-cli export LOCATION NAME PCFILE [--tifiles]: a TI file of any
// location `dir` lists (a disk image, an archive, a PC directory) written out
// as a PC file with a V9T9 (or TIFILES) header.
#include <cstdio>

#include "catalog/entry.h"
#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/export.h"

namespace korvane::cli {
namespace {

int RunExport(const std::vector<std::string>& args, const CommonOptions& options) {
  bool tifiles = false;
  bool unknownOption = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!options.IsOption(i, args[i])) positional.push_back(args[i]);
    else if (args[i] == "--tifiles") tifiles = true;
    else unknownOption = true;
  }
  if (positional.size() != 3 || unknownOption) {
    std::fprintf(stderr, "usage: korvane-cli export LOCATION NAME PCFILE [--tifiles]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(positional[0], pane)) return 1;
  if (!PutCursorOn(pane, positional[1], positional[0])) return 1;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(pane.cursor)];
  if (!IsTiFileKind(row.kind)) {
    std::fprintf(stderr, "ERROR: <%s> is not a TI file\n", positional[1].c_str());
    return 1;
  }
  const bool ok = ExportTiFile(pane, row, positional[2], tifiles);
  return ok && counter.errors == 0 ? 0 : 1;
}

const Registration kExport{{"export", "export LOCATION NAME PCFILE [--tifiles]",
                            "write a TI file of a location to PCFILE with a V9T9 (--tifiles: TIFILES) header",
                            RunExport}};

}  // namespace
}  // namespace korvane::cli
