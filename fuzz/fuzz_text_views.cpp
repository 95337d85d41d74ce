// Fed: any file data to the hex, record and Forth-block views, the first bytes giving the row.
// Holds: only the data given is read; the text is printable with CR LF line ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_row.h"
#include "viewers/text_views.h"
#include "viewers/view_builder.h"

namespace {

// Only printable characters, CR LF pairs as line ends, and a final CR LF.
void CheckViewText(const std::string& text) {
  if (text.empty()) return;
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) std::abort();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 >= text.size() || text[i + 1] != '\n') std::abort();
      ++i;
    } else if (c < 0x20 || c > 0x7e) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  constexpr size_t kSetup = 8;
  if (size < kSetup) return 0;
  const ByteView setup(data, kSetup);
  CatalogEntry row = fuzz::RowFromBytes(setup);
  // Headers may claim far more sectors than the file holds; a few hundred
  // are enough to run past the data.
  row.totalSectors = static_cast<uint16_t>(setup.be16(5) % 512);
  const int mode = setup.u8(7) % 3 == 0 ? kViewDefault : setup.u8(7) % 3 == 1 ? kViewHex : kViewForth;
  std::vector<uint8_t> bytes(data + kSetup, data + size);
  MemoryData source(ByteView(bytes.data(), bytes.size()), "fuzz");

  std::string text;
  // BASIC listings have their own targets; every other view is plain text.
  const bool dumped = row.kind == kKindProgram || mode == kViewHex;
  const bool maybeBasic = dumped ? row.kind == kKindProgram && mode == kViewDefault
                                 : (row.kind == kKindIntVar && row.recordLength == 254) ||
                                       (row.kind == kKindDisVar && row.recordLength == 163);
  if (BuildViewText(source, row, mode, text) && !maybeBasic) CheckViewText(text);

  std::string records;
  BuildRecordView(source, row, records);
  CheckViewText(records);

  std::string forth;
  BuildForthView(source, row.totalSectors, forth);
  CheckViewText(forth);
  LooksLikeForth(source, row);

  // Hex lines straight from the bytes: 75 characters per full line.
  std::string hex;
  const uint32_t address = setup.be32(4);
  AppendHexLines(ByteView(bytes.data(), bytes.size()), address, hex);
  CheckViewText(hex);
  const size_t full = bytes.size() / 16, part = bytes.size() % 16;
  if (hex.size() != full * 75 + (part ? 8 + 3 * part + (16 - part) + 1 + part + 2 : 0)) std::abort();
  std::string dump;
  BuildHexDump(source, row.totalSectors, dump);
  CheckViewText(dump);
  if (dump.size() % 75 != 0 || dump.size() / 75 > size_t{row.totalSectors} * 16) std::abort();
  return 0;
}
