// A plain 24-bit RGB bitmap that the picture readers draw into. The GUI
// only scales and paints it; the command-line tool writes it as PNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvane {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

class RgbImage {
 public:
  RgbImage() = default;
  RgbImage(int width, int height, Rgb fill = {});

  int width() const { return width_; }
  int height() const { return height_; }
  // Rows from the top, 3 bytes per pixel (red, green, blue).
  const std::vector<uint8_t>& pixels() const { return pixels_; }

  // Pixels outside the bitmap are not drawn (Set) and read as black (At).
  void Set(int x, int y, Rgb colour);
  Rgb At(int x, int y) const;
  void Fill(Rgb colour);
  // A horizontal run of `length` pixels from (x, y), cut at the right edge.
  void HorizontalRun(int x, int y, int length, Rgb colour);

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> pixels_;
};

// Every picture bitmap has this margin on each side of the picture.
inline constexpr int kPictureMargin = 10;

// The 16 colours of the TI video processor, by index.
Rgb TiColour(unsigned index);
inline constexpr Rgb kPictureGrey{194, 194, 194};  // TI-Artist and MYART background
inline constexpr Rgb kPictureBlue{0, 0, 255};      // character-set background
inline constexpr Rgb kPictureWhite{255, 255, 255};

// Colour components: 3 bits (0-7) to v * 364 / 10, 2 bits (0-3) to w * 85.
inline uint8_t Scale3(unsigned v) { return static_cast<uint8_t>((v & 7) * 364 / 10); }
inline uint8_t Scale2(unsigned w) { return static_cast<uint8_t>((w & 3) * 85); }

// Draws one 8x8 cell whose top-left pixel is (x, y): 8 bytes, one per pixel
// row from the top, bit 7 leftmost. Set bits take `foreground`; clear bits
// take `background` when there is one, else keep the pixel.
void DrawCell(RgbImage& image, int x, int y, const uint8_t* rows, size_t rowCount, Rgb foreground,
              const Rgb* background);

}  // namespace korvane
