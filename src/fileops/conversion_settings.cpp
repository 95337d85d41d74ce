#include "fileops/conversion_settings.h"

#include <strings.h>

#include <cctype>

#include <fmt/printf.h>

namespace korvane {
namespace {

constexpr const char* kTiPcKeys[kTiPcMethodCount] = {"select", "AddCrLf", "AddLf", "binary"};
constexpr const char* kTiPcTexts[kTiPcMethodCount] = {"--SELECT--", "Add CR/LF (EDITOR/ASM)",
                                                      "Add LF (TI WRITER)", "Binary (no conversion)"};
// The seven-character type names a "Ti_Pc_File_Conversion" key starts with,
// by EntryKind 1-5.
constexpr const char* kTiTypeNames[6] = {"", "DIS/FIX", "DIS/VAR", "INT/FIX", "INT/VAR", "PROGRAM"};

constexpr const char* kPcTiTypeKeys[kPcTiTypeCount] = {"", "dis/fix", "dis/var", "int/fix", "int/var", "program"};
constexpr const char* kPcTiTypeTexts[kPcTiTypeCount] = {"--SELECT--", "DIS/FIX", "DIS/VAR",
                                                        "INT/FIX", "INT/VAR", "PROGRAM"};
constexpr uint8_t kPcTiFlags[kPcTiTypeCount] = {0x00, 0x00, 0x80, 0x02, 0x82, 0x01};
constexpr const char* kPcTiKeys[kPcTiMethodCount] = {"select", "removecrandorlf", "convertcrlftocr",
                                                     "convertcrlftolf", "binary"};
constexpr const char* kPcTiTexts[kPcTiMethodCount] = {
    "--SELECT--", "Remove CR and/or LF (EDITOR/ASM)", "Convert CR/LF or LF to CR (TI WRITER)",
    "Convert CR/LF or CR to LF", "Binary (no conversion)"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool SameText(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// The first seven characters of `text` equal the seven-character `name`.
bool StartsWithName(const std::string& text, const char* name) {
  return text.size() >= 7 && strncasecmp(text.c_str(), name, 7) == 0;
}

// The first decimal number at or after `from` (before `end`), if any.
// Accumulated in 32 bits: a number too long for that wraps, which keeps its
// value modulo 256 right and can never select a record length.
bool FirstNumber(const std::string& text, size_t from, size_t end, uint32_t& value, bool& tooLarge) {
  size_t at = from;
  while (at < end && !IsDigit(text[at])) ++at;
  if (at >= end) return false;
  value = 0;
  tooLarge = false;
  for (; at < end && IsDigit(text[at]); ++at) {
    if (value > 100000) tooLarge = true;
    value = value * 10 + static_cast<uint32_t>(text[at] - '0');
  }
  return true;
}

}  // namespace

const char* TiPcMethodKey(int method) {
  return method >= 0 && method < kTiPcMethodCount ? kTiPcKeys[method] : "";
}
const char* TiPcMethodText(int method) {
  return method >= 0 && method < kTiPcMethodCount ? kTiPcTexts[method] : "";
}
const char* PcTiTypeKey(int type) { return type >= 0 && type < kPcTiTypeCount ? kPcTiTypeKeys[type] : ""; }
const char* PcTiTypeText(int type) { return type >= 0 && type < kPcTiTypeCount ? kPcTiTypeTexts[type] : ""; }
uint8_t PcTiStatusFlags(int type) { return type >= 0 && type < kPcTiTypeCount ? kPcTiFlags[type] : 0; }
const char* PcTiMethodKey(int method) {
  return method >= 0 && method < kPcTiMethodCount ? kPcTiKeys[method] : "";
}
const char* PcTiMethodText(int method) {
  return method >= 0 && method < kPcTiMethodCount ? kPcTiTexts[method] : "";
}

std::string RecordLengthText(int recordLength) {
  if (recordLength < 1 || recordLength > 255) return "--SELECT--";
  return fmt::sprintf(" %d", recordLength);
}

std::vector<std::string> ReadConversionSection(const IniFile& ini, const char* section) {
  return ini.SectionLines(section);
}

std::vector<std::string> ReadConversionSection(const std::string& iniPath, const char* section) {
  IniFile ini;
  if (!ini.Load(iniPath)) return {};
  return ReadConversionSection(ini, section);
}

TiPcDefaults LookupTiPcDefaults(const std::vector<std::string>& lines, int kind, int recordLength) {
  TiPcDefaults result;
  if (kind < kPcTiDisFix || kind > kPcTiProgram) return result;
  const bool program = kind == kPcTiProgram;
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    if (!StartsWithName(key, kTiTypeNames[kind])) continue;
    int method = kTiPcSelect;
    if (program) {
      method = kTiPcBinary;
    } else {
      uint32_t number = 0;
      bool tooLarge = false;
      if (!FirstNumber(key, 7, key.size(), number, tooLarge)) continue;
      if ((number & 0xFF) != (static_cast<uint32_t>(recordLength) & 0xFF)) continue;
    }
    std::string value = Trim(line.substr(eq + 1));
    const size_t comma = value.find(',');
    if (comma != std::string::npos) {
      // Blanks around the method key cannot be part of it; the key itself is
      // matched whole.
      const std::string methodKey = Trim(value.substr(comma + 1));
      for (int m = 0; m < kTiPcMethodCount; ++m)
        if (SameText(methodKey, kTiPcKeys[m])) method = m;
      value.resize(comma);
    }
    for (size_t i = 0; i < value.size(); ++i) {
      if (std::isspace(static_cast<unsigned char>(value[i]))) {
        value.resize(i);
        break;
      }
    }
    result.method = method;
    if (!value.empty()) result.extension = value[0] == '.' ? value.substr(0, 4) : "." + value.substr(0, 4);
    return result;
  }
  return result;
}

PcTiDefaults LookupPcTiDefaults(const std::vector<std::string>& lines, const std::string& extension) {
  PcTiDefaults result;
  if (extension.empty()) return result;
  for (const std::string& line : lines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (!SameText(Trim(line.substr(0, eq)), extension.c_str())) continue;
    const std::string value = Trim(line.substr(eq + 1));
    const size_t comma = value.find(',');
    const size_t typeEnd = comma == std::string::npos ? value.size() : comma;
    for (int t = kPcTiDisFix; t < kPcTiTypeCount; ++t)
      if (StartsWithName(value, kPcTiTypeKeys[t])) result.type = t;
    if (result.type != kPcTiNoType && result.type != kPcTiProgram) {
      uint32_t number = 0;
      bool tooLarge = false;
      if (FirstNumber(value, 7, typeEnd, number, tooLarge) && !tooLarge && number >= 1 && number <= 255)
        result.recordLength = static_cast<int>(number);
    }
    if (comma != std::string::npos) {
      const std::string methodKey = Trim(value.substr(comma + 1));
      for (int m = 0; m < kPcTiMethodCount; ++m)
        if (SameText(methodKey, kPcTiKeys[m])) result.method = m;
    }
    return result;
  }
  return result;
}

std::string PcExtension(const std::string& pcName) {
  const size_t dot = pcName.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = pcName.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace korvane
