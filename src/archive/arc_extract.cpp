#include "archive/arc_extract.h"

#include <algorithm>
#include <vector>

#include "archive/arc_directory.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/pc_names.h"
#include "floppy/sector_source.h"

namespace korvane {
namespace {

constexpr uint32_t kPlainChunkSectors = 50;       // sectors copied per read from a plain archive
constexpr uint32_t kCompressedChunkSectors = 25;  // decoded sectors gathered per write

// The member as the archive's directory describes it now: the archive file
// may have been replaced since the pane was listed (the scratch copy of an
// archive inside an image is shared by both panes).
bool MemberStillThere(const ArchiveDirectory& dir, const CatalogEntry& member, const std::string& archivePath) {
  if (member.archiveIndex < dir.entries.size()) {
    const CatalogEntry now =
        ArchiveMemberRow(dir.entries[member.archiveIndex], member.archiveIndex, dir.compressed, archivePath);
    if (now.tiName == member.tiName && now.totalSectors == member.totalSectors) return true;
  }
  ReportError(kErrFileMissing, TrimTiName(member.tiName));
  return false;
}

class Writer {
 public:
  Writer(PcFile& out, const std::string& path) : out_(out), path_(path) {}
  bool Put(uint32_t sectorOffset, const uint8_t* data, size_t length) {
    if (length == 0 || out_.WriteAt(kPcHeaderSize + uint64_t{sectorOffset} * 256, data, length)) return true;
    ReportError(kErrWriteSector, static_cast<int>(sectorOffset), path_);
    return false;
  }

 private:
  PcFile& out_;
  const std::string& path_;
};

bool ExtractPlain(PcFile& archive, const std::string& archivePath, const CatalogEntry& member, Writer& writer,
                  Progress& progress) {
  ArchiveFileInput input(archive);
  ArchiveDirectory dir;
  ReadPlainDirectory(input, dir);
  if (!MemberStillThere(dir, member, archivePath)) return false;
  uint32_t start = dir.directoryBlocks;
  for (uint16_t i = 0; i < member.archiveIndex; ++i) start += ArchiveEntrySectors(dir.entries[i]);

  std::vector<uint8_t> chunk(kPlainChunkSectors * 256);
  for (uint32_t done = 0; done < member.totalSectors;) {
    const uint32_t count = std::min<uint32_t>(kPlainChunkSectors, member.totalSectors - done);
    const size_t want = size_t{count} * 256;
    const size_t got = input.Read(uint64_t{start + done} * 256, chunk.data(), want);
    if (!writer.Put(done, chunk.data(), got)) return false;
    if (got < want) {
      // A truncated archive: what was there is written, the rest stays zero.
      ReportError(kErrReadSector, static_cast<int>(start + done + got / 256), archivePath);
      return false;
    }
    done += count;
    progress.Step(done);  // a Cancel takes effect between files, never inside one
  }
  return true;
}

bool ExtractCompressed(PcFile& archive, const std::string& archivePath, const CatalogEntry& member,
                       Writer& writer, Progress& progress) {
  ArchiveFileInput input(archive);
  LzwDecoder decoder(input);
  ArchiveDirectory dir;
  if (!ReadCompressedDirectory(decoder, dir)) {
    ReportError(kErrNotArchive, archivePath);
    return false;
  }
  if (!MemberStillThere(dir, member, archivePath)) return false;
  ArchiveBlock block;
  size_t length = 0;
  for (uint16_t i = 0; i < member.archiveIndex; ++i) {
    for (uint32_t s = ArchiveEntrySectors(dir.entries[i]); s > 0; --s) {
      if (decoder.NextBlock(block, length) != LzwDecoder::Status::Block) {
        ReportError(kErrReadFile, archivePath);
        return false;
      }
    }
  }
  std::vector<uint8_t> chunk(kCompressedChunkSectors * 256);
  uint32_t done = 0;  // sectors written
  size_t filled = 0;  // bytes gathered in the chunk
  while (done + filled / 256 < member.totalSectors) {
    const LzwDecoder::Status status = decoder.NextBlock(block, length);
    std::copy_n(block.begin(), length, chunk.begin() + static_cast<std::ptrdiff_t>(filled));
    filled += length;
    const bool broken = status != LzwDecoder::Status::Block;
    if (filled == chunk.size() || broken || done + filled / 256 == member.totalSectors) {
      if (!writer.Put(done, chunk.data(), filled)) return false;
      done += static_cast<uint32_t>(filled / 256);
      filled = 0;
      progress.Step(done);  // a Cancel takes effect between files, never inside one
    }
    if (broken) {
      // The stream ended early or is damaged: what was decoded is written.
      ReportError(kErrReadFile, archivePath);
      return false;
    }
  }
  return true;
}

}  // namespace

bool ExtractArchiveMember(const std::string& archivePath, const CatalogEntry& member, const std::string& destPath,
                          Progress& progress) {
  return ExtractArchiveMemberAs(archivePath, member, destPath, GetNameSettings().extractTifiles, progress);
}

bool ExtractArchiveMemberAs(const std::string& archivePath, const CatalogEntry& member, const std::string& destPath,
                            bool tifiles, Progress& progress) {
  PcFile archive;
  if (!archive.Open(archivePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, archivePath);
    return false;
  }
  if (archive.Size() < static_cast<int64_t>(kPcHeaderSize)) {
    ReportError(kErrSeek, archivePath);
    return false;
  }
  if (SamePcFile(archivePath, destPath)) {
    ReportError(kErrCopyToItself);
    return false;
  }
  PcFile out;
  if (!out.Open(destPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, destPath);
    return false;
  }
  const Sector fdrBytes = FdrOfRow(member);
  // The 8Bh mask of a file exported from a disk is not applied: the archive
  // keeps the modified (10h), emulated (04h) and other bits of its members,
  // and taking a member out must not lose them.
  const PcHeader header = MakePcHeader(ByteView(fdrBytes.data(), fdrBytes.size()), tifiles, 0xFF);
  // The file gets its final size first: the data sectors start out as zeros.
  if (!out.WriteAt(0, header.data(), header.size()) ||
      !out.Truncate(kPcHeaderSize + uint64_t{member.totalSectors} * 256)) {
    ReportError(kErrWriteSector, 0, destPath);
    return false;
  }
  Writer writer(out, destPath);
  progress.Begin(member.totalSectors, TrimTiName(member.tiName));
  const bool ok = member.archiveCompressed ? ExtractCompressed(archive, archivePath, member, writer, progress)
                                           : ExtractPlain(archive, archivePath, member, writer, progress);
  progress.End();
  return ok;
}

bool ExtractArchiveMember(const PaneState& archivePane, const CatalogEntry& member, const std::string& destPath,
                          Progress& progress) {
  return ExtractArchiveMember(archivePane.locationPath, member, destPath, progress);
}

}  // namespace korvane
