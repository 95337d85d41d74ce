#include "catalog/header.h"

#include <algorithm>

namespace korvane {
namespace {

bool IsPrintable(uint8_t c) { return c >= 0x20 && c <= 0x7e; }
bool IsVisible(uint8_t c) { return c > 0x20 && c <= 0x7e; }

// TIFILES names and names taken from PC names: once a space has been produced
// every later position is a space; each byte loses its high bit and becomes a
// space when it is not printable or is ".".
std::string TakeLooseName(ByteView bytes, size_t length) {
  std::string name(10, ' ');
  bool ended = false;
  for (size_t i = 0; i < 10; ++i) {
    if (ended || i >= length) {
      ended = true;
      continue;
    }
    uint8_t c = bytes.u8(i) & 0x7f;
    if (!IsPrintable(c) || c == '.') c = ' ';
    if (c == ' ') ended = true;
    name[i] = static_cast<char>(c);
  }
  return name;
}

std::string TakeComment(ByteView bytes) {
  std::string comment;
  // Only when the 64th chain entry is empty and the first byte is visible.
  if (!bytes.has(fdr::kComment, 1)) return comment;
  if (bytes.u8(fdr::kCommentGuard) || bytes.u8(fdr::kCommentGuard + 1) ||
      bytes.u8(fdr::kCommentGuard + 2))
    return comment;
  if (!IsVisible(bytes.u8(fdr::kComment))) return comment;
  for (size_t p = fdr::kComment; p < 255 && bytes.has(p); ++p) {
    const uint8_t c = bytes.u8(p);
    if (c == 0) break;
    comment += IsPrintable(c) ? static_cast<char>(c) : '.';
  }
  return comment;
}

}  // namespace

bool TiNameIsValid(const std::string& name) {
  size_t last = std::string::npos;  // last non-space character
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\0') return false;
    if (name[i] != ' ') last = i;
  }
  if (last == std::string::npos) return true;
  for (size_t i = 0; i < last; ++i) {
    const uint8_t c = static_cast<uint8_t>(name[i]);
    if (!IsPrintable(c) || c == ' ' || c == '.') return false;
  }
  return true;
}

NameSettings& GetNameSettings() {
  static NameSettings settings;
  return settings;
}

bool HasTifilesMagic(ByteView bytes) { return bytes.equals(tifiles::kMagic, std::string_view(tifiles::kMagicText, 8)); }

std::string TakeNameField(ByteView bytes, size_t at) {
  // The ten bytes are a name that a 0 byte ends, as in a C string: what
  // follows the first 0 is not part of the name, and a 0 byte must never
  // reach the text of a listing (it would end it there).
  std::string name = bytes.str(at, 10);
  const size_t nul = name.find('\0');
  if (nul != std::string::npos) name.resize(nul);
  name.resize(10, ' ');
  return name;
}

std::string TakeTiName(ByteView bytes) {
  if (bytes.u8(0) == ' ') return "no_name!! ";
  return TakeNameField(bytes, 0);
}

uint16_t KindFromStatus(uint8_t flags) {
  switch (flags & 0x83) {
    case 0x00: return kKindDisFix;
    case 0x80: return kKindDisVar;
    case 0x02: return kKindIntFix;
    case 0x82: return kKindIntVar;
    case 0x01: return kKindProgram;
    default: return kKindUnknown;
  }
}

uint16_t ProgramSize(uint16_t sectors, uint16_t eofOffset) {
  uint16_t size = static_cast<uint16_t>(sectors * 256u);
  if (eofOffset != 0) {
    if (size >= 256) size = static_cast<uint16_t>(size - 256);
    size = static_cast<uint16_t>(size + eofOffset);
  }
  return size;
}

bool DecodeHeader(ByteView bytes, const std::string& pcName, bool withComment, CatalogEntry& row) {
  row.tiName = TakeTiName(bytes);
  row.comment = withComment ? TakeComment(bytes) : std::string();
  uint8_t flags;
  if (!HasTifilesMagic(bytes)) {
    row.headerKind = kHeaderV9t9;
    flags = bytes.u8(fdr::kStatus);
    row.totalSectors = bytes.be16(fdr::kTotalSectors);
    row.eofOffset = bytes.u8(fdr::kEofOffset);
    row.recordLength = bytes.u8(fdr::kRecordLength);
    row.recordsPerSector = bytes.u8(fdr::kRecordsPerSector);
    row.level3Records = bytes.le16(fdr::kLevel3);
  } else {
    row.headerKind = kHeaderTifiles;
    const uint8_t n0 = bytes.u8(tifiles::kName), n1 = bytes.u8(tifiles::kName + 1);
    const bool noName = (n0 == 0xCA && n1 == 0x53) || (n0 == 0 && n1 == 0);
    row.tiName = noName ? std::string(10, ' ') : TakeLooseName(bytes.sub(tifiles::kName, 10), 10);
    if (row.tiName[0] == ' ') {
      // No name in the header: the PC name up to its first ".".
      const std::string stem = pcName.substr(0, pcName.find('.'));
      row.tiName = TakeLooseName(ByteView(reinterpret_cast<const uint8_t*>(stem.data()), stem.size()),
                                 stem.size());
    }
    flags = bytes.u8(tifiles::kStatus);
    row.totalSectors = bytes.be16(tifiles::kTotalSectors);
    row.eofOffset = bytes.u8(tifiles::kEofOffset);
    row.recordLength = bytes.u8(tifiles::kRecordLength);
    row.recordsPerSector = bytes.u8(tifiles::kRecordsPerSector);
    row.level3Records = bytes.le16(tifiles::kLevel3);
  }
  row.statusFlags = flags;
  row.kind = KindFromStatus(flags);
  if (row.kind != kKindUnknown && row.kind != kKindProgram && row.recordLength == 0)
    row.kind = kKindUnknown;
  if (row.kind == kKindProgram) row.recordLength = ProgramSize(row.totalSectors, row.eofOffset);

  if (row.kind == kKindUnknown) return false;
  if (flags & status::kReservedMask) return false;
  if (row.headerKind == kHeaderV9t9) return TiNameIsValid(bytes.str(0, 10));
  return true;
}

uint64_t LastDataSectorOffset(uint64_t fileSize) {
  const uint64_t data = fileSize > kPcHeaderSize ? fileSize - kPcHeaderSize : 0;
  const uint64_t sectors = (data + 255) / 256;
  return kPcHeaderSize + 256 * (sectors ? sectors - 1 : 0);
}

bool TifilesAgreesWithSize(uint64_t fileSize, const CatalogEntry& row) {
  const uint64_t data = fileSize > kPcHeaderSize ? fileSize - kPcHeaderSize : 0;
  const bool programOk = row.kind != kKindProgram || (row.level3Records == 0 && row.recordsPerSector == 0);
  return data % 256 == 0 && row.totalSectors == data / 256 && programOk;
}

void ApplyClassic99(uint64_t fileSize, ByteView lastSector, CatalogEntry& row) {
  const uint64_t data = fileSize > kPcHeaderSize ? fileSize - kPcHeaderSize : 0;
  const uint16_t s = static_cast<uint16_t>((data + 255) / 256);
  if (TifilesAgreesWithSize(fileSize, row)) return;  // a true TIFILES file

  row.headerKind = kHeaderClassic99;
  switch (row.kind) {
    case kKindDisVar:
    case kKindIntVar: {
      row.totalSectors = s;
      row.level3Records = s;
      row.eofOffset = 0;
      for (size_t i = 0; i < lastSector.size() && i < 256; ++i) {
        if (lastSector.u8(i) == 0xFF) {
          row.eofOffset = static_cast<uint16_t>(i);
          break;
        }
      }
      break;
    }
    case kKindProgram:
      row.totalSectors = s;
      row.level3Records = 0;
      row.recordsPerSector = 0;
      row.recordLength = ProgramSize(row.totalSectors, row.eofOffset);
      break;
    default:
      row.totalSectors = s;
      row.eofOffset = 0;
      break;
  }
}

std::string SafePcName(const std::string& tiName) {
  return SafePcName(tiName, GetNameSettings().quellanCompatible);
}

std::string SafePcName(const std::string& tiName, bool quellanCompatible) {
  std::string name;
  for (size_t i = 0; i < tiName.size() && i < 10; ++i) {
    char c = tiName[i];
    if (c == ' ' || c == '\0') break;
    switch (c) {
      case '"': case '*': case '/': case ':': case '<':
      case '>': case '?': case '\\': case '|':
        c = quellanCompatible ? static_cast<char>(static_cast<uint8_t>(c) | 0x80) : '@';
        break;
      default:
        break;
    }
    name += c;
  }
  return name;
}

std::string PcNameToTiName(const std::string& pcName) {
  std::string name;
  for (char c : pcName) {
    if (c == '.' || name.size() == 10) break;
    name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  name.resize(10, ' ');
  return name;
}

std::string TrimTiName(const std::string& tiName) {
  const size_t end = tiName.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : tiName.substr(0, end + 1);
}

}  // namespace korvane
