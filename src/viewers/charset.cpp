// Character sets: a PROGRAM file with a 6-byte header and then 8 bytes per
// glyph, drawn white on blue, 16 glyphs of 8x8 pixels per row in cells of
// 16 x 16, at most 12 rows (192 glyphs).
//   header 00-01  unused
//          02-03  Vdp address the set is loaded to (big-endian)
//          04-05  size word shown in the title (big-endian)
#include <fmt/printf.h>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "viewers/location_title.h"
#include "viewers/pictures.h"
#include "viewers/view_source.h"

namespace korvane {
namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kPieceSize = 256;
constexpr uint32_t kMaxGlyphs = 192;

}  // namespace

RgbImage MakeCharsetBitmap() { return RgbImage(256 + 2 * kPictureMargin, 192 + 2 * kPictureMargin, kPictureBlue); }

bool DrawCharset(TiData& data, uint16_t programSize, const std::string& sourceName, RgbImage& image,
                 uint16_t& vdpAddress, uint16_t& sizeWord) {
  image.Fill(kPictureBlue);
  uint8_t header[kHeaderSize];
  if (data.ReadAt(0, header, sizeof header) != sizeof header) {
    ReportError(kErrReadSector, 0, sourceName);
    return false;
  }
  vdpAddress = ByteView(header).be16(2);
  sizeWord = ByteView(header).be16(4);
  const size_t glyphBytes = programSize > kHeaderSize ? programSize - kHeaderSize : 0;
  uint8_t piece[kPieceSize];
  uint32_t glyph = 0;
  for (size_t offset = 0, ordinal = 0; offset < glyphBytes && glyph < kMaxGlyphs; offset += kPieceSize, ++ordinal) {
    const size_t want = glyphBytes - offset < kPieceSize ? glyphBytes - offset : kPieceSize;
    const size_t got = data.ReadAt(kHeaderSize + offset, piece, want);
    // Only glyphs whose 8 bytes came are drawn.
    for (size_t g = 0; g + 8 <= got && glyph < kMaxGlyphs; g += 8, ++glyph) {
      const int x = kPictureMargin + 16 * static_cast<int>(glyph % 16);
      const int y = kPictureMargin + 16 * static_cast<int>(glyph / 16);
      DrawCell(image, x, y, piece + g, 8, kPictureWhite, nullptr);
    }
    if (got != want) {
      ReportError(kErrReadSector, static_cast<int>(ordinal), sourceName);
      break;
    }
  }
  return true;
}

Picture ShowCharset(const PaneState& pane, int index) {
  Picture picture;
  if (index < 0 || index >= pane.RowCount()) return picture;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
  if (row.kind != kKindProgram) return picture;
  PcFile file;
  if (!OpenViewSource(pane, row, file)) return picture;
  PcFileData data(file);
  picture.image = MakeCharsetBitmap();
  uint16_t vdp = 0, size = 0;
  if (!DrawCharset(data, row.recordLength, row.sourceName, picture.image, vdp, size)) return Picture{};
  picture.title = LocationTitle(pane, row) + fmt::sprintf(" (size= %d bytes, Vdp address >%04X)", size, vdp);
  picture.safeName = SafePcName(row.tiName);
  picture.ok = true;
  return picture;
}

}  // namespace korvane
