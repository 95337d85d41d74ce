#include "viewers/text_views.h"

#include <fmt/printf.h>

#include <cstring>

#include "catalog/errors.h"

namespace korvane {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr size_t kHexLineLength = 75;

inline bool Printable(uint8_t b) { return b >= 0x20 && b <= 0x7E; }
inline char Shown(uint8_t b) { return Printable(b) ? static_cast<char>(b) : '.'; }

// Reads sector `index` for a view. A sector of which nothing comes is
// reported with its ordinal counted from 1 and ends the view (false); a
// sector that comes partly is used filled up with 0xCC.
bool ReadViewSector(SectorReader& reader, TiData& data, uint32_t index, Sector& sector) {
  if (reader.Read(index, sector) == 0) {
    ReportError(kErrReadSector, static_cast<int>(index + 1), data.Path());
    return false;
  }
  return true;
}

void AppendShown(const uint8_t* bytes, size_t n, std::string& out) {
  const size_t at = out.size();
  out.resize(at + n);
  char* p = out.data() + at;
  for (size_t i = 0; i < n; ++i) p[i] = Shown(bytes[i]);
}

}  // namespace

void AppendHexLines(ByteView bytes, uint32_t address, std::string& out) {
  // The whole block's lines are sized at once and written in place.
  const size_t fullLines = bytes.size() / 16, rest = bytes.size() % 16;
  const size_t at = out.size();
  out.resize(at + fullLines * kHexLineLength + (rest ? 8 + 3 * rest + (16 - rest) + 1 + rest + 2 : 0));
  char* p = out.data() + at;
  for (size_t start = 0; start < bytes.size(); start += 16, address += 16) {
    const size_t count = bytes.size() - start < 16 ? bytes.size() - start : 16;
    const uint8_t* b = bytes.data() + start;
    for (int shift = 28; shift >= 0; shift -= 4) *p++ = kHexDigits[(address >> shift) & 0xF];
    for (size_t i = 0; i < count; ++i) {
      p[0] = ' ';
      p[1] = kHexDigits[b[i] >> 4];
      p[2] = kHexDigits[b[i] & 0xF];
      p += 3;
    }
    for (size_t i = count; i < 16; ++i) *p++ = ' ';
    *p++ = ' ';
    for (size_t i = 0; i < count; ++i) *p++ = Shown(b[i]);
    *p++ = '\r';
    *p++ = '\n';
  }
}

void BuildHexDump(TiData& data, uint32_t sectors, std::string& out) {
  out.reserve(out.size() + size_t{sectors} * 16 * kHexLineLength);
  SectorReader reader(data);
  Sector sector;
  for (uint32_t i = 0; i < sectors; ++i) {
    if (!ReadViewSector(reader, data, i, sector)) return;
    AppendHexLines(ByteView(sector.data(), sector.size()), i * 256u, out);
  }
}

void BuildRecordView(TiData& data, const CatalogEntry& row, std::string& out) {
  const bool variable = row.kind == kKindDisVar || row.kind == kKindIntVar;
  const uint32_t sectors = variable ? row.level3Records : row.totalSectors;
  SectorReader reader(data);
  Sector sector;
  uint32_t record = 0;  // running record number of a fixed-record file
  for (uint32_t i = 0; i < sectors; ++i) {
    if (!variable && record >= row.level3Records) return;
    if (!ReadViewSector(reader, data, i, sector)) return;
    if (variable) {
      // Length byte, data; 0xFF or a record that would run past the
      // sector's end closes the sector. Records never continue.
      size_t p = 0;
      while (p < sector.size()) {
        const uint8_t n = sector[p];
        if (n == 0xFF || p + 1 + n > sector.size()) break;
        AppendShown(sector.data() + p + 1, n, out);
        out += "\r\n";
        p += 1u + n;
      }
    } else {
      // Records packed from byte 0; the bytes after the last whole record
      // of a sector are unused.
      const size_t length = row.recordLength;
      for (size_t r = 0; r < row.recordsPerSector && record < row.level3Records; ++r) {
        if ((r + 1) * length > sector.size()) break;
        AppendShown(sector.data() + r * length, length, out);
        out += "\r\n";
        ++record;
      }
    }
  }
}

bool LooksLikeForth(TiData& data, const CatalogEntry& row) {
  if (row.kind != kKindDisFix || row.recordLength != 128 || row.totalSectors <= 40) return false;
  uint8_t block[1024];
  uint64_t offset = 0;
  for (int b = 0; b < 3; ++b) {
    const size_t got = data.ReadAt(offset, block, sizeof block);
    offset += got;
    if (got != sizeof block) continue;
    for (uint8_t& c : block) {
      if (!Printable(c)) return false;
      if (c >= 'a' && c <= 'z') c = static_cast<uint8_t>(c - 'a' + 'A');
    }
    const std::string_view text(reinterpret_cast<const char*>(block), sizeof block);
    const size_t colon = text.find(": ");
    const size_t semicolon = text.find(" ;");
    if (colon != std::string_view::npos && semicolon != std::string_view::npos && semicolon >= colon + 3)
      return true;
  }
  return false;
}

void BuildForthView(TiData& data, uint32_t sectors, std::string& out) {
  out.reserve(out.size() + size_t{sectors} * 264 + (sectors / 4 + 1) * 23);
  SectorReader reader(data);
  Sector sector;
  for (uint32_t i = 0; i < sectors; ++i) {
    if (!ReadViewSector(reader, data, i, sector)) return;
    if (i % 4 == 0) {
      out += fmt::sprintf("Block %03u\r\n", i / 4 + 1);
      out += "---------\r\n";
    }
    for (size_t line = 0; line < 4; ++line) {
      AppendShown(sector.data() + line * 64, 64, out);
      out += "\r\n";
    }
    if ((i + 1) % 4 == 0) out += "\r\n";
  }
}

}  // namespace korvane
