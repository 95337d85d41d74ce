// MYART pictures: DIS/FIX 128 files of run-length coded lines, 212 lines of
// 256 pixels (mode 4, 256 colours) or 512 pixels (mode 5, 16 colours).
//
// First record:
//   00-01  unused
//   02-..  mode 4: run data
//   02-21  mode 5: palette, 16 entries of 2 bytes
//            byte 0: red in bits 6-4, blue in bits 2-0
//            byte 1: green in bits 2-0
//   22-..  mode 5: run data
// Runs are 2 bytes and continue across records:
//   mode 4: colour (green bits 7-5, red 4-2, blue 1-0), length (0 = 256)
//   mode 5: palette index in bits 7-4 and length bit 8 in bit 0, then the
//           low 8 bits of the length (0 = 512)
// A run paints from the pen to the right; at the end of a line the pen goes
// to the start of the next line and the rest of the run is dropped.
#include <fmt/printf.h>

#include <strings.h>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "viewers/location_title.h"
#include "viewers/pictures.h"
#include "viewers/view_source.h"

namespace korvane {
namespace {

constexpr int kLines = 212;
constexpr size_t kRecordSize = 128;

class RunPainter {
 public:
  RunPainter(RgbImage& image, int width) : image_(image), width_(width) {}
  bool Done() const { return y_ >= kLines; }
  void Paint(Rgb colour, int length) {
    if (Done()) return;
    const int n = length < width_ - x_ ? length : width_ - x_;
    image_.HorizontalRun(kPictureMargin + x_, kPictureMargin + y_, n, colour);
    x_ += n;
    if (x_ >= width_) {
      x_ = 0;
      ++y_;
    }
  }

 private:
  RgbImage& image_;
  int width_;
  int x_ = 0, y_ = 0;
};

}  // namespace

RgbImage MakeMyartBitmap(int mode) {
  const int width = mode == kPictureMyart512 ? 512 : 256;
  return RgbImage(width + 2 * kPictureMargin, kLines + 2 * kPictureMargin, kPictureGrey);
}

MyartResult DrawMyart(TiData& data, int mode, uint16_t records, const std::string& tiName,
                      const std::string& sourceName, RgbImage& image) {
  const bool wide = mode == kPictureMyart512;
  image.Fill(kPictureGrey);
  RunPainter painter(image, wide ? 512 : 256);
  Rgb palette[16];
  int pending = -1;  // first byte of a run whose second byte is in the next record
  uint8_t record[kRecordSize];
  for (uint32_t r = 0; r < records && !painter.Done(); ++r) {
    const size_t got = data.ReadAt(uint64_t{r} * kRecordSize, record, sizeof record);
    const ByteView rec(record, got);
    size_t p = 2;
    if (r == 0) {
      if (got >= 3 && strncasecmp(reinterpret_cast<const char*>(record), "GIF", 3) == 0) {
        ReportError(kErrNotMyart, tiName);
        return MyartResult::kNotMyart;
      }
      if (wide) {
        for (size_t i = 0; i < 16; ++i) {
          const uint8_t b0 = rec.u8(2 + 2 * i), b1 = rec.u8(3 + 2 * i);
          palette[i] = {Scale3(b0 >> 4), Scale3(b1), Scale3(b0)};
        }
        p = 34;
      }
    } else {
      p = 0;
    }
    for (; p < got && !painter.Done(); ++p) {
      if (pending < 0) {
        pending = record[p];
        continue;
      }
      const uint8_t first = static_cast<uint8_t>(pending), second = record[p];
      pending = -1;
      if (wide) {
        const int length = ((first & 1) << 8 | second);
        painter.Paint(palette[first >> 4], length == 0 ? 512 : length);
      } else {
        const Rgb colour{Scale3(first >> 2), Scale3(first >> 5), Scale2(first)};
        painter.Paint(colour, second == 0 ? 256 : second);
      }
    }
    if (got < sizeof record) {
      // The data ends here: the picture stays as far as it was drawn.
      ReportError(kErrReadSector, static_cast<int>(r), sourceName);
      break;
    }
  }
  return MyartResult::kDrawn;
}

Picture ShowMyart(const PaneState& pane, int index, int mode) {
  Picture picture;
  if (index < 0 || index >= pane.RowCount()) return picture;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
  PcFile file;
  if (!OpenViewSource(pane, row, file)) return picture;
  PcFileData data(file);
  picture.image = MakeMyartBitmap(mode);
  if (DrawMyart(data, mode, row.level3Records, row.tiName, row.sourceName, picture.image) ==
      MyartResult::kNotMyart)
    return Picture{};
  const bool wide = mode == kPictureMyart512;
  picture.title = LocationTitle(pane, row) + fmt::sprintf(" (size= %d bytes: %ux212, %u colors)",
                                                          row.level3Records * 128, wide ? 512u : 256u,
                                                          wide ? 16u : 256u);
  picture.safeName = SafePcName(row.tiName);
  picture.ok = true;
  return picture;
}

}  // namespace korvane
