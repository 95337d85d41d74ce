// The commands of korvane-cli. Each command lives in its own file and
// registers itself with a static Registration, so adding a command touches
// no shared table.
#pragma once

#include <cstddef>
#include <cstdint>
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

  // "--" ends the options: the arguments from this index on came after it
  // and are names or paths whatever they begin with (TI names such as
  // "------" exist on real disks). main.cpp takes the "--" itself out.
  size_t operandsFrom = SIZE_MAX;

  // Whether args[index] is an option: it comes before "--" and begins
  // with "--".
  bool IsOption(size_t index, const std::string& arg) const {
    return index < operandsFrom && arg.size() > 2 && arg.rfind("--", 0) == 0;
  }
  // Whether the option at args[index] has a value after it, before "--".
  bool HasValue(size_t index, size_t argCount) const { return index + 1 < argCount && index + 1 < operandsFrom; }
};

struct Command {
  std::string name;
  std::string usage;    // "dir [--json] LOCATION"
  std::string summary;  // one line for --help
  // Receives the arguments after the command name, common options and the
  // "--" that ends the options removed (see CommonOptions::operandsFrom).
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
