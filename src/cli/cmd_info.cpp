// korvane-cli info LOCATION NAME: what the information dialog (F2) shows for
// a row, one "label: value" line per field, the title first.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/location_arg.h"
#include "platform/reporter.h"
#include "viewers/information.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "info LOCATION NAME";

int RunInfo(const std::vector<std::string>& args, const CommonOptions&) {
  if (args.size() != 2 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0) {
    std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
    return 2;
  }
  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  pane.cursor = FindRowOrReport(pane, args[1], args[0]);
  if (pane.cursor < 0) return 1;
  const std::optional<Information> info = InformationForCursor(pane);
  if (!info) {
    std::fprintf(stderr, "ERROR: no information for <%s>\n", args[1].c_str());
    return 1;
  }
  std::printf("%s\n", info->title.c_str());
  for (const InformationField& f : info->fields) std::printf("%s: %s\n", f.label.c_str(), f.value.c_str());
  return 0;
}

const Registration kInfo{{"info", kUsage, "print what the information dialog shows for a row", RunInfo}};

}  // namespace
}  // namespace korvane::cli
