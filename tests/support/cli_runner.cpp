#include "support/cli_runner.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace korvane::test {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

CliResult RunCli(const std::string& args, const std::string& cwd, Capture capture) {
  CliResult r;
  std::string command;
  if (!cwd.empty()) command = "cd " + ShellQuote(cwd) + " && ";
  const char* redirect = capture == Capture::Stdout ? " 2>/dev/null"
                         : capture == Capture::Stderr ? " 2>&1 >/dev/null"
                                                      : " 2>&1";
  command += std::string(KORVANE_CLI_PATH) + " " + args + redirect;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace korvane::test
