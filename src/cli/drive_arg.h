// Removable drives for korvane-cli: the drive list as the dialogs build it
// (letters allowed by `driveletters` in Korvane.ini of the current
// directory), choosing a drive by letter, the hard-disk recogniser the list
// and the restore use, "drive:B" locations (a card's volume list), and
// progress on stderr for long runs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "harddisk/backup_drives.h"
#include "harddisk/cf7_card.h"
#include "platform/progress.h"

namespace korvane::cli {

// The drive environment of this process (KORVANE_DRIVES or the system).
const DriveEnvironment& CliDriveEnvironment();

// The `driveletters` mask of Korvane.ini in the current directory, else the
// default (A to Z).
uint32_t AllowedDriveMask();

std::vector<RemovableDrive> ListDrives(DriveWanted wanted);

// "B", "b", "B:" or "drive:B" -> 'B'; 0 when the text is no drive letter.
char ParseDriveLetter(const std::string& text);

// Whether a LOCATION names a card in a drive ("drive:B", optionally with
// "::" and more names after it).
bool IsDriveLocation(const std::string& location);

// Finds the drive with `letter` among the drives `wanted`; prints
// "no removable drive <B:>" when there is none.
bool FindDrive(char letter, DriveWanted wanted, RemovableDrive& out);

// Finds the drive of a card location and, when it does not hold a CF7A+
// card, asks whether to use it as one anyway (a PC-formatted drive; No is
// the default, --yes answers Yes).
bool FindCardDrive(char letter, RemovableDrive& out);

// Opens "drive:B" as a pane on the card's volume list (LocationType 1). Its
// volume rows cannot be entered: naming one after "::" is refused.
bool OpenDriveLocation(const std::string& location, PaneState& pane);

// Opens the card a card command works on: "drive:B", or a card image file.
std::unique_ptr<Card> OpenCard(const std::string& location, bool write);

// Progress on stderr ("backup: 2048 of 16000 sectors (12%)"), shown only
// when stderr is a terminal; never cancels.
class TerminalProgress : public Progress {
 public:
  explicit TerminalProgress(std::string what);
  void Begin(uint64_t total, const std::string& text) override;
  bool Step(uint64_t done) override;
  void End() override;

 private:
  bool shown_;
  uint64_t total_ = 0;
  uint64_t lastPercent_ = ~uint64_t{0};
  std::string what_;
};

}  // namespace korvane::cli
