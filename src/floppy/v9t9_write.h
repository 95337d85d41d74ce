// Writing into V9T9 floppy file systems: allocating sectors, adding,
// deleting and renaming files, and creating new images. Every sector goes
// through a SectorSource, so a volume inside a card image (sector 0 at a byte
// offset) uses the same code as an image file.
//
// What changes on disk, and in which order, when a file is added:
//   1. its data sectors (sectors no file uses yet, as far as there is room);
//   2. its FDR; 3. the file index; 4. the VIB with the allocation bitmap.
// Every change is built in memory first. When a write fails, the sectors
// already written are put back as they were, so the index never names a
// free sector and the bitmap never marks sectors that no file owns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "floppy/sector_source.h"
#include "platform/progress.h"
#include "platform/reporter.h"

namespace korvane {

// The first allocation unit data is looked for in; data never lies below it.
inline constexpr unsigned kFirstDataAu = 34;
// An FDR chain holds at most this many 3-byte entries (bytes 1c-fc).
inline constexpr unsigned kMaxChainEntries = 75;

struct AuRun {
  unsigned start = 0;
  unsigned length = 0;  // 0: the disk is full
};

// Looks through the bitmap of `vibSector` from AU `firstAu` up to (not
// including) `limitAu` and the end of the bitmap for `wanted` clear bits in a
// row: the first run that long, else the longest run seen (the earlier wins
// a tie). A run only begins on an AU that is a multiple of `alignment`; it
// may go on through AUs that are not. Marks the result used.
AuRun AllocateRun(Sector& vibSector, unsigned wanted, unsigned firstAu, unsigned limitAu,
                  unsigned alignment = 1);

// Sets or clears bitmap bits.
void BitmapSet(Sector& vibSector, unsigned au, bool used);

// A floppy file system as the write operations hold it: the VIB and the file
// index of one directory level in memory.
struct FloppyVolume {
  SectorSource* sectors = nullptr;
  std::string path;          // for messages
  Sector vib{};
  Sector fdir{};
  uint16_t fdirSector = 1;   // 1 for the root, or a sub-directory's index
  uint16_t totalSectors = 0;
  uint16_t density = 1;
  unsigned au = 1;           // sectors per allocation unit

  // Allocation units that lie wholly on the disk.
  unsigned AuLimit() const { return au ? totalSectors / au : 0; }
  std::vector<uint16_t> Entries() const;
};

// Reads the VIB and the file index. Reports "Can't read sector" or, for a
// VIB that is no floppy, "Can't read diskinfo from diskfile".
bool LoadFloppyVolume(SectorSource& sectors, uint16_t fdirSector, FloppyVolume& volume);

// Where a name stands in the sorted file index.
struct FdirSearch {
  bool ok = false;      // false: an FDR could not be read (reported)
  bool found = false;
  int position = 0;     // the equal entry, or where the name belongs
  uint16_t fdrSector = 0;
  Sector fdr{};         // the FDR of the equal entry
};

// Binary search of the file index by the 10 name bytes, compared unsigned.
FdirSearch SearchFdir(FloppyVolume& volume, const std::string& name10);

// The attributes of a file to be added, as a header or FDR carries them.
struct NewFileAttributes {
  std::string tiName;  // 10 characters
  uint8_t status = 0;
  uint8_t recordsPerSector = 0;
  uint16_t totalSectors = 0;
  uint8_t eofOffset = 0;
  uint8_t recordLength = 0;  // written 0 for a PROGRAM
  uint16_t level3 = 0;
};

// Answers to the questions Add file asks.
enum class AddResult { Added, Skipped, Stop };

struct AddFileRequest {
  NewFileAttributes file;
  // Asked when the name exists: Yes/All overwrite, No skips, Cancel stops.
  std::function<Answer()> askOverwrite;
  // Gives the PC file (128-byte header then data) to copy from; false when
  // it cannot be had (reported). Called once room has been found.
  std::function<bool(std::string& pcPath)> source;
  bool classic99 = false;  // a short last sector is padded with zeros
  Progress* progress = nullptr;
};

// Adds a file to the directory level of `volume`. Errors are reported once;
// on any error the file system is left as it was. Skipped: nothing done (an
// error before any room was taken, or No); Stop: Cancel, or the disk had no
// room for the data (the batch should end).
AddResult AddFile(FloppyVolume& volume, const AddFileRequest& request);

// Deletes the file called `name10`: frees its sectors, takes it out of the
// index and fills its FDR with E5h. False (reported) when it is not there
// or a sector cannot be read or written.
bool DeleteFile(FloppyVolume& volume, const std::string& name10);

// Renames `oldName10` to `newName10`, keeping the index sorted. The VIB is
// not touched. Nothing happens when the names are equal.
bool RenameFile(FloppyVolume& volume, const std::string& oldName10, const std::string& newName10);

// Geometry of a new image.
struct NewImageGeometry {
  uint16_t totalSectors = 720;
  uint8_t sectorsPerTrack = 9;
  uint8_t tracksPerSide = 40;
  uint8_t sides = 2;
  uint8_t density = 1;
};

// The VIB of a new, empty disk: the label in upper case, "DSK", not
// protected, sectors 0 and 1 and every AU past the end marked used.
Sector MakeNewVib(const std::string& label, const NewImageGeometry& geometry);

// Writes a new image file: the VIB, an empty file index, and E5h in every
// other sector. Reports and removes the unfinished file on failure.
bool WriteNewImage(const std::string& path, const std::string& label, const NewImageGeometry& geometry,
                   Progress& progress);

}  // namespace korvane
