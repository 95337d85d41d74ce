#include "support/imgtool_check.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "support/floppy_check.h"

extern char** environ;

namespace korvane::test {
namespace {

constexpr size_t kTifilesHeader = 128;
constexpr char kNotInstalled[] =
    "imgtool (Debian package mame-tools) is not installed; run scripts/setup.sh: the tests read every image "
    "they write back with it";

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The imgtool on PATH, or empty.
std::string FindImgtool() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/imgtool";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

struct RunResult {
  int status = -1;  // exit status, -1 when it did not exit normally or did not start
  std::string out, err;
};

std::string Slurp(const std::string& path) {
  const Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

// Runs the program with exactly these arguments (no shell), in `cwd`, its
// output and errors going to files in `scratch`.
RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& cwd,
              const std::string& scratch) {
  RunResult r;
  const std::string outPath = scratch + "/imgtool.out", errPath = scratch + "/imgtool.err";
  std::vector<char*> argv;
  std::vector<std::string> all = {program};
  all.insert(all.end(), args.begin(), args.end());
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  pid_t pid = 0;
  const int started = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) {
    r.err = "could not start " + program;
    return r;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = Slurp(outPath);
  r.err = Slurp(errPath);
  return r;
}

struct Listed {
  std::string attr;     // "D/F 80", "PGM R/O", ...
  std::string corrupt;  // imgtool's last column, empty when all is well
};

// The rows between the first two rulers of `imgtool dir`: the name in the
// first 30 columns, then the size (8), the attributes (15) and a note (18),
// separated by one space.
bool ParseDir(const std::string& text, std::map<std::string, Listed>& rows, std::vector<std::string>& problems) {
  std::istringstream in(text);
  std::string line;
  int rulers = 0;
  while (std::getline(in, line) && rulers < 2) {
    if (!line.empty() && line.find_first_not_of("- ") == std::string::npos) {
      ++rulers;
      continue;
    }
    if (rulers != 1) continue;
    if (line.size() < 55) {
      problems.push_back("imgtool listed a row it could not lay out: <" + line + ">");
      continue;
    }
    const std::string name = Trim(line.substr(0, 30));
    Listed row{Trim(line.substr(40, 15)), line.size() > 56 ? Trim(line.substr(56)) : ""};
    if (!rows.emplace(name, row).second) problems.push_back("imgtool lists <" + name + "> twice");
  }
  return rulers == 2;
}

std::string AttrText(const ExpectedTiFile& f) {
  std::string text;
  if (f.status & 0x01) text = "PGM";
  else
    text = std::string(f.status & 0x02 ? "I" : "D") + "/" + (f.status & 0x80 ? "V" : "F") + " " +
           std::to_string(f.recordLength);
  if (f.status & 0x08) text += " R/O";
  return text;
}

// The TI name as a PC file name when `getall` can have written it so.
bool PlainName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

}  // namespace

ExpectedTiFile Expect(const TiFile& file) { return Expect(file, file.name); }

ExpectedTiFile Expect(const TiFile& file, const std::string& name) {
  return ExpectedTiFile{name, file.status, file.recordLength, file.data};
}

std::vector<ExpectedTiFile> FilesOnImage(const Bytes& image) {
  std::vector<ExpectedTiFile> files;
  const auto add = [&](const std::string& prefix, const std::vector<unsigned>& fdrs) {
    for (unsigned fdr : fdrs) {
      const size_t at = size_t{fdr} * 256;
      if (at + 256 > image.size()) continue;
      const std::string name10(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + 10);
      files.push_back({prefix + Trim(name10), image[at + 12], image[at + 17], ReadFileAtFdr(image, fdr)});
    }
  };
  add("", RootIndex(image));
  for (const SubdirIndex& dir : Subdirectories(image)) add(dir.name + ".", dir.fdrs);
  return files;
}

std::vector<std::string> ImgtoolDifferences(const std::string& imagePath, const std::vector<ExpectedTiFile>& expected,
                                            uint64_t offset) {
  const std::string imgtool = FindImgtool();
  if (imgtool.empty()) return {kNotInstalled};
  std::vector<std::string> problems;
  TempDir scratch;
  const std::string files = scratch.Mkdir("files");
  std::string image = std::filesystem::absolute(imagePath).string();
  if (offset != 0) {
    // imgtool reads a volume of a card as the image file it would be alone.
    const Bytes card = ReadFile(imagePath);
    if (offset + 256 > card.size()) return {"no volume at offset " + std::to_string(offset) + " of " + imagePath};
    const size_t total = size_t{card[offset + 10]} << 8 | card[offset + 11];
    const size_t end = std::min<size_t>(card.size(), offset + total * 256);
    image = scratch.Write("volume.dsk", Bytes(card.begin() + static_cast<long>(offset), card.begin() + static_cast<long>(end)));
  }

  const RunResult dir = Run(imgtool, {"dir", "v9t9", image}, files, scratch.path());
  std::map<std::string, Listed> listed;
  if (dir.status != 0 || !ParseDir(dir.out, listed, problems))
    return {"imgtool dir failed (status " + std::to_string(dir.status) + "): " + dir.err + dir.out};
  for (const ExpectedTiFile& f : expected) {
    const auto it = listed.find(f.name);
    if (it == listed.end()) {
      problems.push_back("imgtool does not list <" + f.name + ">");
      continue;
    }
    if (it->second.attr != AttrText(f))
      problems.push_back("<" + f.name + "> is listed as " + it->second.attr + ", expected " + AttrText(f));
    if (!it->second.corrupt.empty()) problems.push_back("<" + f.name + "> is listed with " + it->second.corrupt);
  }
  for (const auto& [name, row] : listed) {
    // A sub-directory is listed as DIR, its files as DIR.NAME.
    const auto named = [&](const ExpectedTiFile& f) {
      return f.name == name || (row.attr == "DIR" && f.name.rfind(name + ".", 0) == 0);
    };
    if (std::none_of(expected.begin(), expected.end(), named))
      problems.push_back("imgtool lists <" + name + "> (" + row.attr + "), which was not expected");
  }

  // Every file in one run; a name getall cannot use as a PC file name is
  // fetched alone.
  const RunResult all = Run(imgtool, {"getall", "v9t9", image}, files, scratch.path());
  for (const ExpectedTiFile& f : expected) {
    if (!listed.count(f.name)) continue;
    std::string got = files + "/" + f.name;
    struct stat st {};
    if (!PlainName(f.name) || stat(got.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      got = scratch.path() + "/single.tfi";
      const RunResult one = Run(imgtool, {"get", "v9t9", image, f.name, got}, files, scratch.path());
      if (one.status != 0) {
        problems.push_back("imgtool get <" + f.name + "> failed: " + one.err + all.err);
        continue;
      }
    }
    const Bytes tifiles = ReadFile(got);
    Bytes want = f.data;
    want.resize((want.size() + 255) / 256 * 256, 0);
    if (tifiles.size() < kTifilesHeader || tifiles[0] != 0x07 ||
        std::string(tifiles.begin() + 1, tifiles.begin() + 8) != "TIFILES") {
      problems.push_back("imgtool gave no TIFILES file for <" + f.name + ">");
      continue;
    }
    const Bytes data(tifiles.begin() + kTifilesHeader, tifiles.end());
    if (data.size() != want.size()) {
      problems.push_back("<" + f.name + "> reads back " + std::to_string(data.size()) + " bytes, expected " +
                         std::to_string(want.size()));
      continue;
    }
    const auto diff = std::mismatch(data.begin(), data.end(), want.begin());
    if (diff.first != data.end())
      problems.push_back("<" + f.name + "> differs from byte " + std::to_string(diff.first - data.begin()));
  }
  return problems;
}

void ExpectImgtoolReads(const std::string& imagePath, const std::vector<ExpectedTiFile>& expected, uint64_t offset) {
  const std::vector<std::string> problems = ImgtoolDifferences(imagePath, expected, offset);
  if (problems.empty()) return;
  if (problems.front() == kNotInstalled) {
    ADD_FAILURE() << "Can't check " << imagePath << ": " << kNotInstalled;
    return;
  }
  std::string text = "imgtool reads " + imagePath + " differently:";
  for (const std::string& p : problems) text += "\n  " + p;
  ADD_FAILURE() << text;
}

void ExpectImgtoolAgrees(const std::string& imagePath) { ExpectImgtoolReads(imagePath, FilesOnImage(ReadFile(imagePath))); }

}  // namespace korvane::test
