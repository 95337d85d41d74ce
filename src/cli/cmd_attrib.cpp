// korvane-cli attrib LOCATION NAME... [+P|-P] [+A|-A]: write protection and
// archive bit of TI files kept as PC files.
#include <cstdio>

#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"

namespace korvane::cli {
namespace {

int RunAttrib(const std::vector<std::string>& args, const CommonOptions& options) {
  AttributeStates states;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    // After "--" even "-P" is a name.
    if (i >= options.operandsFrom) positional.push_back(a);
    else if (a == "+P" || a == "+p") states.protect = TriState::Set;
    else if (a == "-P" || a == "-p") states.protect = TriState::Clear;
    else if (a == "+A" || a == "+a") states.archive = TriState::Set;
    else if (a == "-A" || a == "-a") states.archive = TriState::Clear;
    else positional.push_back(a);
  }
  if (positional.size() < 2 || (states.protect == TriState::Leave && states.archive == TriState::Leave)) {
    std::fprintf(stderr, "usage: korvane-cli attrib LOCATION NAME... [+P|-P] [+A|-A]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState pane;
  if (!OpenLocation(positional[0], pane)) return 1;
  if (!CheckSetAttributes(pane)) return 1;
  if (!MarkNamedRows(pane, std::vector<std::string>(positional.begin() + 1, positional.end()))) return 1;
  if (!HasAttributeRows(pane)) {
    std::fprintf(stderr, "%s\n", AttributeText(pane).c_str());
    return 1;
  }
  SetAttributes(pane, states, NoProgress());
  return counter.errors > 0 ? 1 : 0;
}

const Registration kAttrib{{"attrib", "attrib LOCATION NAME... [+P|-P] [+A|-A]",
                            "set or clear write protection (P) and the archive bit (A) of TI files in a directory",
                            RunAttrib}};

}  // namespace
}  // namespace korvane::cli
