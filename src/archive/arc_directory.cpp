#include "archive/arc_directory.h"

#include <algorithm>

#include "catalog/header.h"

namespace korvane {
namespace {

ArcEntryBytes EntryAt(ByteView bytes, size_t at) {
  ArcEntryBytes e{};
  for (size_t i = 0; i < e.size(); ++i) e[i] = bytes.u8(at + i);
  return e;
}

}  // namespace

bool ReadPlainDirectory(ArchiveInput& input, ArchiveDirectory& directory) {
  directory = ArchiveDirectory{};
  std::array<uint8_t, arc::kPlainDirectorySectors * 256> data{};
  input.Read(0, data.data(), data.size());  // a short archive leaves zeros, which end the walk
  const ByteView bytes(data.data(), data.size());
  if (bytes.equals(0, "GIF")) return false;

  for (size_t block = 0; block < arc::kPlainDirectorySectors; ++block) {
    directory.directoryBlocks = static_cast<uint32_t>(block + 1);
    const size_t base = block * 256;
    for (size_t e = 0; e < arc::kEntriesPerBlock; ++e) {
      const size_t at = base + e * arc::kEntrySize;
      if (bytes.u8(at) == 0 && bytes.u8(at + 1) == 0) return true;
      directory.entries.push_back(EntryAt(bytes, at));
    }
    if (bytes.equals(base + arc::kTrailer, "END!")) return true;
  }
  return true;
}

bool ReadCompressedDirectory(LzwDecoder& decoder, ArchiveDirectory& directory) {
  directory = ArchiveDirectory{};
  directory.compressed = true;
  if (!decoder.StartsWithClear()) return false;

  bool ended = false;  // an entry with first byte 0 was seen
  ArchiveBlock block;
  size_t length = 0;
  // 127 entries fill nine blocks and the first slot of a tenth: no directory
  // runs longer, whatever its trailers say.
  constexpr uint32_t kMaxBlocks = (arc::kMaxCompressedEntries + arc::kEntriesPerBlock - 1) / arc::kEntriesPerBlock;
  while (directory.directoryBlocks < kMaxBlocks) {
    const LzwDecoder::Status status = decoder.NextBlock(block, length);
    if (status == LzwDecoder::Status::Block || length > 0) ++directory.directoryBlocks;
    const ByteView bytes(block.data(), length);
    // The 127th slot is the first of the tenth block: only that one is taken.
    const size_t room = arc::kMaxCompressedEntries - directory.entries.size();
    for (size_t e = 0; e < arc::kEntriesPerBlock && e < room && !ended; ++e) {
      const size_t at = e * arc::kEntrySize;
      if (!bytes.has(at, arc::kEntrySize)) break;
      if (bytes.u8(at) == 0) {
        ended = true;
        break;
      }
      directory.entries.push_back(EntryAt(bytes, at));
    }
    if (status != LzwDecoder::Status::Block) break;
    if (bytes.equals(arc::kTrailer, "END!")) break;
  }
  return true;
}

uint16_t ArchiveEntrySectors(const ArcEntryBytes& entry) {
  return ByteView(entry.data(), entry.size()).be16(arc::kTotalSectors);
}

CatalogEntry ArchiveMemberRow(const ArcEntryBytes& entry, uint16_t index, bool compressed,
                              const std::string& sourceName) {
  // Lay the entry out as the first bytes of an FDR and decode that, so that
  // member rows follow exactly the rules of every other TI file row.
  std::array<uint8_t, 256> fdrBytes{};
  ByteWriter w(fdrBytes.data(), fdrBytes.size());
  const ByteView e(entry.data(), entry.size());
  w.copy(fdr::kName, e.sub(arc::kName, 10));
  w.put8(fdr::kStatus, e.u8(arc::kStatus));
  w.put8(fdr::kRecordsPerSector, e.u8(arc::kRecordsPerSector));
  w.put16be(fdr::kTotalSectors, e.be16(arc::kTotalSectors));
  w.put8(fdr::kEofOffset, e.u8(arc::kEofOffset));
  w.put8(fdr::kRecordLength, e.u8(arc::kRecordLength));
  w.put16le(fdr::kLevel3, compressed ? e.le16(arc::kLevel3) : e.be16(arc::kLevel3));

  CatalogEntry row;
  DecodeHeader(ByteView(fdrBytes.data(), fdrBytes.size()), sourceName, false, row);
  row.sourceName = sourceName;
  row.headerKind = kHeaderV9t9;
  row.archiveMember = true;
  row.archiveIndex = index;
  row.archiveCompressed = compressed;
  return row;
}

}  // namespace korvane
