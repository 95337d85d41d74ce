// korvane-cli check [--json] [--repair [--no-backup]] LOCATION [NAME...]:
// checks a container, or every container in a PC directory (NAMEs choose
// files of it), or a card in a drive ("drive:B"), and with --repair mends
// the floppy images and card image volumes that can be mended (hard-disk
// images are checked only). Exit status: 0 no error (or, with --repair,
// every error mended), 1 errors found, 2 bad usage.
#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/catalog_paths.h"
#include "cli/command.h"
#include "cli/drive_arg.h"
#include "cli/json.h"
#include "fileops/container_check.h"
#include "harddisk/cf7_check.h"
#include "platform/pc_file.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "check [--json] [--repair [--no-backup]] LOCATION [NAME...]";

struct Options {
  bool json = false;
  bool repair = false;
  bool keepBackup = true;
  std::string location;
  std::vector<std::string> names;
};

bool ParseArgs(const std::vector<std::string>& args, const CommonOptions& common, Options& o) {
  bool noBackup = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!common.IsOption(i, a)) positional.push_back(a);
    else if (a == "--json") o.json = true;
    else if (a == "--repair") o.repair = true;
    else if (a == "--no-backup") noBackup = true;
    else return false;
  }
  if (positional.empty() || (noBackup && !o.repair)) return false;
  o.keepBackup = !noBackup;
  o.location = positional[0];
  o.names.assign(positional.begin() + 1, positional.end());
  return true;
}

std::vector<std::string> DirectoryFiles(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.c_str());
  if (!dir) return names;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (IsRegularFile(JoinPath(directory, name))) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

class Printer {
 public:
  explicit Printer(bool json) : json_(json) {}

  void Finding(const CheckReport& r, const korvane::Finding& f, const char* prefix, int mended) {
    if (!json_) {
      std::printf("%s: %s%s\n", r.container.c_str(), prefix, FormatFinding(f).c_str());
      return;
    }
    JsonObject o;
    o.Add("container", r.container);
    o.Add("kind", r.kind);
    o.Add("severity", SeverityName(f.severity));
    o.Add("code", FindingCodeName(f.code));
    o.Add("structure", f.structure);
    if (f.sector >= 0) o.Add("sector", static_cast<long>(f.sector));
    else o.Raw("sector", "null");
    o.Add("file", f.file);
    o.Add("reason", f.reason);
    if (mended >= 0) o.Add("mended", mended == 1);
    std::printf("%s\n", o.Text().c_str());
  }

  void Line(const std::string& text) {
    std::fprintf(json_ ? stderr : stdout, "%s\n", text.c_str());
  }

 private:
  bool json_;
};

std::string Summary(int errors, int warnings) {
  if (errors == 0 && warnings == 0) return "no errors";
  return std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") + std::to_string(warnings) +
         (warnings == 1 ? " warning" : " warnings");
}

// Checks (and repairs) one file; returns the errors left.
int CheckOne(const std::string& path, bool named, const Options& o, Printer& out) {
  TerminalProgress progress("check");
  ContainerCheck c = CheckPcFile(path, named, progress);
  if (!c.container) return 0;
  CheckReport& r = c.report;
  if (!c.checked) {
    out.Line(r.container + " (" + r.kind + "): not checked");
    return 0;
  }
  const bool repairable = r.kind == "DSK" || r.kind == "CF7A+IMG";
  const bool wantRepair = o.repair && r.Errors() + r.Warnings() > 0 && repairable;
  if (!wantRepair) {
    for (const korvane::Finding& f : r.findings) out.Finding(r, f, "", -1);
    if (o.repair && r.Errors() > 0 && !repairable)
      std::fprintf(stderr, "ERROR: %s: not repaired: only floppy images and card image volumes are repaired\n",
                   path.c_str());
    out.Line(r.container + " (" + r.kind + "): " + Summary(r.Errors(), r.Warnings()));
    return r.Errors();
  }
  const RepairOutcome outcome = RepairPcFile(path, o.keepBackup);
  for (const korvane::Finding& f : r.findings) {
    const bool remains = std::any_of(outcome.after.findings.begin(), outcome.after.findings.end(),
                                     [&](const korvane::Finding& g) { return SameFault(f, g); });
    out.Finding(r, f, "", outcome.written && !remains ? 1 : 0);
  }
  if (outcome.failed) std::fprintf(stderr, "ERROR: %s: not repaired: %s\n", path.c_str(), outcome.refusal.c_str());
  if (!outcome.backupPath.empty()) out.Line(r.container + ": kept the original as " + outcome.backupPath);
  for (const std::string& a : outcome.actions) out.Line(r.container + ": mended: " + a);
  const CheckReport& after = outcome.failed ? r : outcome.after;
  if (!outcome.failed)
    for (const korvane::Finding& f : after.findings)
      if (f.severity == Severity::Error) out.Line(r.container + ": remains: " + FormatFinding(f));
  out.Line(r.container + " (" + r.kind + "): " + Summary(r.Errors(), r.Warnings()) + "; after repair " +
           Summary(after.Errors(), after.Warnings()));
  return after.Errors();
}

// A card in a drive: checked, never repaired (a drive is written only by
// the card commands, each asking for the write lock).
int CheckDrive(const Options& o, Printer& out) {
  if (o.repair || !o.names.empty()) {
    std::fprintf(stderr, "korvane-cli check: a card in a drive is checked only; NAMEs and --repair need an image\n");
    return 2;
  }
  if (o.location.find("::") != std::string::npos) {
    std::fprintf(stderr, "korvane-cli check: give the drive, not a place on it\n");
    return 2;
  }
  std::unique_ptr<Card> card = OpenCard(o.location, false);
  if (!card) return 1;
  CheckReport r;
  r.container = o.location;
  r.kind = "CF7A+";
  TerminalProgress progress("check");
  CheckCard(*card, r, progress);
  for (const korvane::Finding& f : r.findings) out.Finding(r, f, "", -1);
  out.Line(r.container + " (" + r.kind + "): " + Summary(r.Errors(), r.Warnings()));
  return r.Errors() > 0 ? 1 : 0;
}

int RunCheck(const std::vector<std::string>& args, const CommonOptions& common) {
  Options o;
  if (!ParseArgs(args, common, o)) {
    std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
    return 2;
  }
  Printer out(o.json);
  if (IsDriveLocation(o.location)) return CheckDrive(o, out);
  if (o.location.find("::") != std::string::npos) {
    std::fprintf(stderr, "korvane-cli check: give the PC file of the container, not a place inside it\n");
    return 2;
  }
  int errors = 0;
  if (!IsDirectory(o.location)) {
    if (!o.names.empty()) {
      std::fprintf(stderr, "korvane-cli check: NAMEs choose files of a directory; <%s> is a file\n",
                   o.location.c_str());
      return 2;
    }
    errors += CheckOne(o.location, true, o, out);
    return errors > 0 ? 1 : 0;
  }
  std::vector<std::string> files = o.names;
  if (files.empty()) files = DirectoryFiles(o.location);
  for (const std::string& name : files) {
    const std::string path = JoinPath(o.location, name);
    errors += CheckOne(path, !o.names.empty() || CalledLikeImage(name), o, out);
  }
  return errors > 0 ? 1 : 0;
}

const Registration kCheck{{"check", kUsage,
                           "check floppy, hard-disk and card images, archives and TI files for damage; --repair mends floppy "
                           "images and card image volumes",
                           RunCheck}};

}  // namespace
}  // namespace korvane::cli
