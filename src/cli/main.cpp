// korvane-cli: the core of Korvane for scripts. Errors go to stderr as
// "ERROR: <text>" and give a non-zero exit status; questions are answered
// from --yes / --no / --all (default No).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/reporter.h"

namespace korvane::cli {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

int UsageError(const Command& command) {
  std::fprintf(stderr, "usage: korvane-cli %s\n", command.usage.c_str());
  return 2;
}

namespace {

class CliReporter : public Reporter {
 public:
  explicit CliReporter(const CommonOptions& options) : options_(options) {}
  void ShowError(const std::string& text) override { std::fprintf(stderr, "ERROR: %s\n", text.c_str()); }
  Answer Ask(const std::string&, const std::string& text, Buttons buttons) override {
    Answer a = options_.all ? Answer::All : options_.yes ? Answer::Yes : Answer::No;
    if (a == Answer::All && buttons != Buttons::YesNoCancel) a = Answer::Yes;
    std::fprintf(stderr, "%s -> %s\n", text.c_str(),
                 a == Answer::All ? "All" : a == Answer::Yes ? "Yes" : "No");
    return a;
  }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
  }

 private:
  const CommonOptions& options_;
};

void PrintHelp() {
  std::printf(
      "korvane-cli: TI-99/4A files on the PC, from the command line.\n\n"
      "usage: korvane-cli COMMAND [ARGS...] [--yes|--no|--all] [--] [NAMES...]\n\n"
      "LOCATION is a PC path, optionally followed by '::' and row names separated\n"
      "by '/', entered one after another as Enter would (games.dsk::UTIL).\n\n"
      "Commands:\n");
  std::vector<Command> sorted = Commands();
  std::sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) { return a.name < b.name; });
  for (const Command& c : sorted) std::printf("  %s\n      %s\n", c.usage.c_str(), c.summary.c_str());
  std::printf(
      "\nOptions for every command:\n"
      "  --yes   answer Yes to questions (overwrite one file at a time)\n"
      "  --all   answer All to overwrite questions\n"
      "  --no    answer No (the default: nothing is overwritten)\n"
      "  --      end of the options: what follows is a location, name or path even\n"
      "          when it begins with '-' (TI names such as ------)\n");
}

}  // namespace
}  // namespace korvane::cli

int main(int argc, char** argv) {
  using namespace korvane::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp();
    return args.empty() ? 2 : 0;
  }
  CommonOptions options;
  std::vector<std::string> rest;
  // The first "--" ends the options, for every command alike: it is taken
  // out, and the command learns where it stood, so that what follows (a
  // second "--" included) is never read as an option.
  bool optionsEnded = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (optionsEnded) rest.push_back(args[i]);
    else if (args[i] == "--") optionsEnded = true, options.operandsFrom = rest.size();
    else if (args[i] == "--yes") options.yes = true, options.no = false;
    else if (args[i] == "--no") options.no = true, options.yes = options.all = false;
    else if (args[i] == "--all") options.all = true, options.no = false;
    else rest.push_back(args[i]);
  }
  for (const Command& c : Commands()) {
    if (c.name != args[0]) continue;
    CliReporter reporter(options);
    korvane::InstallReporter(&reporter);
    const int status = c.run(rest, options);
    korvane::InstallReporter(nullptr);
    return status;
  }
  std::fprintf(stderr, "korvane-cli: unknown command '%s' (try --help)\n", args[0].c_str());
  return 2;
}
