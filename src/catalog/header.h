// TI file headers on the PC, the file descriptor record (FDR), and the rules
// that turn TI names into PC names and back.
//
// FileDescriptorRecord, one 256-byte sector (a V9T9 header is its first 128
// bytes):
//   00-09  file name, space padded
//   0a-0b  reserved, written 0
//   0c     status flags (01 PROGRAM, 02 INTERNAL, 08 protected, 10 archived,
//          80 VARIABLE; 04, 20, 40 reserved)
//   0d     records per sector
//   0e-0f  total data sectors (big-endian)
//   10     EOF offset: bytes used in the last sector, 0 = all
//   11     logical record length (0 for PROGRAM)
//   12-13  level-3 record count, LOW byte first (the one little-endian field)
//   14-1b  reserved
//   1c-..  data chain, 3-byte entries
//   dc-ff  optional comment when the 64th chain entry (d9-db) is all 0
//
// TIFILES header, 128 bytes:
//   00-07  07h "TIFILES"
//   08-09  total sectors (big-endian)
//   0a     status flags
//   0b     records per sector
//   0c     EOF offset
//   0d     logical record length
//   0e-0f  level-3 record count, low byte first
//   10-19  TI name, optional (absent when 10-11 are CA 53 or both 0)
#pragma once

#include <cstdint>
#include <string>

#include "catalog/entry.h"
#include "platform/byte_view.h"

namespace korvane {

namespace fdr {
constexpr size_t kName = 0x00;
constexpr size_t kReserved10 = 0x0a;
constexpr size_t kStatus = 0x0c;
constexpr size_t kRecordsPerSector = 0x0d;
constexpr size_t kTotalSectors = 0x0e;
constexpr size_t kEofOffset = 0x10;
constexpr size_t kRecordLength = 0x11;
constexpr size_t kLevel3 = 0x12;
constexpr size_t kChain = 0x1c;
constexpr size_t kCommentGuard = 0xd9;  // 64th chain entry, all 0 when a comment follows
constexpr size_t kComment = 0xdc;
constexpr size_t kCommentLength = 36;
constexpr size_t kSize = 256;
}  // namespace fdr

namespace tifiles {
constexpr size_t kMagic = 0x00;
constexpr size_t kTotalSectors = 0x08;
constexpr size_t kStatus = 0x0a;
constexpr size_t kRecordsPerSector = 0x0b;
constexpr size_t kEofOffset = 0x0c;
constexpr size_t kRecordLength = 0x0d;
constexpr size_t kLevel3 = 0x0e;
constexpr size_t kName = 0x10;
inline constexpr char kMagicText[] = "\x07TIFILES";
}  // namespace tifiles

inline constexpr size_t kPcHeaderSize = 128;
inline constexpr size_t kSectorSize = 256;

// Settings that change how names and headers are made. Filled from the
// settings file by the program; defaults as on a fresh installation.
struct NameSettings {
  bool quellanCompatible = false;  // PC-unsafe characters get their high bit set instead of "@"
  bool extractTifiles = false;     // exported files get a TIFILES header instead of V9T9
  std::string picViewer;           // command line of the external picture viewer for GIF files
};
NameSettings& GetNameSettings();

bool HasTifilesMagic(ByteView bytes);

// A 10-byte name field at `at` (a floppy sub-directory name): the bytes up
// to the first 0 byte, padded with spaces to 10 characters.
std::string TakeNameField(ByteView bytes, size_t at);

// Whether a 10-byte TI name is valid: no NUL, and printable characters
// other than space and "." before its last non-space (all spaces is valid).
bool TiNameIsValid(const std::string& name10);

// The 10-character name of an FDR, V9T9 header or VIB: bytes 0-9 taken as
// above, or "no_name!! " when byte 0 is a space.
std::string TakeTiName(ByteView bytes);

// EntryKind from status flags (bits 83h only).
uint16_t KindFromStatus(uint8_t flags);

// PROGRAM size in bytes, in 16 bits: sectors * 256, less 256 plus the EOF
// offset when the EOF offset is not 0.
uint16_t ProgramSize(uint16_t sectors, uint16_t eofOffset);

// Decodes a V9T9 header, TIFILES header or FDR (the first 256 bytes, or as
// many as there are) into the row's name, attributes, header kind and kind.
// `pcName` supplies the TI name of a TIFILES header that carries none; with
// `withComment` the comment is taken from bytes 220-255. Returns whether the
// header is valid.
bool DecodeHeader(ByteView bytes, const std::string& pcName, bool withComment, CatalogEntry& row);

// After a valid TIFILES header in a PC file of `fileSize` bytes: keeps kind 2
// when the header agrees with the size, else makes it Classic99 and corrects
// the attributes. `lastSector` is the file's last data sector (may be empty
// when it could not be read), used for the EOF offset of variable files.
void ApplyClassic99(uint64_t fileSize, ByteView lastSector, CatalogEntry& row);

// Whether a valid TIFILES header agrees with the size of its PC file (else
// the file is a Classic99 one and ApplyClassic99 corrects it).
bool TifilesAgreesWithSize(uint64_t fileSize, const CatalogEntry& row);

// The file offset of the last data sector of a PC file of fileSize bytes.
uint64_t LastDataSectorOffset(uint64_t fileSize);

// TI name to PC-safe name: up to the first space, at most 10 characters, with
// " * / : < > ? \ | replaced by "@" (or by the same byte with its high bit set
// when quellanCompatible).
std::string SafePcName(const std::string& tiName);
std::string SafePcName(const std::string& tiName, bool quellanCompatible);

// PC file name to TI name: up to the first "." (at most 10 characters), upper
// case, space padded to 10.
std::string PcNameToTiName(const std::string& pcName);

// The TI name without its trailing spaces.
std::string TrimTiName(const std::string& tiName);

}  // namespace korvane
