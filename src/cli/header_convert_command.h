// The shared body of `to-v9t9` and `to-tifiles`: mark the named rows of a PC
// directory and rewrite their headers, as the two convert commands do on the
// marked rows of a pane.
#pragma once

#include <string>
#include <vector>

#include "cli/command.h"
#include "fileops/header_convert.h"

namespace korvane::cli {

int RunHeaderConversion(const std::vector<std::string>& args, HeaderDirection direction, const char* usage);

}  // namespace korvane::cli
