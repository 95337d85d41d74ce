#include "catalog/attribute_check.h"

#include <fmt/printf.h>

#include "catalog/entry.h"
#include "catalog/header.h"

namespace korvane {

TiAttributes AttributesFromFdr(ByteView f) {
  TiAttributes a;
  a.status = f.u8(fdr::kStatus);
  a.recordsPerSector = f.u8(fdr::kRecordsPerSector);
  a.totalSectors = f.be16(fdr::kTotalSectors);
  a.eofOffset = f.u8(fdr::kEofOffset);
  a.recordLength = f.u8(fdr::kRecordLength);
  a.level3 = f.le16(fdr::kLevel3);  // the one little-endian field
  return a;
}

std::string NameProblem(ByteView n) {
  if (n.u8(0) == ' ') return "the name is empty";
  size_t last = 0;  // one past the last non-space character
  for (size_t i = 0; i < 10; ++i)
    if (n.u8(i) != ' ') last = i + 1;
  for (size_t i = 0; i < 10; ++i) {
    const uint8_t c = n.u8(i);
    if (c == 0) return fmt::sprintf("byte %u of the name is 0", static_cast<unsigned>(i));
    if (i >= last) continue;
    if (c == ' ') return "the name holds a space";
    if (c == '.') return "the name holds a \".\"";
    if (c < 0x20 || c > 0x7E) return fmt::sprintf("the name holds the byte >%02X", static_cast<unsigned>(c));
  }
  return {};
}

std::vector<AttributeProblem> CheckAttributes(const TiAttributes& a) {
  std::vector<AttributeProblem> out;
  if (a.status & status::kReservedMask)
    out.push_back({Severity::Error, FindingCode::FdrFlags,
                   fmt::sprintf("reserved status bits >%02X are set", static_cast<unsigned>(a.status & status::kReservedMask))});
  const uint16_t kind = KindFromStatus(a.status);
  if (kind == kKindUnknown) {
    out.push_back({Severity::Error, FindingCode::FdrFlags,
                   fmt::sprintf("status flags >%02X give no file type", static_cast<unsigned>(a.status))});
    return out;
  }
  if (kind == kKindProgram) return out;
  if (a.recordLength == 0) {
    out.push_back({Severity::Error, FindingCode::FdrAttributes, "record length 0 in a record file"});
    return out;
  }
  if (a.status & status::kVariable) {
    // Variable files count the sectors in use in the level-3 field.
    if (a.level3 > a.totalSectors)
      out.push_back({Severity::Error, FindingCode::FdrAttributes,
                     fmt::sprintf("level-3 count %u is more than the %u sectors of the file", a.level3, a.totalSectors)});
    else if (a.level3 < a.totalSectors)
      out.push_back({Severity::Warning, FindingCode::FdrAttributes,
                     fmt::sprintf("level-3 count %u is less than the %u sectors of the file", a.level3, a.totalSectors)});
    return out;
  }
  // Fixed files count records in the level-3 field. One-byte records fit
  // 256 to a sector, which the byte cannot hold: the TI stores 0.
  const unsigned expected = 256u / a.recordLength;
  const unsigned stored = expected > 255 ? 0 : expected;
  if (a.recordsPerSector != stored)
    out.push_back({Severity::Warning, FindingCode::FdrAttributes,
                   fmt::sprintf("%u records per sector where records of %u bytes give %u", a.recordsPerSector,
                                a.recordLength, expected)});
  const unsigned perSector = a.recordsPerSector == 0 ? expected : a.recordsPerSector;
  if (uint32_t{a.level3} > uint32_t{a.totalSectors} * perSector)
    out.push_back({Severity::Error, FindingCode::FdrAttributes,
                   fmt::sprintf("%u records do not fit in the %u sectors of the file", a.level3, a.totalSectors)});
  return out;
}

}  // namespace korvane
