// V9T9 floppy sector images: a PC file holding the 256-byte sectors of a TI
// floppy one after another, sector n at byte n * 256.
//
// Volume Information Block, sector 0:
//   00-09  volume name, space padded
//   0a-0b  total sectors (big-endian)
//   0c     sectors per track
//   0d-0f  "DSK"
//   10     protection byte (a space on images we create)
//   11     tracks per side
//   12     sides
//   13     density (1 single, 2 double; 3 highest accepted: chain starts x4)
//   14-1d  name of floppy sub-directory 1 (first byte 0: none)
//   1e-1f  sector of its file index (0: none)
//   20-29, 2a-2b   sub-directory 2
//   2c-35, 36-37   sub-directory 3
//   38-ff  allocation bitmap, 1600 bits: AU u is bit (u % 8) of byte 0x38 + u/8
//
// File index (FDIR, sector 1 or a sub-directory's sector): big-endian FDR
// sector numbers sorted by file name, ended by the first 0, at most 127.
//
// Data chain (FDR bytes 0x1c..): 3-byte entries b0 b1 b2:
//   start  = (b1 & 0x0f) * 256 + b0   first sector of the fragment (0 ends)
//   offset = b2 * 16 + (b1 >> 4)      file-relative number of its last sector
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "floppy/sector_source.h"
#include "platform/byte_view.h"

namespace korvane {

namespace vib {
constexpr size_t kName = 0x00;
constexpr size_t kTotalSectors = 0x0a;
constexpr size_t kSectorsPerTrack = 0x0c;
constexpr size_t kMarker = 0x0d;
constexpr size_t kProtection = 0x10;
constexpr size_t kTracksPerSide = 0x11;
constexpr size_t kSides = 0x12;
constexpr size_t kDensity = 0x13;
constexpr size_t kSubdirs = 0x14;        // three slots of 12 bytes
constexpr size_t kSubdirSlotSize = 12;   // 10-byte name + index sector
constexpr size_t kSubdirCount = 3;
constexpr size_t kBitmap = 0x38;
constexpr size_t kBitmapBytes = 200;
constexpr unsigned kBitmapBits = 1600;
}  // namespace vib

inline constexpr unsigned kMaxFdirEntries = 127;

// Sectors per allocation unit for a disk of `totalSectors`; 0 beyond 25600
// sectors, where the table ends (such disks are not accepted).
unsigned SectorsPerAllocationUnit(uint32_t totalSectors);

// Fills the summary from a VIB and checks it; false when it is no floppy VIB.
// Free/total/used are zero when it is not.
bool ReadDiskSummary(ByteView vibBytes, uint16_t kind, DiskSummary& summary);

// Sectors per track x tracks per side x sides (a sides byte of 0 counts as
// one side): the size the VIB's geometry describes, which a disk grown onto
// a card volume keeps below its total.
uint32_t VibGeometrySectors(ByteView vibBytes);

// Recognises a floppy or PC99 image from the first 256 bytes of a PC file.
// For a PC99 image the VIB lies inside the track data; `file` is used to read
// it (pass nullptr to take the 256 bytes as the VIB). Returns 9, 10, 11 or 0.
uint16_t RecogniseFloppy(ByteView first256, PcFile* file, DiskSummary& summary);

// PC99 track images carry the VIB at these offsets of the first track.
inline constexpr uint64_t kPc99SdVibOffset = 47;
inline constexpr uint64_t kPc99DdVibOffset = 98;

// One fragment of a file: sectors first..last.
struct Fragment {
  uint32_t first = 0;
  uint32_t last = 0;
};

// Walks the data chain of an FDR (density >= 3 multiplies starts by 4) and
// returns the fragments in file order, cut so that they hold at most the
// FDR's total sectors. Never reads past the FDR.
std::vector<Fragment> ReadDataChain(ByteView fdrBytes, uint16_t density);

// Reads a file's data sectors through the chain and hands each to `sink`
// with its file-relative index. Stops (false) at the first failed read, which
// the source has reported, or when the sink returns false.
bool ReadFileSectors(SectorSource& source, ByteView fdrBytes, uint16_t density,
                     const std::function<bool(uint32_t index, const Sector&)>& sink);

// Reads the FDR sector numbers of a file index: entries up to the first 0,
// at most 128 looked at.
std::vector<uint16_t> ReadFdirEntries(ByteView fdirSector);

// Whether allocation unit `au` is marked used.
bool BitmapTest(ByteView vibBytes, unsigned au);

}  // namespace korvane
