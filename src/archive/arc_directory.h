// The directory of a TI archive.
//
// Directory block, 256 bytes: 14 entries of 18 bytes (bytes 0-251), then a
// 4-byte trailer; the trailer of the last block reads "END!". An entry whose
// first two bytes are 0 (plain form) or whose first byte is 0 (compressed
// form) also ends the directory. Directory entry:
//   00-09  TI file name, space padded
//   0a     status flags
//   0b     records per sector
//   0c-0d  total sectors (big-endian)
//   0e     EOF offset
//   0f     logical record length
//   10-11  level-3 record count: HIGH byte first in a plain archive, LOW
//          byte first in a compressed one
//
// The members' data sectors follow the last directory block, member after
// member in directory order, each taking exactly its total sectors. In a
// plain archive (DIS/FIX 128) these are the archive file's own sectors; in a
// compressed one (INT/FIX 128) they are 256-byte blocks of decoded output.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_input.h"
#include "archive/lzw_decoder.h"
#include "catalog/entry.h"

namespace korvane {

namespace arc {
constexpr size_t kEntrySize = 18;
constexpr size_t kEntriesPerBlock = 14;
constexpr size_t kTrailer = 252;
constexpr size_t kName = 0x00;
constexpr size_t kStatus = 0x0a;
constexpr size_t kRecordsPerSector = 0x0b;
constexpr size_t kTotalSectors = 0x0c;
constexpr size_t kEofOffset = 0x0e;
constexpr size_t kRecordLength = 0x0f;
constexpr size_t kLevel3 = 0x10;
constexpr size_t kPlainDirectorySectors = 10;  // the plain walk reads no further
constexpr size_t kMaxCompressedEntries = 127;
}  // namespace arc

using ArcEntryBytes = std::array<uint8_t, arc::kEntrySize>;

struct ArchiveDirectory {
  bool compressed = false;
  std::vector<ArcEntryBytes> entries;  // in directory order, up to the end mark
  uint32_t directoryBlocks = 0;        // blocks before the first member's data
};

// Reads the directory of a plain archive from its first 10 data sectors.
// False when the data begins with "GIF" (a picture, not an archive).
bool ReadPlainDirectory(ArchiveInput& input, ArchiveDirectory& directory);

// Decodes the directory of a compressed archive, leaving `decoder` at the
// first member's data. False when the stream does not begin with 80h. A
// stream that breaks off inside the directory gives the entries decoded so
// far. At most 127 entries are taken.
bool ReadCompressedDirectory(LzwDecoder& decoder, ArchiveDirectory& directory);

// The row of member `index`: TI name (a leading blank gives "no_name!! "),
// attributes, kind from the status flags, header kind V9T9, archive flags.
CatalogEntry ArchiveMemberRow(const ArcEntryBytes& entry, uint16_t index, bool compressed,
                              const std::string& sourceName);

// Total sectors of an entry.
uint16_t ArchiveEntrySectors(const ArcEntryBytes& entry);

}  // namespace korvane
