// Fed: the first bytes of a PC file as a TI header (V9T9, TIFILES, FDR), and as names.
// Holds: names 10 characters, comments printable, a valid header has a TI file kind.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "catalog/header.h"

namespace {

bool Printable(char c) { return c >= 0x20 && c <= 0x7e; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  // Up to 256 bytes are the header; what follows is the PC name of the file
  // and, read as a size, where the file ends.
  const ByteView all(data, size);
  const ByteView header = all.sub(0, kSectorSize);
  const std::string pcName = all.str(kSectorSize, 64);

  for (bool withComment : {false, true}) {
    CatalogEntry row;
    const bool valid = DecodeHeader(header, pcName, withComment, row);
    if (row.tiName.size() != 10) std::abort();
    if (row.comment.size() >= fdr::kCommentLength) std::abort();
    for (char c : row.comment)
      if (!Printable(c)) std::abort();
    if (!withComment && !row.comment.empty()) std::abort();
    if (valid && !IsTiFileKind(row.kind)) std::abort();
    if (valid && row.kind == kKindProgram && row.recordLength != ProgramSize(row.totalSectors, row.eofOffset))
      std::abort();

    if (valid && row.headerKind == kHeaderTifiles) {
      // The file's size: any, from a few bytes of the input.
      const uint64_t fileSize = all.be32(kSectorSize + 64) % (70000ull * 256);
      const ByteView lastSector = all.sub(kPcHeaderSize + (fileSize % kSectorSize), kSectorSize);
      const bool agrees = TifilesAgreesWithSize(fileSize, row);
      ApplyClassic99(fileSize, lastSector, row);
      if (agrees != (row.headerKind == kHeaderTifiles)) std::abort();
      if (!agrees) {
        const uint64_t dataBytes = fileSize > kPcHeaderSize ? fileSize - kPcHeaderSize : 0;
        if (row.totalSectors != static_cast<uint16_t>((dataBytes + 255) / 256)) std::abort();
        if (row.eofOffset > 255) std::abort();
      }
      const uint64_t last = LastDataSectorOffset(fileSize);
      if (last < kPcHeaderSize || (fileSize > kPcHeaderSize && last >= fileSize)) std::abort();
    }
  }

  // Names: the bytes as a TI name and as a PC name.
  const std::string tiName = TakeTiName(all);
  if (tiName.size() != 10) std::abort();
  const std::string text = all.str(0, 300);
  for (bool quellan : {false, true}) {
    const std::string safe = SafePcName(text, quellan);
    if (safe.size() > 10) std::abort();
    for (char c : safe) {
      if (c == ' ' || c == '\0') std::abort();
      if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) std::abort();
    }
  }
  const std::string fromPc = PcNameToTiName(text);
  if (fromPc.size() != 10 || fromPc.find('.') != std::string::npos) std::abort();
  for (char c : fromPc)
    if (c >= 'a' && c <= 'z') std::abort();
  const std::string trimmed = TrimTiName(text);
  if (text.compare(0, trimmed.size(), trimmed) != 0) std::abort();
  if (!trimmed.empty() && trimmed.back() == ' ') std::abort();
  return 0;
}
