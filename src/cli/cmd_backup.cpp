// korvane-cli backup LETTER IMAGE, restore LETTER IMAGE: a removable drive
// to an image file on the PC and back. A TI hard disk becomes a plain sector
// copy (".img"), a card a card image (".cf7"). The command itself is the
// confirmation; only overwriting an existing image file is asked (--yes).
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/drive_arg.h"
#include "fileops/file_commands.h"
#include "fileops/pc_names.h"
#include "harddisk/backup_run.h"
#include "harddisk/cf7_card.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"

namespace korvane::cli {
namespace {

constexpr char kBackupUsage[] = "backup LETTER IMAGE";
constexpr char kRestoreUsage[] = "restore LETTER IMAGE";

// LETTER and IMAGE. False for anything else: these commands take no
// options, and anything before "--" that looks like one is refused rather
// than read as a drive or file.
bool TwoArguments(const std::vector<std::string>& args, const CommonOptions& options, std::string& letter,
                  std::string& image) {
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i < options.operandsFrom && a.size() > 1 && a[0] == '-') return false;
    positional.push_back(a);
  }
  if (positional.size() != 2) return false;
  letter = positional[0];
  image = positional[1];
  return true;
}

int Usage(const char* usage) {
  std::fprintf(stderr, "usage: korvane-cli %s\n", usage);
  return 2;
}

// The drive named by LETTER; an image path that is a drive (a device, or a
// file standing in for one) is refused so that a backup never writes onto a
// drive and a restore never reads the drive it writes.
bool ChooseDrive(const std::string& letterArg, const std::string& image, RemovableDrive& drive) {
  const char letter = ParseDriveLetter(letterArg);
  if (letter == 0) {
    std::fprintf(stderr, "ERROR: <%s> is no drive letter\n", letterArg.c_str());
    return false;
  }
  if (!FindDrive(letter, DriveWanted{}, drive)) return false;
  bool isDrive = IsDevicePath(image);
  for (const std::string& standIn : CliDriveEnvironment().standIns)
    isDrive = isDrive || (PathExists(image) && SamePcFile(image, standIn));
  if (isDrive) {
    std::fprintf(stderr, "ERROR: <%s> is a drive, not an image file\n", image.c_str());
    return false;
  }
  return true;
}

int Status(BackupResult result) { return result == BackupResult::Done ? 0 : 1; }

int RunBackup(const std::vector<std::string>& args, const CommonOptions& options) {
  std::string letter, image;
  if (!TwoArguments(args, options, letter, image)) return Usage(kBackupUsage);
  RemovableDrive drive;
  if (!ChooseDrive(letter, image, drive)) return 1;
  if (PathExists(image)) {
    const Answer a = CurrentReporter().Ask(kOverwriteCaption, OverwriteText("file", image), Buttons::YesNo);
    if (a != Answer::Yes && a != Answer::All) return 1;
  }
  TerminalProgress progress("backup");
  return Status(BackupDrive(CliDriveEnvironment(), drive, image, progress));
}

int RunRestore(const std::vector<std::string>& args, const CommonOptions& options) {
  std::string letter, image;
  if (!TwoArguments(args, options, letter, image)) return Usage(kRestoreUsage);
  RemovableDrive drive;
  if (!ChooseDrive(letter, image, drive)) return 1;
  // The image, not what the drive held before, tells which restore it needs:
  // a blank or PC-formatted drive can take a hard-disk image too.
  uint8_t first[256] = {};
  if (std::FILE* f = std::fopen(image.c_str(), "rb")) {
    const size_t got = std::fread(first, 1, sizeof first, f);
    std::fclose(f);
    const ByteView view(first, got);
    if (HasCardImageMarker(view)) drive.type = kDriveCard;
    else if (IdentifyHardDisk(view)) drive.type = kDriveHardDisk;
  }
  TerminalProgress progress("restore");
  return Status(RestoreDrive(CliDriveEnvironment(), drive, image, IdentifyHardDisk, progress));
}

const Registration kBackup{{"backup", kBackupUsage,
                            "save removable drive LETTER (a TI hard disk or a CF7A+ card) into image file IMAGE",
                            RunBackup}};
const Registration kRestore{{"restore", kRestoreUsage,
                             "write image file IMAGE back onto removable drive LETTER (no question is asked)",
                             RunRestore}};

}  // namespace
}  // namespace korvane::cli
