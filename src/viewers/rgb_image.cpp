#include "viewers/rgb_image.h"

#include <algorithm>

namespace korvane {

RgbImage::RgbImage(int width, int height, Rgb fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3) {
  Fill(fill);
}

void RgbImage::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint8_t* p = &pixels_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3];
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

Rgb RgbImage::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const uint8_t* p =
      &pixels_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3];
  return {p[0], p[1], p[2]};
}

void RgbImage::Fill(Rgb c) {
  for (int y = 0; y < height_; ++y) HorizontalRun(0, y, width_, c);
}

void RgbImage::HorizontalRun(int x, int y, int length, Rgb c) {
  if (y < 0 || y >= height_ || length <= 0) return;
  const int from = std::max(x, 0);
  const int to = static_cast<int>(std::min<int64_t>(int64_t{x} + length, width_));
  if (from >= to) return;
  uint8_t* p = pixels_.data() + (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(from)) * 3;
  for (int i = from; i < to; ++i, p += 3) {
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
}

Rgb TiColour(unsigned index) {
  static constexpr Rgb kColours[16] = {
      {3, 2, 1},     {0, 0, 0},       {0, 192, 0},     {0, 255, 0},    //
      {0, 0, 128},   {0, 0, 255},     {128, 0, 0},     {0, 255, 255},  //
      {192, 0, 0},   {255, 0, 0},     {128, 128, 0},   {255, 255, 0},  //
      {0, 128, 0},   {255, 0, 255},   {194, 194, 194}, {255, 255, 255},
  };
  return kColours[index & 15];
}

void DrawCell(RgbImage& image, int x, int y, const uint8_t* rows, size_t rowCount, Rgb foreground,
              const Rgb* background) {
  for (size_t r = 0; r < rowCount && r < 8; ++r) {
    for (int bit = 0; bit < 8; ++bit) {
      if (rows[r] & (0x80 >> bit)) image.Set(x + bit, y + static_cast<int>(r), foreground);
      else if (background) image.Set(x + bit, y + static_cast<int>(r), *background);
    }
  }
}

}  // namespace korvane
