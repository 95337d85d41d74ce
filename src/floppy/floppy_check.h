// Consistency check of a TI floppy file system, read through a SectorSource
// so that an image file, a card volume (sectors at an offset) and a PC99
// track image are checked by the same code.
//
// What is read: the VIB, the file index of the root and of each floppy
// sub-directory, and one FDR per file. Data sectors are never read, so the
// check costs about as much as a listing.
//
// What is checked:
//   VIB      "DSK", sides, density, tracks and sectors per track against the
//            total, the total against the image size and the AU table
//   FDIR     entries inside the disk and not in the system area, each FDR
//            listed once, sorted by name as unsigned bytes, no name twice,
//            at most 127 entries and an end mark
//   FDR      name rules, status flags, level-3 count / EOF / records per
//            sector against the type
//   chain    fragments inside the disk, offsets rising, length against the
//            FDR's sector count, no sector shared with another file or with
//            the VIB and the index sectors
//   bitmap   every used sector marked, nothing else marked, allocation units
//            past the end marked
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/check_report.h"
#include "floppy/sector_source.h"
#include "floppy/v9t9.h"

namespace korvane {

// One directory level: the root (slot -1, FDIR sector 1) or a sub-directory.
struct FloppyDir {
  int slot = -1;             // VIB sub-directory slot 0-2, -1 for the root
  std::string name;          // "" for the root
  uint16_t fdirSector = 1;
  bool readable = false;     // the index sector could be read
  Sector fdir{};
  std::vector<uint16_t> entries;  // up to the first 0, at most 128
};

// One file as its FDIR entry and FDR describe it.
struct FloppyFile {
  size_t dir = 0;            // index into FloppyModel::dirs
  size_t slot = 0;           // FDIR slot
  uint16_t fdrSector = 0;
  bool readable = false;     // the FDR could be read
  bool duplicateEntry = false;  // the same FDR was listed before: not walked again
  Sector fdr{};
  std::string name10;        // FDR bytes 0-9
  std::vector<Fragment> chain;  // fragments as the chain states them (not cut)
  uint32_t chainSectors = 0;    // sectors the chain covers
  int backwardsEntry = -1;      // the chain entry whose offset goes backwards
  bool chainGoesOn = false;     // entries follow once the file's sectors are covered
};

// The structures of a floppy as read, with the use of every sector.
struct FloppyModel {
  Sector vib{};
  uint16_t totalSectors = 0;
  uint16_t density = 1;
  unsigned au = 1;
  uint64_t imageSectors = 0;  // whole sectors the container holds, 0 unknown
  std::vector<FloppyDir> dirs;
  std::vector<FloppyFile> files;

  bool Usable() const { return au != 0 && totalSectors != 0; }
};

// Reads the VIB, the indexes and the FDRs. `imageBytes` is the size of the
// container (0 when unknown); sectors past it are not read. Problems with
// the VIB that leave nothing to walk are reported into `report`; false then.
bool ReadFloppyModel(SectorSource& sectors, uint64_t imageBytes, FloppyModel& model, CheckReport& report);

// The full check. The report's container and kind are left to the caller.
void CheckFloppy(SectorSource& sectors, uint64_t imageBytes, CheckReport& report);
// The same on a model already read (its VIB problems already reported).
void CheckFloppyModel(const FloppyModel& model, CheckReport& report);

// The cheap check before a write into the directory level whose index is in
// `fdirSector`: that index in range, sorted and ended; the bitmap marks every
// FDR and data sector of every file; the file called `targetName10` (when it
// exists) has a sound FDR and chain, shared with no other file. Returns the
// first finding that makes the write unsafe.
std::optional<Finding> FindWriteHazard(SectorSource& sectors, uint16_t fdirSector, const std::string& targetName10);

// Reports a write refused because of `finding` (error code 8, "Disk error"),
// with a hint to repair the image first.
void ReportWriteHazard(const std::string& path, const Finding& finding);

// The geometry of a new image of `totalSectors`, when the size is one of the
// standard ones; `hint` (a VIB) chooses between 1440-sector layouts.
struct StandardGeometry {
  uint16_t total;
  uint8_t sectorsPerTrack, tracksPerSide, sides, density;
};
std::optional<StandardGeometry> StandardGeometryFor(uint64_t totalSectors, ByteView hint);

}  // namespace korvane
