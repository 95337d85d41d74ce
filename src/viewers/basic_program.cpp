#include "viewers/basic_program.h"

#include <vector>

#include "catalog/errors.h"
#include "viewers/basic_tokens.h"

namespace korvane {
namespace {

constexpr size_t kEntrySize = 4;

// Walks a line-number table from its last whole entry back to its first and
// hands each line number and line address to `line`. `table` may be cut
// short of `tableSize` (a file or image that ends early): entries that do
// not lie whole inside it are passed over. Returns the entries walked.
template <typename LineFn>
size_t WalkLineTable(ByteView table, size_t tableSize, LineFn line) {
  size_t walked = 0;
  for (size_t end = tableSize; end >= kEntrySize; end -= kEntrySize) {
    const size_t at = end - kEntrySize;
    ++walked;
    if (!table.has(at, kEntrySize)) continue;
    line(table.be16(at), table.be16(at + 2));
  }
  return walked;
}

}  // namespace

bool BasicCheckWordValid(uint16_t check, uint16_t tableStart, uint16_t tableEnd) {
  const uint16_t x = tableStart ^ tableEnd;
  return check == x || check == static_cast<uint16_t>(65536u - x);
}

BasicResult ListProgramImage(TiData& data, std::string& text) {
  uint8_t header[8];
  if (data.ReadAt(0, header, sizeof header) != sizeof header) {
    ReportError(kErrReadFile, data.Path());
    return BasicResult::kFailed;
  }
  const ByteView h(header);
  const uint16_t check = h.be16(0), tableEnd = h.be16(2), tableStart = h.be16(4), top = h.be16(6);
  if (tableEnd <= tableStart || top < tableEnd || !BasicCheckWordValid(check, tableStart, tableEnd))
    return BasicResult::kNoListing;

  const size_t tableSize = size_t{tableEnd} - tableStart + 1;
  std::vector<uint8_t> table(tableSize);
  table.resize(data.ReadAt(8, table.data(), tableSize));

  // The line's length byte lies at data offset 7 + (address - table start).
  uint8_t line[256];
  const size_t walked = WalkLineTable(ByteView(table.data(), table.size()), tableSize,
                                      [&](uint16_t number, uint16_t address) {
    const int64_t lengthAt = 7 + int64_t{address} - tableStart;
    if (lengthAt < 0) return;  // points before the image: nothing to list
    const size_t got = data.ReadAt(static_cast<uint64_t>(lengthAt), line, sizeof line);
    if (got == 0) return;
    const size_t length = line[0];
    AppendListingLine(number, ByteView(line + 1, got - 1), length, text);
  });
  return walked > 0 ? BasicResult::kListing : BasicResult::kNoListing;
}

BasicResult ListLongProgram(TiData& data, uint16_t level3, std::string& text) {
  uint8_t block[256];
  if (data.ReadAt(0, block, sizeof block) != sizeof block) {
    ReportError(kErrReadFile, data.Path());
    return BasicResult::kFailed;
  }
  const ByteView record = ByteView(block).sub(1);
  const uint16_t magic = record.be16(0), tableStart = record.be16(2), tableEnd = record.be16(4);
  const uint16_t check = record.be16(6), top = record.be16(8);
  if (magic != 0xABCD || tableEnd <= tableStart || top < tableEnd ||
      !BasicCheckWordValid(check, tableStart, tableEnd))
    return BasicResult::kNoListing;

  // Gather the memory image from the records that follow. Data beyond the
  // image's 32768 bytes is dropped; a block cut short by the end of the file
  // gives only the bytes that are there.
  std::vector<uint8_t> image;
  image.reserve(kLongProgramImageSize);
  for (uint32_t i = 1; i <= level3 && image.size() < kLongProgramImageSize; ++i) {
    const size_t got = data.ReadAt(uint64_t{i} * 256, block, sizeof block);
    if (got == 0) break;
    size_t n = block[0];
    if (n > got - 1) n = got - 1;
    if (n > kLongProgramImageSize - image.size()) n = kLongProgramImageSize - image.size();
    image.insert(image.end(), block + 1, block + 1 + n);
  }

  const ByteView img(image.data(), image.size());
  const size_t tableSize = size_t{tableEnd} - tableStart + 1;
  const size_t walked = WalkLineTable(img, tableSize, [&](uint16_t number, uint16_t address) {
    const int64_t lengthAt = int64_t{address} - tableStart - 1;
    if (lengthAt < 0 || !img.has(static_cast<size_t>(lengthAt))) return;
    const size_t at = static_cast<size_t>(lengthAt);
    AppendListingLine(number, img.sub(at + 1), img.u8(at), text);
  });
  return walked > 0 ? BasicResult::kListing : BasicResult::kNoListing;
}

BasicResult ListMergeFile(TiData& data, uint16_t level3, std::string& text) {
  SectorReader reader(data);
  Sector sector;
  bool any = false;
  for (uint32_t i = 0; i < level3; ++i) {
    if (reader.Read(i, sector) == 0) break;  // the file ends early
    const ByteView s(sector.data(), sector.size());
    size_t p = 0;
    while (p < s.size()) {
      const uint8_t n = s.u8(p);
      if (n == 0xFF || n == 0x00) break;
      const uint16_t number = s.be16(p + 1);
      if (number == 0xFFFF) return any ? BasicResult::kListing : BasicResult::kNoListing;
      // A record that claims more than the sector holds is cut at its end.
      const size_t length = n >= 2 ? n - 2u : 0u;
      AppendListingLine(number, s.sub(p + 3, length), length, text);
      any = true;
      p += 1u + n;
    }
  }
  return any ? BasicResult::kListing : BasicResult::kNoListing;
}

}  // namespace korvane
