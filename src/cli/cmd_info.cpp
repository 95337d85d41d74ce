// korvane-cli info LOCATION NAME: what the information dialog (F2) shows for
// a row, one "label: value" line per field, the title first. Hard-disk and
// card image rows give the Image Information, one field per line too.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/location_arg.h"
#include "platform/reporter.h"
#include "viewers/image_information.h"
#include "viewers/information.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "info LOCATION NAME";

void Print(const std::string& title, const std::vector<InformationField>& fields) {
  std::printf("%s\n", title.c_str());
  for (const InformationField& f : fields) std::printf("%s: %s\n", f.label.c_str(), f.value.c_str());
}

int RunInfo(const std::vector<std::string>& args, const CommonOptions& options) {
  if (args.size() != 2 || options.IsOption(0, args[0]) || options.IsOption(1, args[1])) {
    std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
    return 2;
  }
  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  pane.cursor = FindRowOrReport(pane, args[1], args[0]);
  if (pane.cursor < 0) return 1;
  if (HasImageInformation(pane.rows[static_cast<size_t>(pane.cursor)])) {
    const std::optional<ImageInformation> image = ImageInformationForCursor(pane);
    if (!image) return 1;  // reported while reading the image
    Print(image->title, image->AllFields());
    return 0;
  }
  const std::optional<Information> info = InformationForCursor(pane);
  if (!info) {
    std::fprintf(stderr, "ERROR: no information for <%s>\n", args[1].c_str());
    return 1;
  }
  Print(info->title, info->fields);
  return 0;
}

const Registration kInfo{{"info", kUsage, "print what the information dialog shows for a row", RunInfo}};

}  // namespace
}  // namespace korvane::cli
