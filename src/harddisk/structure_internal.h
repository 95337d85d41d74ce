// Shared by the describers of the sector-structure windows: reading a
// structure's sector, and the small builders of fields and targets.
#pragma once

#include <string>

#include "floppy/sector_source.h"
#include "harddisk/structure_view.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane::structure {

// The image opened for one window: structure number n of the context lies
// at sector n of a card-image volume, or at sector sectorsPerAu * n of a
// hard-disk volume or floppy (see StructureContext).
class Reader {
 public:
  explicit Reader(const StructureContext& context);
  // Opens the image; reports error 1 when it cannot.
  bool Open();
  // Reads structure number n; the source reports error 6 with the sector
  // number inside the volume.
  bool ReadUnit(uint32_t n, Sector& out);
  // Reads sector n counted from `byteBase` of the image (the card volume
  // list reads each volume's sector 0 by its card-relative sector).
  bool ReadSectorFrom(uint64_t byteBase, uint32_t n, Sector& out);
  void SetSectorsPerAu(uint32_t spau) { context_.sectorsPerAu = spau; }
  PcFile& File() { return file_; }
  const StructureContext& Context() const { return context_; }

 private:
  StructureContext context_;
  PcFile file_;
};

// The text of a 10-byte name field as it is; a 0 byte ends it.
std::string NameText(ByteView s, size_t offset);
// The name up to its first space (or 0 byte), as list lines show names.
std::string NameToSpace(ByteView s, size_t offset);

void AddField(StructureDescription& d, int id, std::string label, std::string value);

// Bytes 00-1b of a file descriptor record, laid out alike on floppies and
// hard disks: name, extended record length, status, records per sector,
// sectors allocated, end-of-file offset, record length, level 3 records
// (little-endian) and the two time stamps. `ids` are the window's controls
// for these ten fields, in that order.
void AddFdrHeaderFields(StructureDescription& d, ByteView s, const int (&ids)[10]);

StructureTarget StructureAt(const StructureContext& from, StructureKind kind, uint32_t number);

// The name (up to its first space) in the record at structure number n; ok
// is false, reported, when its sector cannot be read.
std::string ReadName(Reader& reader, uint32_t n, bool& ok);

// The list of a file index: one line per word from offset 0 up to `end`,
// the empty ones too; a word that points somewhere is named by the record
// it points to and opens it as `fdrKind`. A failed read ends the list.
void ListFdrPointers(Reader& reader, ByteView s, unsigned end, StructureKind fdrKind, StructureDescription& d);

// The describers, each given the structure's sector already read.
void DescribeFloppyVib(Reader& reader, ByteView s, StructureDescription& d);
void DescribeFloppyFdir(Reader& reader, ByteView s, StructureDescription& d);
void DescribeFloppyFdr(Reader& reader, ByteView s, StructureDescription& d);
// False (reported) when the image's header cannot be read.
bool DescribeCardVolumes(Reader& reader, StructureDescription& d);
void DescribeHardDirectory(Reader& reader, ByteView s, StructureDescription& d);  // VIB or DDR
void DescribeHardFdir(Reader& reader, ByteView s, StructureDescription& d);
void DescribeHardFdr(Reader& reader, ByteView s, StructureDescription& d);
void DescribePartitionTable(Reader& reader, ByteView s, StructureDescription& d);

}  // namespace korvane::structure
