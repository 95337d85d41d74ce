// The rows of hard-disk images: the image row of a PC directory, the
// partition list of a partitioned image, and one directory of a volume.
//
// Hard-disk rows keep their place on the disk in the CatalogEntry's four
// hard-disk words (parent directory AU, the row's own AU, the index AU,
// SPAU) and its volume position (the volume's base sector). Directory-like
// rows (SUBDIR, "..", HDIMG, partitions) keep their depth in the tree in the
// status-flags word.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/entry.h"
#include "harddisk/hd_format.h"
#include "platform/byte_view.h"

namespace korvane {

namespace hdrow {
constexpr int kParentAu = 0;  // AU of the directory record that lists the row
constexpr int kOwnAu = 1;     // FDR AU of a file, DDR AU of a directory
constexpr int kIndexAu = 2;   // FDIR AU
constexpr int kSpau = 3;
}  // namespace hdrow

// Depth of a directory-like row.
inline int RowDepth(const CatalogEntry& row) { return row.statusFlags; }
// Base sector of the volume a row belongs to.
inline uint32_t RowBase(const CatalogEntry& row) {
  return row.volumePosition > 0 ? static_cast<uint32_t>(row.volumePosition) : 0;
}

// The row of a PC file whose first 256 bytes are a hard-disk image (kind 12
// or 13); false when they are not.
bool MakeHardDiskImageRow(ByteView first256, const std::string& pcName, CatalogEntry& row);

// One directory of a volume as read from the disk.
struct HardDiskDirectory {
  FileList rows;
  // The directory shown: kind 6 (8 when its record fails the directory
  // test; the volume's root is read from the VIB), depth, parent AU (0 at
  // the root), own AU, index AU, SPAU, base. Reading it again lists the
  // same directory.
  CatalogEntry shown;
  HardDiskSummary volume;
};

// Lists the directory whose record is at AU `ownAu` (0: the root, read from
// the VIB) of the volume at `baseSector` of `imagePath`. Rows carry
// `sourceName` and `depth`; with `addUprdir` a ".." row leads to the
// parent. Errors are reported where they happen (1, 6, 8, 9); a pointer
// past the volume ends its section and the rows read so far stay. Returns
// false when the directory itself could not be read.
bool ReadHardDiskDirectory(const std::string& imagePath, const std::string& sourceName, uint32_t baseSector,
                           uint16_t ownAu, int depth, bool addUprdir, HardDiskDirectory& out);

// Lists the partitions of a partitioned image: one kind-13 row per partition
// whose sector 0 is a valid VIB, in table order, carrying `sourceName` and
// `depth`; with `addUprdir` a ".." row first. Error 1 or 9 (no valid
// partition table) end it with false.
bool ReadPartitionList(const std::string& imagePath, const std::string& sourceName, int depth, bool addUprdir,
                       FileList& rows);

// The number (1-4) of the partition a partition row stands for, found by
// its base in the image's table; 0 when none matches or the table cannot be
// read (not reported). Names such as "ide.hd::#2" reach a partition by it.
int HardDiskPartitionNumber(const std::string& imagePath, const CatalogEntry& partitionRow);

}  // namespace korvane
