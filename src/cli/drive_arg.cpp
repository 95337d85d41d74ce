#include "cli/drive_arg.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>

#include "catalog/sort.h"
#include "harddisk/cf7_volumes.h"
#include "platform/ini_file.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"
#include "platform/settings.h"

namespace korvane::cli {

namespace {
constexpr char kDrivePrefix[] = "drive:";
constexpr char kPcFormattedQuestion[] =
    "You are about to use a PC formatted storage device as a CF7A+ Cf-Card\n\nDo you really wish to continue ?\n";
}  // namespace

const DriveEnvironment& CliDriveEnvironment() {
  static const DriveEnvironment env = DriveEnvironment::FromProcess();
  return env;
}

uint32_t AllowedDriveMask() {
  IniFile ini;
  Settings settings;
  if (ini.Load(SettingsFilePath())) ReadSettings(ini, false, settings);
  return settings.driveLetters;
}

std::vector<RemovableDrive> ListDrives(DriveWanted wanted) {
  return EnumerateRemovableDrives(CliDriveEnvironment(), AllowedDriveMask(), wanted, IdentifyHardDisk);
}

char ParseDriveLetter(const std::string& text) {
  std::string t = text;
  if (t.compare(0, sizeof kDrivePrefix - 1, kDrivePrefix) == 0) t = t.substr(sizeof kDrivePrefix - 1);
  if (t.size() == 2 && t[1] == ':') t.pop_back();
  if (t.size() != 1 || !std::isalpha(static_cast<unsigned char>(t[0]))) return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(t[0])));
}

bool IsDriveLocation(const std::string& location) {
  return location.compare(0, sizeof kDrivePrefix - 1, kDrivePrefix) == 0;
}

bool FindDrive(char letter, DriveWanted wanted, RemovableDrive& out) {
  for (const RemovableDrive& d : ListDrives(wanted)) {
    if (d.device.letter != letter) continue;
    out = d;
    return true;
  }
  std::fprintf(stderr, "ERROR: no removable drive <%c:>\n", letter ? letter : '?');
  return false;
}

bool FindCardDrive(char letter, RemovableDrive& out) {
  if (!FindDrive(letter, DriveWanted{false, true}, out)) return false;
  if (out.type == kDriveCard) return true;
  return CurrentReporter().Ask("Korvane", kPcFormattedQuestion, Buttons::YesNo) == Answer::Yes;
}

bool OpenDriveLocation(const std::string& location, PaneState& pane) {
  const size_t sep = location.find("::");
  const char letter = ParseDriveLetter(location.substr(0, sep));
  if (letter == 0) {
    std::fprintf(stderr, "ERROR: <%s> names no drive (drive:B)\n", location.c_str());
    return false;
  }
  if (sep != std::string::npos && location.find_first_not_of('/', sep + 2) != std::string::npos) {
    std::fprintf(stderr, "ERROR: the volumes of a CF7A+ card in a drive cannot be entered; copy one out first\n");
    return false;
  }
  RemovableDrive drive;
  if (!FindCardDrive(letter, drive)) return false;
  CardDrive card;
  if (!card.Open(CliDriveEnvironment(), drive.device, DriveAccess::Read)) return false;
  pane = PaneState{};
  pane.sortKey = kSortTiName;
  pane.locationType = kLocCardDrive;
  pane.locationPath = CardLocationText(drive);
  pane.cardVolumeCount = static_cast<int>(card.VolumeCount());
  const bool ok = ListCardVolumes(card, true, pane.rows, NoProgress());
  SortRows(pane.rows, pane.sortKey);
  return ok;
}

std::unique_ptr<Card> OpenCard(const std::string& location, bool write) {
  if (IsDriveLocation(location)) {
    const char letter = ParseDriveLetter(location);
    RemovableDrive drive;
    if (letter == 0) {
      std::fprintf(stderr, "ERROR: <%s> names no drive (drive:B)\n", location.c_str());
      return nullptr;
    }
    if (!FindCardDrive(letter, drive)) return nullptr;
    auto card = std::make_unique<CardDrive>();
    if (!card->Open(CliDriveEnvironment(), drive.device, write ? DriveAccess::Write : DriveAccess::Read))
      return nullptr;
    return card;
  }
  if (IsDevicePath(location)) {
    // Drives are reached as drive:B only, through the checks of the device layer.
    std::fprintf(stderr, "ERROR: <%s> is a device: name the drive as drive:B\n", location.c_str());
    return nullptr;
  }
  auto card = std::make_unique<CardImage>();
  if (!card->Open(location, write)) return nullptr;
  return card;
}

TerminalProgress::TerminalProgress(std::string what) : shown_(isatty(STDERR_FILENO) == 1), what_(std::move(what)) {}

void TerminalProgress::Begin(uint64_t total, const std::string&) {
  total_ = total;
  lastPercent_ = ~uint64_t{0};
}

bool TerminalProgress::Step(uint64_t done) {
  if (!shown_ || total_ == 0) return true;
  // Redrawn once per percent so that a run of millions of sectors does not
  // spend its time writing to the terminal.
  const uint64_t percent = done * 100 / total_;
  if (percent == lastPercent_) return true;
  lastPercent_ = percent;
  std::fprintf(stderr, "\r%s: %llu of %llu sectors (%llu%%)", what_.c_str(), static_cast<unsigned long long>(done),
               static_cast<unsigned long long>(total_), static_cast<unsigned long long>(percent));
  std::fflush(stderr);
  return true;
}

void TerminalProgress::End() {
  if (shown_ && lastPercent_ != ~uint64_t{0}) std::fputc('\n', stderr);
  lastPercent_ = ~uint64_t{0};
}

}  // namespace korvane::cli
