// Fed: data sectors through TiRecordConverter, the first bytes giving kind and layout.
// Holds: all methods find the same records, <= kMaxConvertedSector per sector, level-3 kept.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalog/header.h"
#include "fuzz_row.h"
#include "fileops/ti_to_pc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  constexpr size_t kSetup = fuzz::kRowBytes;
  if (size < kSetup) return 0;
  const ByteView setup(data, kSetup);
  CatalogEntry row = fuzz::RowFromBytes(setup);
  const bool fixed = row.kind == kKindDisFix || row.kind == kKindIntFix;
  const bool variable = row.kind == kKindDisVar || row.kind == kKindIntVar;

  // One converter per method, driven in step over the same sectors.
  TiRecordConverter binary(row, kTiPcBinary), crlf(row, kTiPcAddCrLf), lf(row, kTiPcAddLf);
  TiRecordConverter unchosen(row, kTiPcSelect);  // never offered; must not differ from binary
  const ByteView rest(data + kSetup, size - kSetup);
  unsigned fixedRecords = 0;
  for (size_t at = 0; at < rest.size(); at += kSectorSize) {
    // A copy of exactly the bytes given (the last sector may be short), so
    // that a read past them is caught.
    const ByteView given = rest.sub(at, kSectorSize);
    std::vector<uint8_t> sector(given.data(), given.data() + given.size());
    std::array<uint8_t, kSectorSize> padded{};
    std::memcpy(padded.data(), sector.data(), sector.size());

    const bool finishedBefore = binary.Finished();
    const ByteView b = binary.ConvertSector(ByteView(sector.data(), sector.size()));
    const ByteView c = crlf.ConvertSector(ByteView(sector.data(), sector.size()));
    const ByteView l = lf.ConvertSector(ByteView(sector.data(), sector.size()));
    const ByteView none = unchosen.ConvertSector(ByteView(sector.data(), sector.size()));
    for (const ByteView& out : {b, c, l})
      if (out.size() > kMaxConvertedSector) std::abort();
    if (none.size() != b.size() || std::memcmp(none.data(), b.data(), b.size()) != 0) std::abort();
    if (binary.Finished() != crlf.Finished() || binary.Finished() != lf.Finished()) std::abort();

    if (!fixed && !variable) {
      // PROGRAM: the memory image unchanged, whatever the method.
      for (const ByteView& out : {b, c, l})
        if (out.size() != kSectorSize || std::memcmp(out.data(), padded.data(), kSectorSize) != 0)
          std::abort();
      continue;
    }
    // The same records in each method: LF adds one byte per record, CR LF two.
    if (l.size() < b.size() || c.size() < b.size()) std::abort();
    const size_t records = l.size() - b.size();
    if (c.size() - b.size() != 2 * records) std::abort();
    if (records > kSectorSize) std::abort();
    if (variable) {
      // Every record takes its length byte from the sector as well.
      if (b.size() + records > kSectorSize) std::abort();
      continue;
    }
    // Fixed records: whole records packed from byte 0, never past the
    // sector, never past the level-3 count, nothing once that is reached.
    const unsigned length = row.recordLength & 0xFF;
    if (finishedBefore && records) std::abort();
    if (records && b.size() != records * length) std::abort();
    if (b.size() > kSectorSize || std::memcmp(b.data(), padded.data(), b.size()) != 0) std::abort();
    fixedRecords += static_cast<unsigned>(records);
    if (fixedRecords > row.level3Records) std::abort();
  }
  return 0;
}
