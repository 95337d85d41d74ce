#include "platform/settings.h"

#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <fmt/format.h>
#include <fmt/printf.h>

namespace korvane {
namespace {

// Fixed buffer sizes of the stored texts, less the terminating zero: longer
// values are cut where the earlier program cut them.
constexpr size_t kFontNameMax = 29;
constexpr size_t kPathMax = 299;
constexpr size_t kHdrSizeMax = 79;

// The list font: the chooser offers 8 to 18 points, some 11 to 24 pixels;
// anything from 6 to 72 pixels is taken as the user's choice. Weights run
// from thin (100) to heavy (900).
constexpr int kDefaultFontHeight = -12;
constexpr int kDefaultFontWeight = 400;
constexpr long kFontHeightMin = 6;
constexpr long kFontHeightMax = 72;
constexpr int kFontWeightMin = 100;
constexpr int kFontWeightMax = 900;

// Placement keys holding this value count as absent.
constexpr int kAbsent = 9999;

std::string Cut(std::string text, size_t max) {
  if (text.size() > max) text.resize(max);
  return text;
}

void ReadPlacement(const IniFile& ini, const std::string& section, Placement& p) {
  const int left = ini.GetInt(section, "left", kAbsent);
  const int top = ini.GetInt(section, "top", kAbsent);
  const int width = ini.GetInt(section, "width", kAbsent);
  const int height = ini.GetInt(section, "height", kAbsent);
  if (left != kAbsent) p.left = left;
  if (top != kAbsent) p.top = top;
  if (width != kAbsent) p.width = width;
  if (height != kAbsent) p.height = height;
}

void WritePlacement(IniFile& ini, const std::string& section, const Placement& p) {
  ini.SetInt(section, "left", p.left);
  ini.SetInt(section, "top", p.top);
  ini.SetInt(section, "width", p.width);
  ini.SetInt(section, "height", p.height);
}

std::string ViewerSection(int slot) { return fmt::sprintf("EDIT%02d", slot + 1); }
std::string RecentKey(int n) { return fmt::sprintf("dir%02d", n); }

}  // namespace

Settings::Settings() {
  // Viewer windows start at 1,1 with 600 x 800 until a placement is stored.
  for (Placement& p : viewers) p = Placement{1, 1, 600, 800};
}

std::string SettingsFilePath() {
  std::string dir;
  if (char* cwd = getcwd(nullptr, 0)) {
    dir = cwd;
    std::free(cwd);
  }
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir + "Korvane.ini";
}

PageMargins DefaultMargins(bool metric) {
  return metric ? PageMargins{2000, 1500, 2000, 1500} : PageMargins{780, 590, 780, 590};
}

std::string AllowedDriveLetters(uint32_t mask) {
  std::string letters;
  for (int bit = 0; bit < 26; ++bit)
    if (bit != 2 && (mask & (1u << bit)) != 0) letters += static_cast<char>('A' + bit);
  return letters;
}

std::array<int, kColumnCount> ParseColumnWidths(const std::string& text) {
  std::array<int, kColumnCount> widths{};
  size_t at = 0;
  for (int& width : widths) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at >= text.size()) {
      width = 100;
      continue;
    }
    // A damaged file may hold any number: clamp instead of overflowing.
    const long value = std::strtol(text.c_str() + at, nullptr, 10);
    width = static_cast<int>(std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    while (at < text.size() && text[at] != ' ') ++at;
  }
  return widths;
}

std::string FormatColumnWidths(const std::array<int, kColumnCount>& widths) {
  std::string text;
  for (size_t i = 0; i < widths.size(); ++i)
    text += fmt::sprintf("%s%u", i == 0 ? "" : " ", static_cast<unsigned>(widths[i]));
  return text;
}

void ReadSettings(const IniFile& ini, bool metric, Settings& s) {
  const std::string k = kSettingsSection;
  ReadPlacement(ini, k, s.window);

  s.fontItalic = (ini.GetInt(k, "fitalic", 0) & 0xFF) != 0;
  // A height or weight no font chooser gives (0 asks the font system for its
  // own pick: a tiny or hair-thin list) falls back to the default instead of
  // being used and written back.
  const int height = ini.GetInt(k, "fheight", kDefaultFontHeight);
  const long magnitude = std::labs(static_cast<long>(height));
  s.fontHeight = magnitude >= kFontHeightMin && magnitude <= kFontHeightMax ? height : kDefaultFontHeight;
  const int weight = ini.GetInt(k, "fweight", kDefaultFontWeight);
  s.fontWeight = weight >= kFontWeightMin && weight <= kFontWeightMax ? weight : kDefaultFontWeight;
  s.sortBy = ini.GetInt(k, "sortby", 1);
  s.fontName = Cut(ini.GetString(k, "fname", s.fontName), kFontNameMax);
  s.defaultPathLeft = Cut(ini.GetString(k, "default_path_left", ""), kPathMax);
  s.defaultPathRight = Cut(ini.GetString(k, "default_path_right", ""), kPathMax);

  s.columnWidths = ParseColumnWidths(Cut(ini.GetString(k, "hdrsize", ""), kHdrSizeMax));

  s.textColor = static_cast<uint32_t>(ini.GetInt(k, "textcolor", static_cast<int>(s.textColor)));
  s.backColor = static_cast<uint32_t>(ini.GetInt(k, "backcolor", static_cast<int>(s.backColor)));
  s.markColor = static_cast<uint32_t>(ini.GetInt(k, "markcolor", static_cast<int>(s.markColor)));
  s.mouseWheel = ini.GetInt(k, "mousewheel", s.mouseWheel);
  s.quellanCompatible = ini.GetInt(k, "quellancompatible", s.quellanCompatible);
  s.extractTifiles = ini.GetInt(k, "extracttifiles", s.extractTifiles);
  // Only A: to Z: exist, and the system drive C: is never opened raw.
  s.driveLetters =
      static_cast<uint32_t>(ini.GetInt(k, "driveletters", static_cast<int>(s.driveLetters))) & 0x3FFFFFFu;
  s.driveLetters &= ~(1u << 2);

  s.hdskImgPath = Cut(ini.GetString(k, "hdsk_img_path", ""), kPathMax);
  s.cf7aImgPath = Cut(ini.GetString(k, "cf7a_img_path", ""), kPathMax);
  s.picViewer = Cut(ini.GetString(k, "picviewer", ""), kPathMax);

  const PageMargins defaults = DefaultMargins(metric);
  const char* marginKeys[4] = {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"};
  for (size_t i = 0; i < 4; ++i) s.margins[i] = ini.GetInt(kPageSetupSection, marginKeys[i], defaults[i]);

  for (int slot = 0; slot < kViewerSlots; ++slot)
    ReadPlacement(ini, ViewerSection(slot), s.viewers[static_cast<size_t>(slot)]);
}

void WriteSettings(IniFile& ini, const Settings& s) {
  const std::string k = kSettingsSection;
  WritePlacement(ini, k, s.window);
  ini.SetString(k, "fitalic", s.fontItalic ? "1" : "0");
  ini.SetInt(k, "fheight", s.fontHeight);
  ini.SetInt(k, "fweight", s.fontWeight);
  ini.SetInt(k, "sortby", s.sortBy);
  ini.SetString(k, "fname", s.fontName);
  ini.SetString(k, "default_path_left", s.defaultPathLeft);
  ini.SetString(k, "default_path_right", s.defaultPathRight);
  ini.SetString(k, "hdrsize", FormatColumnWidths(s.columnWidths));
  ini.SetInt(k, "textcolor", static_cast<int>(s.textColor));
  ini.SetInt(k, "backcolor", static_cast<int>(s.backColor));
  ini.SetInt(k, "markcolor", static_cast<int>(s.markColor));
  ini.SetInt(k, "mousewheel", s.mouseWheel);
  ini.SetInt(k, "quellancompatible", s.quellanCompatible);
  ini.SetInt(k, "extracttifiles", s.extractTifiles);
  ini.SetInt(k, "driveletters", static_cast<int>(s.driveLetters));

  const char* marginKeys[4] = {"MarginLeft", "MarginTop", "MarginRight", "MarginBottom"};
  for (size_t i = 0; i < 4; ++i) ini.SetInt(kPageSetupSection, marginKeys[i], s.margins[i]);

  for (int slot = 0; slot < kViewerSlots; ++slot)
    WritePlacement(ini, ViewerSection(slot), s.viewers[static_cast<size_t>(slot)]);
}

void MakePlacementVisible(Placement& p, const ScreenGeometry& screen) {
  const bool leftInside = p.left >= screen.x && p.left <= screen.x + screen.width - 30;
  const bool topInside = p.top >= screen.y && p.top <= screen.y + screen.height - 30;
  if (leftInside && topInside) return;
  const int halfWidth = p.width / 2, halfHeight = p.height / 2;
  const int halfScreenWidth = screen.primaryWidth / 2, halfScreenHeight = screen.primaryHeight / 2;
  p.left = halfWidth > halfScreenWidth ? 100 : halfScreenWidth - halfWidth;
  p.top = halfHeight > halfScreenHeight ? 100 : halfScreenHeight - halfHeight;
}

std::array<std::string, kRecentCount> ReadRecentDirectories(const IniFile& ini) {
  std::array<std::string, kRecentCount> dirs;
  for (int n = 1; n <= kRecentCount; ++n)
    dirs[static_cast<size_t>(n - 1)] = Cut(ini.GetString(kRecentSection, RecentKey(n), ""), kPathMax);
  return dirs;
}

bool AddRecentDirectory(IniFile& ini, const std::string& path) {
  std::array<std::string, kRecentCount> dirs = ReadRecentDirectories(ini);
  for (const std::string& d : dirs)
    if (strcasecmp(d.c_str(), path.c_str()) == 0) return false;
  for (size_t i = kRecentCount - 1; i > 0; --i) dirs[i] = dirs[i - 1];
  dirs[0] = Cut(path, kPathMax);
  for (int n = 1; n <= kRecentCount; ++n) ini.SetString(kRecentSection, RecentKey(n), dirs[static_cast<size_t>(n - 1)]);
  return true;
}

}  // namespace korvane
