// The Image Information of a hard-disk image row (kinds 12 and 13): what the
// dialog and `korvane-cli info` show, as values and as the texts of its
// fields.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/entry.h"

namespace korvane {

// One volume line: the plain image, or one partition.
struct HardDiskVolumeInfo {
  int partition = 0;             // 1-4, 0 for a plain image
  bool readable = false;         // the volume's sector 0 is a valid VIB
  std::string label;             // volume name
  uint32_t partitionOffset = 0;  // 512-byte units (partitions only)
  uint32_t partitionSize = 0;
  uint16_t totalAus = 0;
  uint16_t spau = 0;
  uint32_t size = 0;             // sectors: SPAU x total AU
  uint32_t free = 0;             // sectors: free AUs x SPAU, counted at this volume's own base
  int64_t used = 0;              // size - free

  // The field texts: ">%08X" for offset and size, ">%04X" for total AU,
  // "%d" for the rest.
  std::string OffsetText() const;
  std::string PartitionSizeText() const;
  std::string TotalAusText() const;
};

struct HardDiskImageInfo {
  std::string pcName;      // the row's source name
  uint32_t fileSize = 0;   // the row's size in sectors
  std::string mediaType;   // "HDIMG" or "PTIMG"
  bool partitioned = false;
  // The plain image's volume, or partition 1 followed by each of
  // partitions 2-4 whose offset is not 0.
  std::vector<HardDiskVolumeInfo> volumes;
};

// Reads the information of an HDIMG or PTIMG `row` of the image at
// `imagePath`. Reports error 1 (cannot open), 6 or 9 (sector 0 unreadable or
// no hard disk) and returns false.
bool ReadHardDiskImageInfo(const std::string& imagePath, const CatalogEntry& row, HardDiskImageInfo& info);

}  // namespace korvane
