// Builds CF7A+ cards in memory the way the format says: card image files
// (128-byte header, compact 256-byte sectors) and raw cards as a card reader
// shows them (512-byte device sectors, the TI byte in the even positions).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

struct CardLayout {
  // Volume contents in order: a V9T9 image of up to 1600 sectors (padded
  // with E5h to 1600), or empty for a volume never formatted (all zeros).
  std::vector<Bytes> volumes;
  uint64_t extraSectors = 0;  // TI sectors after the last volume (a partial volume)
  bool mount = false;         // a mount record AAh 03h and the three numbers
  std::array<uint16_t, 3> mounted{};
};

// An empty formatted volume named `name` (1600 sectors, 40 x 20 x 2).
Bytes FormattedVolume(const std::string& name);

// The card's TI sectors one after another (no header).
Bytes CardSectors(const CardLayout& layout);

// A card image file: header named `name` (with the mount record when
// `layout.mount`), then the sectors. The mount record is never in sector 0.
Bytes CardImageFile(const std::string& name, const CardLayout& layout);

// A raw card: each TI sector spread to 512 bytes, E4h in the odd bytes of
// each volume's first sector, E5h elsewhere; the mount record in sector 0.
Bytes RawCard(const CardLayout& layout);

// The TI sectors of a raw card (even bytes).
Bytes CompactRawCard(const Bytes& raw);

// TI sector `s` (256 bytes) of compact sectors.
Bytes SectorOf(const Bytes& sectors, uint64_t s);

// Makes `path` a sparse file of `bytes` bytes.
void MakeSparseFile(const std::string& path, uint64_t bytes);

}  // namespace korvane::test
