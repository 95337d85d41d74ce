// Applies the faults seen on images made by other tools to images built by
// DiskBuilder, byte by byte, so that the checker, repair and the write guard
// are tested against damage written the way the format lays it out.
#pragma once

#include <string>

#include "support/disk_builder.h"

namespace korvane::test {

// The FDR sector of the root file called `name` (0 when none).
unsigned FdrSectorOf(const Bytes& image, const std::string& name);
// The first data sector of a file's chain (0 when it has none).
unsigned FirstDataSector(const Bytes& image, const std::string& name);

void SetFdirEntry(Bytes& image, unsigned fdirSector, unsigned slot, unsigned value);
void SwapFdirEntries(Bytes& image, unsigned fdirSector, unsigned a, unsigned b);
// Sets or clears the bitmap bit of the AU holding `sector`.
void SetBitmapBitOfSector(Bytes& image, unsigned sector, bool used);
// Writes a new name into a file's FDR (the index is left as it is).
void RenameInFdr(Bytes& image, unsigned fdrSector, const std::string& name);
// Points the first chain entry of `name` at `sector` (a cross-link when
// another file uses that sector).
void PointChainAt(Bytes& image, const std::string& name, unsigned sector);
void SetVibTotal(Bytes& image, unsigned total);
void SetVibGeometry(Bytes& image, unsigned sectorsPerTrack, unsigned tracks, unsigned sides, unsigned density);

// A PROGRAM file of `bytes` bytes whose contents are set by `seed`, so that
// files made with different seeds hold different data.
TiFile PatternedProgram(const std::string& name, size_t bytes, uint8_t seed = 1);

// ALPHA (PROGRAM), BETA (DIS/VAR 80) and GAMMA (PROGRAM in two fragments)
// on a single-sided disk: a sound image to damage.
Bytes ThreeFileImage();

// A 360-sector image with `count` one-sector files F000, F001 ... whose
// index lists all of them: with 128 the index has no end mark.
Bytes ImageWithFiles(unsigned count);

}  // namespace korvane::test
