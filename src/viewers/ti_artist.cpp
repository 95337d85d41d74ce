// TI-Artist pictures: a pattern file ("_P") of 24 sectors holding the 768
// 8x8 cells of a 256 x 192 screen, cell k at column k mod 32, row k / 32,
// and a colour file ("_C") of the same size whose byte n colours pattern
// byte n: foreground index in the high four bits, background in the low.
#include <fmt/printf.h>

#include <vector>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "viewers/location_title.h"
#include "viewers/pictures.h"
#include "viewers/view_source.h"

namespace korvane {
namespace {

constexpr int kCellsPerRow = 32;
constexpr int kCellRows = 24;

// The first row whose TI name is `name` exactly, or -1.
int FindTiName(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i)
    if (pane.rows[static_cast<size_t>(i)].tiName == name) return i;
  return -1;
}

bool IsPictureHalf(const PaneState& pane, int index) {
  if (index < 0) return false;
  const CatalogEntry& r = pane.rows[static_cast<size_t>(index)];
  return r.kind == kKindProgram && r.totalSectors == kTiArtistSectors;
}

// Picks the pattern and the colour row for the selected row (colour -1:
// none). The partner's name is the selected name with its first "_P"
// turned into "_C", or its first "_C" into "_P".
void PairRows(const PaneState& pane, int selected, int& pattern, int& colour) {
  const std::string& name = pane.rows[static_cast<size_t>(selected)].tiName;
  pattern = selected;
  colour = -1;
  if (size_t at = name.find("_P"); at != std::string::npos) {
    std::string partner = name;
    partner[at + 1] = 'C';
    const int found = FindTiName(pane, partner);
    if (IsPictureHalf(pane, found)) colour = found;
  } else if (size_t at2 = name.find("_C"); at2 != std::string::npos) {
    std::string partner = name;
    partner[at2 + 1] = 'P';
    const int found = FindTiName(pane, partner);
    // Without its pattern file, the colour file is drawn as its own
    // pattern, coloured by itself.
    colour = selected;
    if (IsPictureHalf(pane, found)) pattern = found;
  }
}

// The first 6144 bytes of the colour file; false (reported) when fewer come.
bool ReadColours(const PaneState& pane, const CatalogEntry& row, std::vector<uint8_t>& colours) {
  PcFile file;
  if (!OpenViewSource(pane, row, file)) return false;
  PcFileData data(file);
  colours.resize(kTiArtistColourBytes);
  if (data.ReadAt(0, colours.data(), colours.size()) != colours.size()) {
    ReportError(kErrTiArtistColors, row.tiName);
    return false;
  }
  return true;
}

}  // namespace

RgbImage MakeTiArtistBitmap() { return RgbImage(256 + 2 * kPictureMargin, 192 + 2 * kPictureMargin, kPictureGrey); }

void DrawTiArtist(TiData& pattern, uint16_t sectors, const uint8_t* colours, const std::string& sourceName,
                  RgbImage& image) {
  image.Fill(kPictureGrey);
  SectorReader reader(pattern);
  Sector sector;
  constexpr uint32_t kCells = kCellsPerRow * kCellRows;
  for (uint32_t s = 0; s < sectors && s * 32 < kCells; ++s) {
    const size_t got = reader.Read(s, sector);
    // Draw what came of the sector, whole pixel rows only.
    for (size_t offset = 0; offset < got; offset += 8) {
      const uint32_t cell = s * 32 + static_cast<uint32_t>(offset / 8);
      if (cell >= kCells) break;
      const int x = kPictureMargin + 8 * static_cast<int>(cell % kCellsPerRow);
      const int y = kPictureMargin + 8 * static_cast<int>(cell / kCellsPerRow);
      const size_t rows = got - offset < 8 ? got - offset : 8;
      if (!colours) {
        DrawCell(image, x, y, sector.data() + offset, rows, kPictureBlue, nullptr);
        continue;
      }
      // Each pixel row has its own colour byte.
      for (size_t r = 0; r < rows; ++r) {
        const uint8_t c = colours[cell * 8 + r];
        const Rgb background = TiColour(c & 15);
        DrawCell(image, x, y + static_cast<int>(r), sector.data() + offset + r, 1, TiColour(c >> 4), &background);
      }
    }
    if (got < sector.size()) {
      ReportError(kErrReadSector, static_cast<int>(s), sourceName);
      return;
    }
  }
}

Picture ShowTiArtist(const PaneState& pane, int index) {
  Picture picture;
  if (index < 0 || index >= pane.RowCount()) return picture;
  int patternIndex = 0, colourIndex = -1;
  PairRows(pane, index, patternIndex, colourIndex);
  const CatalogEntry& selected = pane.rows[static_cast<size_t>(index)];
  const CatalogEntry& patternRow = pane.rows[static_cast<size_t>(patternIndex)];

  std::vector<uint8_t> colours;
  const bool haveColours = colourIndex >= 0 && ReadColours(pane, pane.rows[static_cast<size_t>(colourIndex)], colours);

  PcFile file;
  if (!OpenViewSource(pane, patternRow, file)) return picture;
  picture.image = MakeTiArtistBitmap();
  if (patternRow.kind == kKindProgram) {
    PcFileData data(file);
    DrawTiArtist(data, patternRow.totalSectors, haveColours ? colours.data() : nullptr, patternRow.sourceName,
                 picture.image);
  }
  picture.title = LocationTitle(pane, selected) +
                  fmt::sprintf(" (size= %d bytes: %dx%d)", patternRow.totalSectors * 256, 256, 192);
  picture.safeName = SafePcName(selected.tiName);
  picture.ok = true;
  return picture;
}

}  // namespace korvane
