// Fed: any bytes as a TI-Artist pattern file, with and without 6144 colour bytes.
// Holds: drawing stays inside the picture area, no byte read past the data or colours.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "viewers/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  if (size < 1) return 0;
  // The header's sector count may be anything; 24 sectors make the picture.
  const uint16_t sectors = static_cast<uint16_t>(data[0] % 40);
  const ByteView rest(data + 1, size - 1);
  std::vector<uint8_t> pattern(rest.data(), rest.data() + rest.size());
  // The colours: exactly 6144 bytes, as the viewer reads them.
  std::vector<uint8_t> colours(kTiArtistColourBytes);
  for (size_t i = 0; i < colours.size() && !rest.empty(); ++i)
    colours[i] = rest.u8((i * 7 + 3) % rest.size());

  for (bool withColours : {false, true}) {
    MemoryData source(ByteView(pattern.data(), pattern.size()), "fuzz");
    RgbImage image = MakeTiArtistBitmap();
    DrawTiArtist(source, sectors, withColours ? colours.data() : nullptr, "fuzz", image);
    if (image.width() != 256 + 2 * kPictureMargin || image.height() != 192 + 2 * kPictureMargin) std::abort();
    const std::vector<uint8_t>& pixels = image.pixels();
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const bool inside = x >= kPictureMargin && x < kPictureMargin + 256 && y >= kPictureMargin &&
                            y < kPictureMargin + 192;
        const uint8_t* px = pixels.data() + 3 * (static_cast<size_t>(y) * image.width() + x);
        const Rgb p{px[0], px[1], px[2]};
        if (!inside && !(p == kPictureGrey)) std::abort();
        if (inside && !withColours && !(p == kPictureGrey) && !(p == kPictureBlue)) std::abort();
      }
  }
  return 0;
}
