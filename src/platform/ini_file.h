// Settings files in the Windows profile format, read and written the way the
// Windows profile functions do, so a file written on Windows reads back with
// the same values and a file we write stays readable there:
//   [Section]
//   key=value
// Section and key look-up ignores case; keys are taken whole ("DIS/VAR80");
// values lose surrounding blanks and one pair of enclosing quotes. Writing a
// key keeps every other line of the file as it was (comments, order, case of
// existing names) and lines end with CR LF.
#pragma once

#include <string>
#include <vector>

namespace korvane {

class IniFile {
 public:
  // Reads the file; a missing file gives an empty one (returns false).
  bool Load(const std::string& path);
  // Writes the file; false when it cannot be written.
  bool Save(const std::string& path) const;
  void Parse(const std::string& text);
  std::string Text() const;

  // GetPrivateProfileString: the value, or `fallback` when the key is absent.
  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& fallback = "") const;
  // GetPrivateProfileInt: leading decimal digits (optional sign) of the
  // value; 0 when it starts with none; `fallback` when the key is absent.
  int GetInt(const std::string& section, const std::string& key, int fallback) const;
  bool HasKey(const std::string& section, const std::string& key) const;
  bool HasSection(const std::string& section) const;

  // GetPrivateProfileSection: the section's lines "key=value" as they stand
  // (blanks at both ends removed, empty lines and comments left out).
  std::vector<std::string> SectionLines(const std::string& section) const;
  // The names of the sections, in file order.
  std::vector<std::string> SectionNames() const;

  // WritePrivateProfileString: replaces the key's value in place, or appends
  // the key to its section, or appends the section at the end.
  void SetString(const std::string& section, const std::string& key, const std::string& value);
  void SetInt(const std::string& section, const std::string& key, int value);
  void RemoveKey(const std::string& section, const std::string& key);
  void RemoveSection(const std::string& section);

 private:
  // Index of the section's header line, or -1.
  long FindSection(const std::string& section) const;
  // Index of the key's line inside the section starting at header `s`, or -1.
  long FindKey(long s, const std::string& key) const;
  // One past the last line of the section starting at header `s`.
  long SectionEnd(long s) const;

  std::vector<std::string> lines_;
};

}  // namespace korvane
