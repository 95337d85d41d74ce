#include "archive/arc_check.h"

#include <fmt/printf.h>

#include <array>

#include "archive/arc_directory.h"
#include "archive/lzw_decoder.h"
#include "catalog/attribute_check.h"

namespace korvane {
namespace {

// Decoding stops this many blocks after the last member: a stream that goes
// on longer is reported, not followed to its end.
constexpr uint64_t kBlocksPastMembers = 256;

TiAttributes EntryAttributes(const ArcEntryBytes& entry, bool compressed) {
  const ByteView e(entry.data(), entry.size());
  TiAttributes a;
  a.status = e.u8(arc::kStatus);
  a.recordsPerSector = e.u8(arc::kRecordsPerSector);
  a.totalSectors = e.be16(arc::kTotalSectors);
  a.eofOffset = e.u8(arc::kEofOffset);
  a.recordLength = e.u8(arc::kRecordLength);
  a.level3 = compressed ? e.le16(arc::kLevel3) : e.be16(arc::kLevel3);
  return a;
}

std::string EntryName(const ArcEntryBytes& entry) {
  std::string n(entry.begin(), entry.begin() + 10);
  while (!n.empty() && n.back() == ' ') n.pop_back();
  for (char& c : n)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '.';
  return n;
}

bool SoundEntry(ByteView e) {
  return NameProblem(e.sub(0, 10)).empty() && (e.u8(arc::kStatus) & 0x83) != 0x03 &&
         (e.u8(arc::kStatus) & 0x83) != 0x81 && (e.u8(arc::kStatus) & 0x83) != 0x83;
}

// Checks the directory entries; returns the sectors the members need.
uint64_t CheckEntries(const ArchiveDirectory& dir, CheckReport& report) {
  uint64_t sectors = 0;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const ArcEntryBytes& entry = dir.entries[i];
    const std::string structure = fmt::sprintf("directory entry %u", static_cast<unsigned>(i + 1));
    const int64_t block = static_cast<int64_t>(i / arc::kEntriesPerBlock);
    const std::string name = EntryName(entry);
    const std::string nameProblem = NameProblem(ByteView(entry.data(), 10));
    if (!nameProblem.empty()) report.Error(FindingCode::ArchiveDirectory, structure, block, nameProblem).file = name;
    for (const AttributeProblem& p : CheckAttributes(EntryAttributes(entry, dir.compressed)))
      report.Add(p.severity, FindingCode::ArchiveDirectory, structure, block, p.reason).file = name;
    sectors += ArchiveEntrySectors(entry);
  }
  return sectors;
}

}  // namespace

bool LooksLikePlainArchive(ArchiveInput& input) {
  std::array<uint8_t, arc::kPlainDirectorySectors * 256> data{};
  input.Read(0, data.data(), data.size());
  const ByteView bytes(data.data(), data.size());
  if (!SoundEntry(bytes.sub(0, arc::kEntrySize))) return false;
  for (size_t block = 0; block < arc::kPlainDirectorySectors; ++block) {
    for (size_t e = 0; e < arc::kEntriesPerBlock; ++e) {
      const ByteView entry = bytes.sub(block * 256 + e * arc::kEntrySize, arc::kEntrySize);
      if (entry.u8(0) == 0 && entry.u8(1) == 0) return true;
      if (!SoundEntry(entry)) return false;
    }
    if (bytes.equals(block * 256 + arc::kTrailer, "END!")) return true;
  }
  return false;
}

bool LooksLikeCompressedArchive(ArchiveInput& input) {
  uint8_t first = 0;
  return input.Read(0, &first, 1) == 1 && first == 0x80;
}

void CheckArchive(ArchiveInput& input, bool compressed, uint64_t dataBytes, CheckReport& report) {
  ArchiveDirectory dir;
  if (!compressed) {
    if (!ReadPlainDirectory(input, dir)) {
      report.Error(FindingCode::NotContainer, "directory", 0, "the data is a GIF picture, not an archive");
      return;
    }
    // The walk ends at an empty entry or an "END!" trailer; without either
    // it stops at the tenth sector, where every reader stops too.
    std::array<uint8_t, arc::kPlainDirectorySectors * 256> data{};
    input.Read(0, data.data(), data.size());
    const ByteView bytes(data.data(), data.size());
    const size_t last = dir.directoryBlocks - 1;
    const size_t used = dir.entries.size() - last * arc::kEntriesPerBlock;
    if (used == arc::kEntriesPerBlock && !bytes.equals(last * 256 + arc::kTrailer, "END!"))
      report.Error(FindingCode::ArchiveDirectory, "directory", static_cast<int64_t>(last),
                   "no end mark within the 10 directory sectors the readers look at");
    const uint64_t needed = dir.directoryBlocks + CheckEntries(dir, report);
    const uint64_t held = (dataBytes + 255) / 256;
    if (held < needed)
      report.Error(FindingCode::ArchiveData, "data", static_cast<int64_t>(held),
                   fmt::sprintf("the directory and members need %u sectors, the archive holds %u",
                                static_cast<unsigned>(needed), static_cast<unsigned>(held)));
    return;
  }

  LzwDecoder decoder(input);
  if (!ReadCompressedDirectory(decoder, dir)) {
    report.Error(FindingCode::ArchiveStream, "LZW stream", 0, "the data does not start with the clear code >80");
    return;
  }
  const uint64_t needed = dir.directoryBlocks + CheckEntries(dir, report);
  uint64_t blocks = dir.directoryBlocks;
  ArchiveBlock block;
  size_t length = 0;
  LzwDecoder::Status status = LzwDecoder::Status::Block;
  while (blocks < needed + kBlocksPastMembers) {
    status = decoder.NextBlock(block, length);
    if (status == LzwDecoder::Status::Block || length > 0) ++blocks;
    if (status != LzwDecoder::Status::Block) break;
  }
  if (status == LzwDecoder::Status::Truncated)
    report.Error(FindingCode::ArchiveStream, "LZW stream", static_cast<int64_t>(blocks),
                 "the code stream breaks off before its end code");
  else if (status == LzwDecoder::Status::Corrupt)
    report.Error(FindingCode::ArchiveStream, "LZW stream", static_cast<int64_t>(blocks),
                 "a code names a string that does not exist yet: the stream is damaged");
  else if (status == LzwDecoder::Status::Block)
    report.Warning(FindingCode::ArchiveStream, "LZW stream", static_cast<int64_t>(blocks),
                   "the stream goes on far past the last member");
  if (blocks < needed)
    report.Error(FindingCode::ArchiveData, "data", static_cast<int64_t>(blocks),
                 fmt::sprintf("the directory and members need %u blocks, the stream holds %u",
                              static_cast<unsigned>(needed), static_cast<unsigned>(blocks)));
  else if (status == LzwDecoder::Status::End && blocks > needed)
    report.Warning(FindingCode::ArchiveData, "data", static_cast<int64_t>(needed),
                   fmt::sprintf("the stream holds %u blocks after the last member", static_cast<unsigned>(blocks - needed)));
}

}  // namespace korvane
