// The commands of korvane-cli. Each command lives in its own file and
// registers itself with a static Registration, so adding a command touches
// no shared table.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace korvane::cli {

// Options every command accepts, taken off the argument list before the
// command sees it.
struct CommonOptions {
  bool yes = false;  // answer Yes to every question
  bool all = false;  // answer All to overwrite questions
  bool no = true;    // the default: nothing is overwritten unless asked
};

struct Command {
  std::string name;
  std::string usage;    // "dir [--json] LOCATION"
  std::string summary;  // one line for --help
  // Receives the arguments after the command name, common options removed.
  // Returns the process exit status.
  std::function<int(const std::vector<std::string>& args, const CommonOptions& options)> run;
};

std::vector<Command>& Commands();

struct Registration {
  explicit Registration(Command command) { Commands().push_back(std::move(command)); }
};

// Prints "usage: korvane-cli <usage>" to stderr and returns 2.
int UsageError(const Command& command);

}  // namespace korvane::cli
