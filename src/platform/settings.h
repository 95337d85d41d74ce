// The program's settings: section "Korvane" of "Korvane.ini" in the start
// directory, the recent-directory list, the page margins and the sixteen
// viewer placements. Everything is read once at start into a Settings value,
// changed in memory while the program runs and written back in one pass at
// the end; the recent directories are read and written when they are used.
//
// Files written by the earlier Windows program read back with the same
// values: numbers are "%d" decimals (colours are 0x00BBGGRR in decimal), a
// numeric key that holds 9999 counts as absent for the window placement.
#pragma once

#include <array>
#include <climits>
#include <cstdint>
#include <string>

#include "platform/ini_file.h"

namespace korvane {

inline constexpr const char* kSettingsSection = "Korvane";
inline constexpr const char* kRecentSection = "recentdirectories";
inline constexpr const char* kPageSetupSection = "PageSetup";
inline constexpr int kColumnCount = 6;
inline constexpr int kRecentCount = 5;
inline constexpr int kViewerSlots = 16;
// "Let the window system choose" for a position that was never stored.
inline constexpr int kUseDefaultPosition = INT_MIN;

struct Placement {
  int left = kUseDefaultPosition;
  int top = kUseDefaultPosition;
  int width = 600;
  int height = 232;
};

// Left, top, right, bottom; thousandths of an inch, or hundredths of a
// millimetre when the user's locale measures metrically.
using PageMargins = std::array<int, 4>;

struct Settings {
  Placement window;  // client size of the main window
  std::string fontName = "Courier New";
  int fontHeight = -12;  // negative: character height in pixels (LOGFONT rule)
  int fontWeight = 400;
  bool fontItalic = false;
  int sortBy = 1;
  std::string defaultPathLeft;
  std::string defaultPathRight;
  std::array<int, kColumnCount> columnWidths{100, 100, 60, 120, 40, 40};
  uint32_t textColor = 0x000000;
  uint32_t backColor = 0xC2C2C2;
  uint32_t markColor = 0x00FFFF;
  int mouseWheel = 0;
  int quellanCompatible = 0;
  int extractTifiles = 0;
  uint32_t driveLetters = 0x3FFFFFF;  // bit 0 = A: ... bit 25 = Z:
  std::string hdskImgPath;            // remembered folders of the backup dialogs
  std::string cf7aImgPath;
  std::string picViewer;  // command line of the external picture viewer
  PageMargins margins{780, 590, 780, 590};
  std::array<Placement, kViewerSlots> viewers;

  Settings();
};

// The settings file: the current directory joined with "Korvane.ini".
std::string SettingsFilePath();

// Default margins for a metric or a US locale.
PageMargins DefaultMargins(bool metric);

// Reads every key with its default and reading rules (placement 9999 =
// unchanged, text lengths of the fixed buffers, `hdrsize` parsing,
// `driveletters` masking). Making the placement visible needs the screens
// and is a separate step.
void ReadSettings(const IniFile& ini, bool metric, Settings& settings);

// Writes every key in the order the program has always written them.
void WriteSettings(IniFile& ini, const Settings& settings);

// The drive letters removable drives may be given, in order ("ABDE..."),
// from the `driveletters` mask: bit 0 = A: ... bit 25 = Z:; C: never.
std::string AllowedDriveLetters(uint32_t mask);

// "80 90" -> 80 90 100 100 100 100: six numbers, each the leading decimal
// value of a space-separated piece, 100 once the text has ended.
std::array<int, kColumnCount> ParseColumnWidths(const std::string& text);
std::string FormatColumnWidths(const std::array<int, kColumnCount>& widths);

// The screens a window may be placed on: the whole desktop (origin and size)
// and the primary screen's usable size.
struct ScreenGeometry {
  int x = 0, y = 0, width = 0, height = 0;
  int primaryWidth = 0, primaryHeight = 0;
};

// Keeps a placement whose left and top lie within the desktop less 30 pixels,
// else centres it on the primary screen (100 when it is larger than that).
void MakePlacementVisible(Placement& placement, const ScreenGeometry& screen);

// dir01 ... dir05 of the recent-directory list, most recent first.
std::array<std::string, kRecentCount> ReadRecentDirectories(const IniFile& ini);
// Puts `path` first unless it is listed already (letter case ignored);
// returns whether the list changed.
bool AddRecentDirectory(IniFile& ini, const std::string& path);

}  // namespace korvane
