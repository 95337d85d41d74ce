// Fed: any text as the settings file: sections, conversion look-ups, program settings.
// Holds: look-ups give listed choices only; settings written into the file read back alike.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/conversion_settings.h"
#include "platform/ini_file.h"
#include "platform/settings.h"

namespace {

using namespace korvane;

// A text a profile read cannot give back as written: one pair of enclosing
// quotes is taken off every value read.
bool Quoted(const std::string& s) {
  return s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front();
}

bool SameText(const std::string& read, const std::string& written) {
  return Quoted(written) || read == written;
}

bool SamePlacement(const Placement& a, const Placement& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

void CheckRoundTrip(const Settings& a, const Settings& b) {
  if (!SamePlacement(a.window, b.window)) std::abort();
  for (size_t i = 0; i < a.viewers.size(); ++i)
    if (!SamePlacement(a.viewers[i], b.viewers[i])) std::abort();
  if (!SameText(b.fontName, a.fontName) || !SameText(b.defaultPathLeft, a.defaultPathLeft) ||
      !SameText(b.defaultPathRight, a.defaultPathRight) || !SameText(b.hdskImgPath, a.hdskImgPath) ||
      !SameText(b.cf7aImgPath, a.cf7aImgPath) || !SameText(b.picViewer, a.picViewer))
    std::abort();
  if (a.fontHeight != b.fontHeight || a.fontWeight != b.fontWeight || a.fontItalic != b.fontItalic ||
      a.sortBy != b.sortBy || a.columnWidths != b.columnWidths || a.textColor != b.textColor ||
      a.backColor != b.backColor || a.markColor != b.markColor || a.mouseWheel != b.mouseWheel ||
      a.quellanCompatible != b.quellanCompatible || a.extractTifiles != b.extractTifiles ||
      a.driveLetters != b.driveLetters || a.margins != b.margins)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t choice = data[0];
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  IniFile ini;
  ini.Parse(text);
  IniFile again;
  again.Parse(ini.Text());
  if (again.Text() != ini.Text()) std::abort();
  for (const std::string& name : ini.SectionNames()) ini.SectionLines(name);

  // TI -> PC: every kind, a record length from the input.
  const std::vector<std::string> tiPc = ReadConversionSection(ini, kTiPcSection);
  for (int kind = 0; kind <= 8; ++kind) {
    const TiPcDefaults d = LookupTiPcDefaults(tiPc, kind, choice);
    if (d.method < kTiPcSelect || d.method >= kTiPcMethodCount) std::abort();
    if (!d.extension.empty() && (d.extension[0] != '.' || d.extension.size() > 5)) std::abort();
  }
  // PC -> TI: each key of the section as an extension, and one not there.
  const std::vector<std::string> pcTi = ReadConversionSection(ini, kPcTiSection);
  std::vector<std::string> extensions{".txt", PcExtension(text.substr(0, 40))};
  for (const std::string& line : pcTi) extensions.push_back(line.substr(0, line.find('=')));
  for (const std::string& ext : extensions) {
    const PcTiDefaults d = LookupPcTiDefaults(pcTi, ext);
    if (d.type < kPcTiNoType || d.type >= kPcTiTypeCount) std::abort();
    if (d.method < kPcTiSelect || d.method >= kPcTiMethodCount) std::abort();
    if (d.recordLength < 0 || d.recordLength > 255) std::abort();
    if (d.recordLength && (d.type == kPcTiNoType || d.type == kPcTiProgram)) std::abort();
  }

  // The program's settings, written back into the same file and read again.
  Settings read;
  ReadSettings(ini, choice & 1, read);
  IniFile written = ini;
  WriteSettings(written, read);
  Settings back;
  ReadSettings(written, choice & 1, back);
  CheckRoundTrip(read, back);
  ReadRecentDirectories(ini);
  const std::string recent = "/home/user/ti disks";
  if (AddRecentDirectory(written, recent) && ReadRecentDirectories(written)[0] != recent) std::abort();
  return 0;
}
