// Runs korvane-cli as a user runs it, for the command-line tests.
#pragma once

#include <string>

namespace korvane::test {

struct CliResult {
  int status = -1;   // exit status, -1 when the program did not exit normally
  std::string out;   // what was captured
};

enum class Capture { Stdout, StdoutAndStderr, Stderr };

// Runs korvane-cli with `args` (already quoted as the shell needs), in
// `cwd` when it is not empty, capturing the chosen streams.
CliResult RunCli(const std::string& args, const std::string& cwd = "", Capture capture = Capture::Stdout);

// Single-quotes a path or argument for the shell.
std::string ShellQuote(const std::string& s);

}  // namespace korvane::test
