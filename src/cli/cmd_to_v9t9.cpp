// korvane-cli to-v9t9 DIR NAME...: TIFILES and Classic99 headers of TI files
// in a PC directory become V9T9 headers.
#include "cli/header_convert_command.h"

namespace korvane::cli {
namespace {

constexpr const char* kUsage = "to-v9t9 DIR NAME...";

int RunToV9t9(const std::vector<std::string>& args, const CommonOptions&) {
  return RunHeaderConversion(args, HeaderDirection::ToV9t9, kUsage);
}

const Registration kToV9t9{{"to-v9t9", kUsage,
                            "rewrite the TIFILES (or Classic99) headers of TI files in a PC directory as V9T9 "
                            "headers; Classic99 data is padded to whole sectors",
                            RunToV9t9}};

}  // namespace
}  // namespace korvane::cli
