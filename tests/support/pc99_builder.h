// Builds PC99 track images from a V9T9 sector image, laid out byte by byte
// the way a floppy controller writes FM and MFM tracks (gaps, sync bytes,
// address marks, CRCs), so that the PC99 reader is tested against tracks it
// did not lay out itself.
#pragma once

#include <cstdint>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

struct Pc99Options {
  bool mfm = false;                 // double density (MFM) instead of FM
  uint8_t sectorsPerTrack = 9;
  uint8_t tracksPerSide = 40;
  uint8_t sides = 1;
  // The order in which sector numbers lie on every track; empty: 0, 1, 2, ...
  std::vector<uint8_t> interleave;
  // Logical sectors whose record is left out of its track (the slot keeps
  // its gap bytes but no ID address mark).
  std::vector<uint32_t> missing;
};

// One track image per physical track; side 0 tracks first, then side 1.
Bytes BuildPc99(const Bytes& sectorImage, const Pc99Options& options);

// The V9T9 layout from the TI controller's interleave used by real disks:
// FM 0 7 5 3 1 8 6 4 2, MFM 0 11 4 15 8 1 12 5 16 9 2 13 6 17 10 3 14 7.
std::vector<uint8_t> TiInterleave(bool mfm);

}  // namespace korvane::test
