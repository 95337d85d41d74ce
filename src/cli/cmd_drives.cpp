// korvane-cli drives [--json]: the removable drives the backup, restore and
// card commands can use, with what each holds.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/drive_arg.h"
#include "cli/json.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "drives [--json]";

int RunDrives(const std::vector<std::string>& args, const CommonOptions& options) {
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (options.IsOption(i, args[i]) && args[i] == "--json") json = true;
    else return UsageError(Command{"drives", kUsage, "", nullptr});
  }
  const std::vector<RemovableDrive> drives = ListDrives(DriveWanted{});
  if (json) {
    std::string out = "[";
    for (size_t i = 0; i < drives.size(); ++i) {
      const RemovableDrive& d = drives[i];
      JsonObject o;
      o.Add("letter", std::string(1, d.device.letter));
      o.Add("type", static_cast<int>(d.type));
      o.Add("type_text", d.typeText);
      o.Raw("size", std::to_string(d.size));
      o.Raw("megabytes", std::to_string(d.Megabytes()));
      o.Add("name", d.volumeName);
      o.Add("path", d.device.path);
      out += (i == 0 ? "\n  " : ",\n  ") + o.Text();
    }
    out += drives.empty() ? "]\n" : "\n]\n";
    std::fputs(out.c_str(), stdout);
    return 0;
  }
  if (drives.empty()) {
    std::printf("No physical drive with a SCSI, IDE, WDS or CF7A+ image found.\n");
    return 0;
  }
  for (const RemovableDrive& d : drives) std::printf("%s  %s\n", BackupLabel(d).c_str(), d.device.path.c_str());
  return 0;
}

const Registration kDrives{{"drives", kUsage,
                            "list the removable drives (KORVANE_DRIVES: files standing in for them) and what each holds",
                            RunDrives}};

}  // namespace
}  // namespace korvane::cli
