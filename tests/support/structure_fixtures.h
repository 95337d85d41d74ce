// Small hard-disk, partitioned-disk and card images for the sector-structure
// tests, laid out byte by byte the way the formats say.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// The time stamp every structure built here carries: 11:17:56, 22-03-15.
inline constexpr uint8_t kStampBytes[4] = {0x5A, 0x3C, 0x2C, 0x6F};

struct HdFileSpec {
  std::string name;
  uint8_t status = 0x80;  // DIS/VAR
  uint8_t recordLength = 80;
  Bytes data;  // padded to whole sectors
};

struct HdDirSpec {
  std::string name;
  std::vector<HdFileSpec> files;
};

struct HdVolumeContents {
  std::string name = "HARDDISK";
  uint16_t sectorsPerAu = 1;  // 1-16
  uint16_t totalAu = 400;
  std::vector<HdFileSpec> files;
  std::vector<HdDirSpec> dirs;
};

// A hard-disk volume: VIB in sector 0 (the root index at volume sector 64),
// then for each sub-directory a DDR and its index, then one FDR per file and
// its data in one block of allocation units. Every structure gets a fresh
// allocation unit.
Bytes BuildHardDiskVolume(const HdVolumeContents& contents);

// Where things landed in the last volume built (allocation units).
struct HdLayout {
  std::vector<uint16_t> ddrAus;      // per sub-directory
  std::vector<uint16_t> rootFdrAus;  // per root file
};
HdLayout LastHardDiskLayout();

struct PartitionSpec {
  Bytes volume;         // empty: an entry with this offset and size but nothing there
  uint32_t offset = 0;  // in 512-byte units
  uint32_t size = 0;    // in 512-byte units
};

// A partitioned disk: the table in sector 0, each partition's bytes at
// 512 * offset. `diskUnits` is the table's total (512-byte units).
Bytes BuildPartitionedDisk(const std::vector<PartitionSpec>& partitions, uint32_t diskUnits);

// A card image file: the 128-byte header, then one volume of 1600 sectors
// per entry (a floppy image, padded; an empty entry stays all zero, never
// initialised).
Bytes BuildCardImage(const std::string& name, const std::vector<Bytes>& volumes);

}  // namespace korvane::test
