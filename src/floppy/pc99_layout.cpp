#include "floppy/pc99_layout.h"

#include <fmt/printf.h>

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "floppy/pc99.h"

namespace korvane {

bool Pc99LayoutText(const CatalogEntry& imageRow, const std::string& directory, std::string& text) {
  text.clear();
  const std::string imagePath = JoinPath(directory, imageRow.sourceName);
  Pc99Image image;
  if (!image.Open(imagePath, imageRow.kind)) return false;
  Pc99Sectors& sectors = image.Sectors();
  const DiskSummary& summary = image.Summary();

  const Pc99TrackLayout& layout = Pc99Layout(imageRow.kind);
  const uint32_t perTrack = sectors.Geometry().sectorsPerTrack;
  // The text never grows past the size of the edit buffer the listing has
  // always had: (3 * sectors per track + 14) * (tracks + 5) bytes.
  const size_t capacity = (3 * size_t{perTrack} + 14) * (size_t{summary.tracksPerSide} * summary.sides + 5);
  bool full = false;
  auto append = [&](const std::string& piece) {
    if (full || text.size() + piece.size() >= capacity) {
      full = true;
      return;
    }
    text += piece;
  };
  append(fmt::sprintf("\tDisklayout of %s\r\n\r\n", imageRow.sourceName));
  append("\tSide Track Sectors\r\n");
  append("\t" + std::string(65, '-') + "\r\n");

  int previousTrack = -1, previousSide = -1;
  Pc99Record record{};
  for (uint32_t r = 0; r < summary.totalSectors && !full; ++r) {
    // Records are taken by position, without a search or a mark test: the
    // listing shows what lies where.
    const uint64_t offset = uint64_t{r / perTrack} * layout.trackLength + uint64_t{r % perTrack} * layout.recordLength +
                            layout.firstRecord;
    if (!image.File().ReadExact(offset, record.data(), layout.recordLength)) {
      ReportError(kErrReadSector, static_cast<int>(r), imagePath);
      break;
    }
    const int track = record[layout.idTrack], side = record[layout.idSide], number = record[layout.idSector];
    if (track == previousTrack && side == previousSide) {
      append(fmt::sprintf(" %02d", number));
    } else {
      if (r != 0) append("\r\n");
      append(fmt::sprintf("\t%2d   %02d     %02d", side, track, number));
    }
    previousTrack = track;
    previousSide = side;
  }
  return true;
}

std::string Pc99LayoutCaption(const PaneState& pane) {
  if (pane.locationType != kLocPcDirectory && !pane.innerName.empty())
    return fmt::sprintf("%s - %s->%s", "Korvane", pane.locationPath, pane.innerName);
  return fmt::sprintf("%s - %s", "Korvane", pane.locationPath);
}

}  // namespace korvane
