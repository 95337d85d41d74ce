// The file system of TI hard disks (SCSI, IDE and WDS controllers), as it
// lies in a hard-disk image on the PC: a plain volume, or a disk whose
// sector 0 is a partition table naming up to four volumes.
//
// Every number is big-endian, except the level-3 record count of an FDR (low
// byte first, as on floppies). A sector is 256 bytes; an allocation unit (AU)
// is SPAU consecutive sectors, SPAU = (hard disk parameters >> 12) + 1.
// Volume sector s lies at file offset (base + s) * 256, base being 0 for a
// plain image and twice the partition offset for a partition.
//
// Volume Information Block, volume sector 0:
//   00-09  volume name
//   0a-0b  total allocation units (at most F800h)
//   0c     sectors per track
//   0d-0f  AUs for files and dirs, step speed, reduced write current cyl.
//   10-11  hard disk parameters: bits 15-12 SPAU - 1
//   12-15  date and time of creation (time word, date word)
//   16     number of files (at most 127)
//   17     number of sub-directories (at most 114)
//   18-19  AU of the root's file index (FDIR); SPAU * this is always 64
//   1a-1b  AU of the DSK1 emulation file
//   1c-ff  114 AUs of the root's sub-directory records, ended by the first 0
// Allocation bitmap: volume sectors 1-31, one bit per AU, AU 0 the top bit
// of the first byte; a set bit is an AU in use.
//
// Directory Descriptor Record (DDR), first sector of its AU: the VIB's
// layout, with "DIR" at 0d-0f and at 1a-1b the AU of the parent's DDR (0
// when the parent is the root).
//
// File Descriptor Index Record (FDIR), first sector of its AU: 127 FDR AUs
// at 00-fd, ended by the first 0; fe-ff the AU of the owning DDR.
//
// File Descriptor Record (FDR), first sector of its AU: bytes 00-1b as on a
// floppy (name, status flags, records per sector, data sectors, EOF offset,
// record length, level-3 count, creation time), then
//   1c-1d "FI"   1e-1f parent FDR AU   20-21 offspring FDR AU
//   22-23 AUs allocated   24-25 FDIR AU   26-27 extended information
//   28-ff  54 data-chain blocks of 4 bytes: first AU, last AU, in file order
//
// Partition table, sector 0 of a partitioned disk ("sectors" here are
// 512-byte units):
//   00-09 "*TI99FSPT*"   0a-0b FFFFh   0e-0f "PT"
//   14-17 total 512-byte sectors of the disk
//   18-37 four partitions: offset (0 = none), size
//   fe-ff 5AA5h
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/byte_view.h"

namespace korvane {

namespace hdvib {
constexpr size_t kName = 0x00;
constexpr size_t kTotalAus = 0x0a;
constexpr size_t kSectorsPerTrack = 0x0c;
constexpr size_t kAusForFiles = 0x0d;
constexpr size_t kStepSpeed = 0x0e;
constexpr size_t kReducedWriteCurrent = 0x0f;
constexpr size_t kMarker = 0x0d;  // "DIR" in a DDR
constexpr size_t kParameters = 0x10;
constexpr size_t kCreated = 0x12;
constexpr size_t kFiles = 0x16;
constexpr size_t kSubdirCount = 0x17;
constexpr size_t kFdirAu = 0x18;
constexpr size_t kDsk1File = 0x1a;  // VIB only
constexpr size_t kParentDdr = 0x1a; // DDR only
constexpr size_t kSubdirs = 0x1c;
constexpr unsigned kMaxSubdirs = 114;
constexpr unsigned kMaxFiles = 127;
constexpr uint16_t kMaxTotalAus = 0xF800;
constexpr uint32_t kRootIndexSector = 64;
constexpr uint32_t kFirstBitmapSector = 1;
constexpr uint32_t kLastBitmapSector = 31;
}  // namespace hdvib

namespace hdfdir {
constexpr size_t kEntries = 0x00;
constexpr unsigned kMaxEntries = 127;
constexpr size_t kOwner = 0xfe;
}  // namespace hdfdir

namespace hdfdr {
constexpr size_t kMarker = 0x1c;  // "FI"
constexpr size_t kParentFdr = 0x1e;
constexpr size_t kOffspringFdr = 0x20;
constexpr size_t kAusAllocated = 0x22;
constexpr size_t kFdirAu = 0x24;
constexpr size_t kExtended = 0x26;
constexpr size_t kChain = 0x28;
constexpr size_t kChainBlockSize = 4;
constexpr size_t kLastChainBlock = 0xfc;  // blocks start at most here
}  // namespace hdfdr

namespace ptable {
constexpr size_t kName = 0x00;
constexpr size_t kTotalAus = 0x0a;  // FFFFh
constexpr size_t kWord12 = 0x0c;
constexpr size_t kMarker = 0x0e;    // "PT"
constexpr size_t kWord16 = 0x10;
constexpr size_t kWord18 = 0x12;
constexpr size_t kTotalSectors = 0x14;
constexpr size_t kPartitions = 0x18;  // 4 x (offset, size), 32 bits each
constexpr size_t kFlag = 0xfe;
constexpr uint16_t kFlagValue = 0x5AA5;
constexpr int kCount = 4;
inline constexpr char kNameText[] = "*TI99FSPT*";
}  // namespace ptable

// One entry of a partition table, in 512-byte units.
struct PartitionEntry {
  uint32_t offset = 0;  // 0 = no partition
  uint32_t size = 0;
  // The volume's base in 256-byte sectors.
  uint64_t BaseSector() const { return 2 * uint64_t{offset}; }
};

// What recognising a sector 0 yields.
struct HardDiskSummary {
  std::string name;        // 10 characters; "no_name!! " when byte 0 is a space
  std::string marker;      // bytes 14-15 of a partition table ("PT"), else the VIB's bytes
  uint16_t totalAus = 0;
  uint16_t sectorsPerTrack = 0;
  uint16_t byte13 = 0, byte14 = 0, byte15 = 0;
  uint16_t parameters = 0;
  uint16_t files = 0;
  uint16_t subdirs = 0;
  uint16_t fdirAu = 0;
  uint16_t spau = 0;
  uint32_t totalSectors = 0;     // volume: SPAU * total AU; partitioned disk: 2 * disk total
  uint32_t diskTotal = 0;        // partition table: the disk's size in 512-byte units
  std::array<PartitionEntry, ptable::kCount> partitions{};
  uint16_t partitionFlag = 0;
  uint16_t kind = 0;             // 12 partitioned, 13 volume, 0 neither
};

// Reads sector 0 of an image or of a volume: 12 when it is a valid partition
// table, else 13 when it is a valid VIB, else 0. `summary` is filled as far
// as the sector was read.
uint16_t RecogniseHardDisk(ByteView sector0, HardDiskSummary& summary);

// Only the partition-table test and its entries.
bool IsValidPartitionTable(ByteView sector0);

// Only the VIB test (total AU, files, sub-directories, root index at 64).
bool IsValidHardDiskVib(ByteView sector0);

// SPAU from the hard disk parameters word: 1 to 16.
inline uint16_t SpauFromParameters(uint16_t parameters) { return static_cast<uint16_t>((parameters >> 12) + 1); }

// Whether a directory record carries "DIR" and a valid name: such a
// sub-directory row can be entered, any other is UNKNOWN.
bool IsDirectoryRecord(ByteView record);

}  // namespace korvane
