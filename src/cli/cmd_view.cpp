// korvane-cli view LOCATION NAME [--hex|--forth] [--crlf] [--title]: the text
// a viewer window would hold for a TI file row.
#include <cstdio>
#include <string>

#include "catalog/entry.h"
#include "cli/command.h"
#include "cli/text_output.h"
#include "cli/location_arg.h"
#include "platform/reporter.h"
#include "viewers/view_builder.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "view LOCATION NAME [--hex|--forth] [--crlf] [--title]";

int Usage() {
  std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
  return 2;
}

int RunView(const std::vector<std::string>& args, const CommonOptions& options) {
  int mode = kViewDefault;
  bool crlf = false, title = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options.IsOption(i, a)) positional.push_back(a);
    else if (a == "--hex") mode = kViewHex;
    else if (a == "--forth") mode = kViewForth;
    else if (a == "--crlf") crlf = true;
    else if (a == "--title") title = true;
    else return Usage();
  }
  if (positional.size() != 2) return Usage();
  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(positional[0], pane)) return 1;
  const int index = FindRowOrReport(pane, positional[1], positional[0]);
  if (index < 0) return 1;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
  if (!IsTiFileKind(row.kind)) {
    std::fprintf(stderr, "ERROR: <%s> is not a TI file\n", positional[1].c_str());
    return 1;
  }
  const TextView view = BuildView(pane, row, mode);
  if (!view.ok) return 1;
  const std::string text = crlf ? view.text : CrLfToLf(view.text);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  if (title) std::fprintf(stderr, "%s\n", view.title.c_str());
  return LastErrorCode() != 0 ? 1 : 0;
}

const Registration kView{{"view", kUsage,
                          "print the text a viewer shows for a TI file (BASIC listing, records, hex dump, "
                          "Forth blocks); --title prints the window title to stderr",
                          RunView}};

}  // namespace
}  // namespace korvane::cli
