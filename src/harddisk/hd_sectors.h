// Reaching the sectors of a hard-disk volume and the data of its files.
//
// A volume starts at a base sector of its image (0 for a plain image, twice
// the partition offset for a partition); volume sector s lies at file offset
// (base + s) * 256. A file's data is the chain of AU ranges in its FDR: block
// (first AU a, last AU b) covers volume sectors SPAU * a to SPAU * (b + 1) - 1,
// blocks in file order, as many sectors as the FDR's data-sector count.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "floppy/sector_source.h"
#include "floppy/v9t9.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {

// The sectors of one volume of a hard-disk image. Reads outside the volume
// (when its size is known) fail like a read past the end of the image, so
// that a damaged pointer in one partition never shows another partition's
// bytes. Hard-disk images are never written: WriteSector reports and refuses.
class HardDiskSectors : public SectorSource {
 public:
  // `volumeSectors` 0: size unknown, only the image's end limits reads.
  HardDiskSectors(PcFile& file, std::string name, uint32_t baseSector, uint32_t volumeSectors = 0)
      : file_(file), name_(std::move(name)), base_(baseSector), volumeSectors_(volumeSectors) {}
  bool ReadSector(uint32_t n, Sector& out) override;
  const std::string& Name() const override { return name_; }
  uint32_t BaseSector() const { return base_; }
  uint32_t VolumeSectors() const { return volumeSectors_; }

 private:
  PcFile& file_;
  std::string name_;
  uint32_t base_;
  uint32_t volumeSectors_;
};

// Opens the volume a hard-disk row lives in (a file, directory or partition
// row: its volume position is the base): reads and checks the volume's VIB
// (error 9 when it is none) and returns its sectors, limited to the volume.
// `file` must be open for reading and outlive the source. nullptr after a
// reported error.
std::unique_ptr<HardDiskSectors> OpenHardDiskVolume(PcFile& file, const std::string& imagePath,
                                                    uint32_t baseSector);

// The data chain of a hard-disk FDR as runs of volume sectors, in file
// order, cut to the FDR's data-sector count. Only the FDR's own 54 blocks are
// read. A block whose first AU is 0 (the VIB's AU, never file data) or whose
// last AU lies before its first ends the chain.
std::vector<Fragment> HardDiskDataChain(ByteView fdrBytes, uint16_t spau);

// Reads a file's data sectors through its chain and hands each to `sink`
// with its file-relative index. Stops (false) at the first failed read,
// which the source has reported, or when the sink returns false. A chain
// that ends before the data-sector count ends the file there.
bool ReadHardDiskFileSectors(SectorSource& source, ByteView fdrBytes, uint16_t spau,
                             const std::function<bool(uint32_t index, const Sector&)>& sink);

// ---- One entry for every container ------------------------------------------
// A TI row read from a container names its FDR differently per container:
// a floppy row by sector (fdrSector), a hard-disk row (container kind 13) by
// AU (own AU x SPAU, which a 16-bit sector field cannot hold on large
// volumes). These two answer for either, so that export and the views need
// no case of their own.

// The sector of the row's FDR in its container's numbering.
uint32_t RowFdrSector(const CatalogEntry& row);

// Walks the row's data chain: the AU-range chain for a hard-disk row, the
// floppy chain (with the row's density) for any other.
bool ReadRowFileSectors(SectorSource& source, const CatalogEntry& row, ByteView fdrBytes,
                        const std::function<bool(uint32_t index, const Sector&)>& sink);

// ---- Free space -------------------------------------------------------------
// Free allocation units of the volume at `baseSector`, counted in the bitmap
// of volume sectors 1-31 (stopping at the first that cannot be read). Only
// the bits of the volume's own AUs count: bits past the total AU number say
// nothing about the volume. Reports error 1 when the image cannot be opened
// (result 0).
uint32_t CountFreeAllocationUnits(const std::string& imagePath, uint32_t baseSector);

// The same over bitmap bytes already read (31 sectors or fewer).
uint32_t CountFreeBits(ByteView bitmap, uint32_t totalAus);

}  // namespace korvane
