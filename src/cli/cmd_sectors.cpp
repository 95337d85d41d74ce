// korvane-cli sectors IMAGE FIRST COUNT [--crlf] [--title]: the hex view of
// a run of sectors of a disk image file.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/catalog_paths.h"
#include "cli/command.h"
#include "platform/reporter.h"
#include "viewers/sector_range_view.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] = "sectors IMAGE FIRST COUNT [--crlf] [--title]";

int Usage() {
  std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
  return 2;
}

// A sector number in decimal, or hexadecimal with ">" or "0x" in front.
bool ParseNumber(const std::string& text, uint32_t& value) {
  int base = 10;
  size_t start = 0;
  if (text.rfind(">", 0) == 0) base = 16, start = 1;
  else if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0) base = 16, start = 2;
  if (start >= text.size()) return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str() + start, &end, base);
  if (*end != '\0' || text[start] == '-' || v > 0xFFFFFFFFul) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

int RunSectors(const std::vector<std::string>& args, const CommonOptions& options) {
  bool crlf = false, title = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options.IsOption(i, a)) positional.push_back(a);
    else if (a == "--crlf") crlf = true;
    else if (a == "--title") title = true;
    else return Usage();
  }
  uint32_t first = 0, count = 0;
  if (positional.size() != 3 || !ParseNumber(positional[1], first) || !ParseNumber(positional[2], count))
    return Usage();
  SetLastErrorCode(0);
  const std::string& image = positional[0];
  const TextView view = ShowSectorRange(image, LastComponent(image), false, 0, 1, first, count);
  if (!view.ok) return 1;
  std::string text;
  text.reserve(view.text.size());
  for (size_t i = 0; i < view.text.size(); ++i)
    if (crlf || !(view.text[i] == '\r' && i + 1 < view.text.size() && view.text[i + 1] == '\n'))
      text += view.text[i];
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  if (title) std::fprintf(stderr, "%s\n", view.title.c_str());
  return LastErrorCode() != 0 ? 1 : 0;
}

const Registration kSectors{{"sectors", kUsage,
                             "print the hex view of COUNT sectors of a disk image from sector FIRST "
                             "(decimal, or hexadecimal after > or 0x)",
                             RunSectors}};

}  // namespace
}  // namespace korvane::cli
