// One row of a pane (CatalogEntry), the row kinds, and the list of rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// Row kind, shown by name in the Type column.
enum EntryKind : uint16_t {
  kKindVolume = 0,  // a row whose kind was never set
  kKindDisFix = 1,
  kKindDisVar = 2,
  kKindIntFix = 3,
  kKindIntVar = 4,
  kKindProgram = 5,
  kKindSubdir = 6,
  kKindUprdir = 7,
  kKindUnknown = 8,
  kKindDsk = 9,        // V9T9 floppy sector image
  kKindPc99Sd = 10,    // PC99 single-density track image
  kKindPc99Dd = 11,    // PC99 double-density track image
  kKindPtImg = 12,     // partitioned hard-disk image
  kKindHdImg = 13,     // hard-disk image
  kKindCardDrive = 14, // volume of a CF7A+ card in a drive
  kKindCardImg = 15,   // CF7A+ card image file
  kKindCardVolume = 16,// volume of a CF7A+ card image file
  kKindDos = 17,       // plain PC file without a TI header
};

inline constexpr int kEntryKindCount = 18;

// "DIS/FIX", "DSK", ...; "UNKNOWN" for numbers outside the table.
const char* KindName(int kind);

inline bool IsTiFileKind(int kind) { return kind >= kKindDisFix && kind <= kKindProgram; }
inline bool IsFloppyImageKind(int kind) { return kind >= kKindDsk && kind <= kKindPc99Dd; }
// Rows whose attribute area holds a DiskSummary instead of file attributes.
inline bool HasDiskSummaryKind(int kind) {
  return IsFloppyImageKind(kind) || kind == kKindCardDrive || kind == kKindCardVolume;
}

enum HeaderKind : uint16_t {
  kHeaderNone = 0,
  kHeaderV9t9 = 1,
  kHeaderTifiles = 2,
  kHeaderClassic99 = 3,
};

// "v9t9", "tifiles", "classic99", or "" for none.
const char* HeaderKindName(int headerKind);

// What a pane's list was read from.
enum LocationType : int32_t {
  kLocPcDirectory = 0,
  kLocCardDrive = 1,      // CF7A+ card in a drive: its volume list
  kLocFloppy = 2,         // floppy sector image
  kLocPc99 = 3,           // PC99 track image
  kLocHdImage = 4,        // hard-disk image or one of its sub-directories
  kLocPtImage = 5,        // partitioned hard-disk image
  kLocCardImage = 6,      // CF7A+ card image: its volume list
  kLocCardImageVolume = 7,// one volume of a card image
  kLocArchive = 8,        // ARC archive
};

// Status flags of an FDR or PC header.
namespace status {
inline constexpr uint8_t kProgram = 0x01;
inline constexpr uint8_t kInternal = 0x02;
inline constexpr uint8_t kReserved04 = 0x04;
inline constexpr uint8_t kProtected = 0x08;
inline constexpr uint8_t kArchived = 0x10;
inline constexpr uint8_t kReserved20 = 0x20;
inline constexpr uint8_t kReserved40 = 0x40;
inline constexpr uint8_t kVariable = 0x80;
inline constexpr uint8_t kReservedMask = kReserved04 | kReserved20 | kReserved40;
}  // namespace status

// What is kept of a floppy VIB, per image row and per open container.
struct DiskSummary {
  std::string volumeName;     // 10 characters, "no_name!! " when byte 0 is a space
  uint16_t kind = 0;          // 9, 10 or 11 (16 for a card volume)
  std::string marker;         // VIB bytes 13-15 ("DSK")
  uint16_t totalSectors = 0;  // VIB 10-11
  uint16_t sectorsPerTrack = 0;
  uint16_t protection = 0;    // VIB 16
  uint16_t tracksPerSide = 0; // VIB 17, or derived when 0
  uint16_t sides = 0;         // VIB 18, 0 read as 1
  uint16_t density = 0;       // VIB 19, 0 read as 1
  uint16_t free = 0;          // 1600 - set bits in the bitmap (allocation units)
  uint16_t total = 0;         // total sectors again: what the Size column shows
  uint16_t used = 0;          // total - free
};

struct CatalogEntry {
  // For a PC-directory row the PC name as the scan returned it, never
  // shortened (file operations open it). For a row inside a container the
  // container's PC name, or "%s->%s" for nested containers.
  std::string sourceName;
  std::string tiName;   // 10 characters, space padded ("no_name!! " rules apply)
  std::string comment;  // up to 36 visible characters
  uint16_t kind = kKindVolume;

  uint16_t containerKind = 0;  // 9, 10, 11 for a row read from a floppy; 16 for a card volume
  uint16_t containerDensity = 0;
  int16_t containerTracks = 0;
  int16_t containerSectorsPerTrack = 0;
  uint16_t hdFields[4] = {0, 0, 0, 0};  // used by hard-disk image rows
  int32_t volumePosition = 0;   // card volume first sector, or byte position of a volume's sector 0
  uint32_t sizeInSectors = 0;   // HDIMG, PTIMG and CF7A+IMG rows

  // TI file attributes (rows of TI files).
  uint16_t statusFlags = 0;
  uint16_t totalSectors = 0;
  uint16_t recordLength = 0;  // for PROGRAM: the program's size in bytes
  uint16_t recordsPerSector = 0;
  uint16_t eofOffset = 0;
  uint16_t level3Records = 0;
  uint16_t fdrSector = 0;  // sector of the FDR inside an image; directory record for hard-disk subdirs

  // Disk-image and valid card-volume rows: the image's summary.
  DiskSummary disk;

  uint16_t headerKind = kHeaderNone;
  bool archiveMember = false;
  uint16_t archiveIndex = 0;       // archive member: its place in the archive's directory, from 0
  bool archiveCompressed = false;  // archive member: the archive is LZW-compressed
  bool marked = false;

  // The 16-bit total-sectors field as the Size sort compares it: disk rows
  // compare by what their summary holds in that place.
  uint16_t SortSectors() const;
};

// A pane's rows; the list owns them.
using FileList = std::vector<CatalogEntry>;

// Fills a row from a PC directory name: "." gives no row (returns false);
// ".." gives UPRDIR; anything else SUBDIR with the dots removed from the TI
// name (at most 12 characters).
bool MakeDirectoryRow(const std::string& pcName, CatalogEntry& row);

}  // namespace korvane
