// The first five fuzz bytes as the layout of a TI file row: kind (one of the
// five TI file kinds), record length, records per sector and the level-3
// count (little-endian, as in an FDR).
#pragma once

#include <cstddef>

#include "catalog/entry.h"
#include "platform/byte_view.h"

namespace korvane::fuzz {

inline constexpr size_t kRowBytes = 5;

inline CatalogEntry RowFromBytes(const ByteView& setup) {
  CatalogEntry row;
  row.kind = static_cast<uint16_t>(kKindDisFix + setup.u8(0) % 5);
  row.recordLength = setup.u8(1);
  row.recordsPerSector = setup.u8(2);
  row.level3Records = setup.le16(3);
  return row;
}

}  // namespace korvane::fuzz
