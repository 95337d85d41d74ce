#include "cli/header_convert_command.h"

#include <cstdio>

#include "catalog/errors.h"
#include "cli/location_arg.h"

namespace korvane::cli {
namespace {

// Prints "Converting <NAME>" for every file, as the dialog's text shows it.
class PrintingProgress : public Progress {
 public:
  void SetText(const std::string& text) override { std::printf("%s\n", text.c_str()); }
};

}  // namespace

int RunHeaderConversion(const std::vector<std::string>& args, HeaderDirection direction, const char* usage) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli %s\n", usage);
    return 2;
  }
  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(args[0], pane)) return 1;
  if (!CheckHeaderConversionPane(pane)) return 1;
  for (size_t i = 1; i < args.size(); ++i) {
    const int index = FindRowOrReport(pane, args[i], args[0]);
    if (index < 0) return 1;
    pane.rows[static_cast<size_t>(index)].marked = true;
  }
  if (!HasHeaderConvertibleRows(pane, direction)) {
    CurrentReporter().ShowMessage("Korvane", HeaderConversionText(pane, direction));
    return 1;
  }
  PrintingProgress progress;
  ConvertHeaders(pane, direction, progress);
  return LastErrorCode() != 0 ? 1 : 0;
}

}  // namespace korvane::cli
