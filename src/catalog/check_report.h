// What a consistency check of one container found. Every container kind
// (floppy image or card volume, archive, TI file on the PC, and later hard
// disks and cards) produces the same report, so the command line, the GUI and
// the write guard read findings without knowing who made them.
//
// A finding is an error when a TI (or a reader of the format) would misread
// or lose data, a warning when the structure is unusual but reads correctly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

enum class Severity { Warning, Error };

// What kind of fault a finding is. Repair and the write guard decide by this,
// never by the reason text.
enum class FindingCode {
  NotContainer,         // the file is no container or TI file any longer
  ReadFailed,           // a sector or byte range could not be read
  VibGeometry,          // sides, density, tracks or sectors per track
  VibTotal,             // total sectors against the image size or the AU table
  ImageSize,            // image length not a whole number of sectors
  SubdirSlot,           // a floppy sub-directory slot of the VIB
  FdirOutOfRange,       // an index entry names a sector outside the disk
  FdirSystemSector,     // an index entry names the VIB or an index sector
  FdirDuplicateSector,  // the same FDR sector listed twice
  FdirUnsorted,         // entries out of name order
  FdirDuplicateName,    // two files with the same name
  FdirNoTerminator,     // 128 entries and no end mark
  FdirAfterEnd,         // non-zero words after the end mark
  FdrUnreadable,        // an FDR sector lies outside the image
  FdrName,              // the name breaks the TI's name rules
  FdrFlags,             // reserved flag bits or an impossible type
  FdrAttributes,        // level-3 count, EOF offset, records per sector
  ChainOutOfRange,      // a fragment outside the disk or in the system area
  ChainBroken,          // offsets that go backwards, or more than fits
  ChainLength,          // chain length against the FDR's sector count
  SharedSector,         // a sector used by two files, or a file and the system
  BitmapClearButUsed,   // a used sector marked free: the next write destroys it
  BitmapSetButUnused,   // a free sector marked used: space lost
  BitmapPastEnd,        // allocation units beyond the disk marked free
  ArchiveDirectory,     // archive directory entries and end mark
  ArchiveData,          // members against the archive's data
  ArchiveStream,        // the LZW code stream
  HeaderSize,           // a TI header against the PC file's size
  PartitionTable,       // a hard disk's partition table and its entries
  DirectoryTree,        // a hard disk's DDR tree: loops, parents, markers
  CardHeader,           // a card image's header and size
  MountRecord,          // a card's DSK1-DSK3 record
};

struct Finding {
  Severity severity = Severity::Error;
  FindingCode code = FindingCode::NotContainer;
  std::string structure;   // "VIB", "FDIR", "FDR", "data chain", "bitmap", "header" ...
  int64_t sector = -1;     // the sector of that structure, -1 when none applies
  std::string file;        // the TI file or sub-directory concerned, "" for none
  std::string reason;      // one line
  // For findings about a file: its FDR sector (0 none), and for a shared
  // sector the FDR of the other file (0 none, or the system area).
  uint16_t fdrSector = 0;
  uint16_t otherFdr = 0;
};

struct CheckReport {
  std::string container;  // the path as the user gave it
  std::string kind;       // "DSK", "PC99", "ARC", "TI file" ...
  std::vector<Finding> findings;

  Finding& Add(Severity severity, FindingCode code, std::string structure, int64_t sector, std::string reason);
  Finding& Error(FindingCode code, std::string structure, int64_t sector, std::string reason) {
    return Add(Severity::Error, code, std::move(structure), sector, std::move(reason));
  }
  Finding& Warning(FindingCode code, std::string structure, int64_t sector, std::string reason) {
    return Add(Severity::Warning, code, std::move(structure), sector, std::move(reason));
  }

  int Errors() const;
  int Warnings() const;
  bool Has(FindingCode code) const;
};

// "error: FDR sector 5 (HELLO): level-3 count 9 is more than the 3 sectors"
std::string FormatFinding(const Finding& finding);
const char* SeverityName(Severity severity);
// A stable name of the code for machine-readable output ("BitmapClearButUsed").
const char* FindingCodeName(FindingCode code);

// Whether two findings speak of the same fault (used to tell, after a
// repair, which of the first findings are gone).
bool SameFault(const Finding& a, const Finding& b);

}  // namespace korvane
