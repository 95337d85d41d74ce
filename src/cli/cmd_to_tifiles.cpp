// korvane-cli to-tifiles DIR NAME...: V9T9 headers of TI files in a PC
// directory become TIFILES headers.
#include "cli/header_convert_command.h"

namespace korvane::cli {
namespace {

constexpr const char* kUsage = "to-tifiles DIR NAME...";

int RunToTifiles(const std::vector<std::string>& args, const CommonOptions&) {
  return RunHeaderConversion(args, HeaderDirection::ToTifiles, kUsage);
}

const Registration kToTifiles{{"to-tifiles", kUsage,
                               "rewrite the V9T9 headers of TI files in a PC directory as TIFILES headers", RunToTifiles}};

}  // namespace
}  // namespace korvane::cli
