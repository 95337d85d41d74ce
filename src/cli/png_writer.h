// Writes an RgbImage as an 8-bit RGB PNG file (libpng).
#pragma once

#include <string>

#include "viewers/rgb_image.h"

namespace korvane::cli {

// False (with `error` set) when the file cannot be written.
bool WritePng(const RgbImage& image, const std::string& path, std::string& error);

}  // namespace korvane::cli
