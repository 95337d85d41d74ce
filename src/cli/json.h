// A small JSON object writer for the command-line tool's --json output.
// Strings are written byte for byte as Latin-1: bytes above 7Fh (TI names may
// hold them) become \u00XX so the output stays valid UTF-8.
#pragma once

#include <string>

namespace korvane::cli {

std::string JsonString(const std::string& text);

class JsonObject {
 public:
  void Add(const std::string& key, const std::string& value) { Raw(key, JsonString(value)); }
  void Add(const std::string& key, const char* value) { Raw(key, JsonString(value)); }
  void Add(const std::string& key, long value) { Raw(key, std::to_string(value)); }
  void Add(const std::string& key, int value) { Raw(key, std::to_string(value)); }
  void Add(const std::string& key, unsigned value) { Raw(key, std::to_string(value)); }
  void Add(const std::string& key, bool value) { Raw(key, value ? "true" : "false"); }
  void Raw(const std::string& key, const std::string& json) {
    text_ += text_.empty() ? "{" : ", ";
    text_ += JsonString(key) + ": " + json;
  }
  std::string Text() const { return text_.empty() ? "{}" : text_ + "}"; }

 private:
  std::string text_;
};

}  // namespace korvane::cli
