// Any bytes as a MYART file in both modes, and as a character set: drawing
// stays inside the bitmap and the data.
#include <cstdint>
#include <string>

#include "viewers/pictures.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  MemoryData source(ByteView(data, size), "fuzz");
  const uint16_t records = static_cast<uint16_t>(size / 128 + 1);
  for (int mode : {kPictureMyart256, kPictureMyart512}) {
    RgbImage image = MakeMyartBitmap(mode);
    DrawMyart(source, mode, records, "FUZZ", "fuzz", image);
  }
  RgbImage charset = MakeCharsetBitmap();
  uint16_t vdp = 0, sizeWord = 0;
  DrawCharset(source, static_cast<uint16_t>(size), "fuzz", charset, vdp, sizeWord);
  return 0;
}
