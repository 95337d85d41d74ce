// Builds hard-disk images in memory, laid out the way the TI hard-disk file
// system is described, so that the hard-disk reader is tested against bytes
// it did not write: a VIB with its allocation bitmap, the root index at
// volume sector 64, a DDR and an FDIR per sub-directory, an FDR per file with
// its data chain of AU ranges, and partition tables around volumes.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// A directory of the tree: its files and sub-directories, in the order the
// records list them (the builder keeps the index sorted by name, as real
// disks do).
struct HdDir {
  std::string name;
  std::vector<TiFile> files;  // TiFile::fragments: sizes in AUs, each run one AU apart
  std::vector<HdDir> dirs;

  HdDir& AddDir(const std::string& dirName);
  HdDir& Add(const TiFile& file);
};

// What the builder laid out, by inner path ("" for the root, "TOOLS" and
// "TOOLS.TEXT" for directories, "TOOLS.TEXT.IFIX" for a file).
struct HdImage {
  Bytes bytes;
  uint16_t spau = 1;
  std::map<std::string, uint16_t> dirAu;    // DDR AU (0 for the root: the VIB)
  std::map<std::string, uint16_t> fdirAu;   // index AU of each directory
  std::map<std::string, uint16_t> fdrAu;    // FDR AU of each file
  std::map<std::string, TiFile> files;      // what each file holds

  // Volume sector of an AU.
  uint32_t Sector(uint16_t au) const { return uint32_t{spau} * au; }
  // Writes a big-endian word into volume sector `sector` at `offset`.
  void PutWord(uint32_t sector, size_t offset, uint16_t value);
};

class HardDiskBuilder {
 public:
  // `spau` must divide 64 (1, 2, 4, 8, 16): the root index lies at sector 64.
  HardDiskBuilder(const std::string& volumeName, uint16_t totalAus, uint16_t spau = 1);

  HdDir& Root() { return root_; }
  HardDiskBuilder& SectorsPerTrack(uint8_t n);
  // Leave the bitmap bits past the total AU count clear (some tools do)
  // instead of set.
  HardDiskBuilder& ClearBitmapTail();

  // The volume: SPAU x total AU sectors.
  HdImage Build() const;

 private:
  std::string name_;
  uint16_t totalAus_;
  uint16_t spau_;
  uint8_t sectorsPerTrack_ = 32;
  bool clearTail_ = false;
  HdDir root_;
};

// One partition of a partitioned image: the volume and its offset in
// 512-byte units; the size entry is the volume's size rounded up to 512 bytes.
struct HdPartition {
  uint32_t offset = 0;
  Bytes volume;
};

// Sector 0 of a partitioned disk: "*TI99FSPT*", FFFFh, "PT", the total in
// 512-byte units, four (offset, size) entries, 5AA5h.
Bytes PartitionTableSector(uint32_t total512, const std::vector<std::pair<uint32_t, uint32_t>>& entries);

// A partitioned image of `total512` 512-byte units holding the partitions.
Bytes PartitionedImage(uint32_t total512, const std::vector<HdPartition>& partitions);

}  // namespace korvane::test
