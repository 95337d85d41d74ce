#include "platform/ini_file.h"

#include <strings.h>

#include <cstdlib>

#include "platform/pc_file.h"

namespace korvane {
namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  const size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// "[name]" -> name; empty when the line is no section header.
bool SectionName(const std::string& line, std::string& name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

bool IsComment(const std::string& line) {
  const std::string t = Trim(line);
  return t.empty() || t[0] == ';';
}

std::string KeyOf(const std::string& line) {
  const size_t eq = line.find('=');
  return Trim(eq == std::string::npos ? line : line.substr(0, eq));
}

std::string ValueOf(const std::string& line) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return {};
  std::string v = Trim(line.substr(eq + 1));
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) {
    lines_.clear();
    return false;
  }
  Parse(std::string(bytes.begin(), bytes.end()));
  return true;
}

void IniFile::Parse(const std::string& text) {
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines_.push_back(line);
    start = end + 1;
  }
}

std::string IniFile::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

bool IniFile::Save(const std::string& path) const {
  const std::string text = Text();
  return WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

long IniFile::FindSection(const std::string& section) const {
  std::string name;
  for (size_t i = 0; i < lines_.size(); ++i)
    if (SectionName(lines_[i], name) && SameName(name, section)) return static_cast<long>(i);
  return -1;
}

long IniFile::SectionEnd(long s) const {
  std::string name;
  long i = s + 1;
  while (i < static_cast<long>(lines_.size()) && !SectionName(lines_[static_cast<size_t>(i)], name)) ++i;
  return i;
}

long IniFile::FindKey(long s, const std::string& key) const {
  const long end = SectionEnd(s);
  for (long i = s + 1; i < end; ++i) {
    const std::string& line = lines_[static_cast<size_t>(i)];
    if (IsComment(line) || line.find('=') == std::string::npos) continue;
    if (SameName(KeyOf(line), Trim(key))) return i;
  }
  return -1;
}

bool IniFile::HasSection(const std::string& section) const { return FindSection(section) >= 0; }

bool IniFile::HasKey(const std::string& section, const std::string& key) const {
  const long s = FindSection(section);
  return s >= 0 && FindKey(s, key) >= 0;
}

std::string IniFile::GetString(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  const long s = FindSection(section);
  if (s < 0) return fallback;
  const long k = FindKey(s, key);
  return k < 0 ? fallback : ValueOf(lines_[static_cast<size_t>(k)]);
}

int IniFile::GetInt(const std::string& section, const std::string& key, int fallback) const {
  if (!HasKey(section, key)) return fallback;
  const std::string v = GetString(section, key);
  return static_cast<int>(std::strtol(v.c_str(), nullptr, 10));
}

std::vector<std::string> IniFile::SectionLines(const std::string& section) const {
  std::vector<std::string> out;
  const long s = FindSection(section);
  if (s < 0) return out;
  const long end = SectionEnd(s);
  for (long i = s + 1; i < end; ++i) {
    const std::string& line = lines_[static_cast<size_t>(i)];
    if (!IsComment(line)) out.push_back(Trim(line));
  }
  return out;
}

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> out;
  std::string name;
  for (const std::string& line : lines_)
    if (SectionName(line, name)) out.push_back(name);
  return out;
}

void IniFile::SetString(const std::string& section, const std::string& key, const std::string& value) {
  long s = FindSection(section);
  if (s < 0) {
    lines_.push_back("[" + section + "]");
    lines_.push_back(key + "=" + value);
    return;
  }
  const long k = FindKey(s, key);
  if (k >= 0) {
    // Keep the key as it was written; only the value changes.
    lines_[static_cast<size_t>(k)] = KeyOf(lines_[static_cast<size_t>(k)]) + "=" + value;
    return;
  }
  // Append after the last non-blank line of the section.
  long at = SectionEnd(s);
  while (at > s + 1 && Trim(lines_[static_cast<size_t>(at - 1)]).empty()) --at;
  lines_.insert(lines_.begin() + at, key + "=" + value);
}

void IniFile::SetInt(const std::string& section, const std::string& key, int value) {
  SetString(section, key, std::to_string(value));
}

void IniFile::RemoveKey(const std::string& section, const std::string& key) {
  const long s = FindSection(section);
  if (s < 0) return;
  const long k = FindKey(s, key);
  if (k >= 0) lines_.erase(lines_.begin() + k);
}

void IniFile::RemoveSection(const std::string& section) {
  const long s = FindSection(section);
  if (s < 0) return;
  lines_.erase(lines_.begin() + s, lines_.begin() + SectionEnd(s));
}

}  // namespace korvane
