#include "fileops/ti_to_pc.h"

#include <algorithm>
#include <cctype>

#include <fmt/printf.h>

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/file_commands.h"
#include "fileops/pc_names.h"
#include "fileops/pc_paths.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr size_t kMaxPcNameField = 80;

bool IsFixedKind(uint16_t kind) { return kind == kKindDisFix || kind == kKindIntFix; }
bool IsVariableKind(uint16_t kind) { return kind == kKindDisVar || kind == kKindIntVar; }

// The overwrite question of the copy commands, for one PC file.
Answer AskOverwriteFile(const std::string& name) {
  return CurrentReporter().Ask(kOverwriteCaption, OverwriteText("file", name), Buttons::YesNoCancel);
}

}  // namespace

TiRecordConverter::TiRecordConverter(const CatalogEntry& row, int method)
    : kind_(row.kind),
      method_(method),
      recordLength_(row.kind == kKindProgram ? 0 : row.recordLength & 0xFF),
      recordsPerSector_(row.recordsPerSector & 0xFF),
      level3_(row.level3Records) {
  // 256 one-byte records fill a sector, and 256 does not fit the byte: TI
  // disk controllers store 0. Any other 0 is taken as it stands (no records).
  if (IsFixedKind(kind_) && recordLength_ == 1 && recordsPerSector_ == 0) recordsPerSector_ = 256;
}

bool TiRecordConverter::Finished() const { return IsFixedKind(kind_) && recordNumber_ >= level3_; }

void TiRecordConverter::Put(ByteView data) {
  ByteWriter w(out_.data(), out_.size());
  w.copy(used_, data);
  used_ = std::min(out_.size(), used_ + data.size());
}

void TiRecordConverter::PutLineEnd() {
  static const uint8_t kCrLf[] = {'\r', '\n'};
  if (method_ == kTiPcAddCrLf) Put(ByteView(kCrLf, 2));
  else if (method_ == kTiPcAddLf) Put(ByteView(kCrLf + 1, 1));
}

ByteView TiRecordConverter::ConvertSector(ByteView given) {
  // Work on a whole zero-padded sector so that a short last sector reads
  // like the padded sector it stands for.
  std::array<uint8_t, kSectorSize> bytes{};
  ByteWriter(bytes.data(), bytes.size()).copy(0, given.sub(0, kSectorSize));
  const ByteView sector(bytes.data(), bytes.size());
  used_ = 0;

  if (IsFixedKind(kind_)) {
    // A record never spans two sectors: a header that claims more records
    // than fit is held to what the sector holds.
    const unsigned fit = recordLength_ ? static_cast<unsigned>(kSectorSize) / recordLength_ : 0;
    const unsigned perSector = std::min(recordsPerSector_, fit);
    for (unsigned i = 0; i < perSector && recordNumber_ < level3_; ++i, ++recordNumber_) {
      Put(sector.sub(i * recordLength_, recordLength_));
      PutLineEnd();
    }
  } else if (IsVariableKind(kind_)) {
    size_t at = 0;
    while (at < kSectorSize) {
      const uint8_t length = sector.u8(at);
      // A 255-byte record fills a whole sector and leaves no room for the end
      // mark: TI disk controllers store it with the length byte FFh at the
      // start of its sector. Only files with that record length have one.
      const bool fullRecord = at == 0 && length == 0xFF && recordLength_ == 255;
      if (length == 0xFF && !fullRecord) break;
      // A length that runs past the sector gives what the sector holds.
      Put(sector.sub(at + 1, length));
      PutLineEnd();
      at += 1 + size_t{length};
    }
  } else {
    Put(sector);  // PROGRAM: the memory image unchanged
  }
  return ByteView(out_.data(), used_);
}

std::string TiPcDialogCaption(const CatalogEntry& row) {
  return fmt::sprintf("Convert TI file [%.10s] to", SafePcName(row.tiName));
}

std::string TiPcProposedName(const CatalogEntry& row, const TiPcDefaults& defaults) {
  std::string name = PcFileNameFromTiName(row.tiName) + defaults.extension;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return FilterTypedPcName(name);
}

std::string FilterTypedPcName(const std::string& text) {
  return FilterField(text, " \"*/:<>?\\|", kMaxPcNameField);
}

std::string CheckTiPcChoice(const std::string& pcName, int method) {
  // "." and ".." name directories, not a file that could be written.
  if (!IsSafeLeafName(pcName)) return "Please enter a filename";
  if (method <= kTiPcSelect || method >= kTiPcMethodCount) return "Please select a conversion methode";
  return {};
}

ConversionKind StartConversion(const PaneState& destination, const CatalogEntry& row) {
  if (row.kind == kKindDos) {
    // A converted PC file only reaches a PC directory; anywhere else it
    // would vanish into the scratch file.
    if (destination.locationType != kLocPcDirectory) {
      ReportError(kErrNoPcFilesHere);
      return ConversionKind::None;
    }
    return ConversionKind::PcToTi;
  }
  if (!IsTiFileKind(row.kind)) {
    ReportError(kErrTiToPcOnly);
    return ConversionKind::None;
  }
  if (destination.locationType != kLocPcDirectory) {
    ReportError(kErrNoPcFilesHere);
    return ConversionKind::None;
  }
  return ConversionKind::TiToPc;
}

ConvertResult ConvertTiFileToPc(const std::string& sourcePath, const CatalogEntry& row,
                                const std::string& destDirectory, const std::string& pcName, int method,
                                Progress& progress) {
  SetLastErrorCode(0);
  const std::string destPath = JoinPath(destDirectory, pcName);
  if (IsSameFile(destPath, sourcePath)) {
    ReportError(kErrCopyToItself);
    return ConvertResult::Failed;
  }
  if (PathExists(destPath)) {
    const Answer a = AskOverwriteFile(pcName);
    if (a != Answer::Yes && a != Answer::All) return ConvertResult::NotConverted;
  }

  PcFile source;
  if (!source.Open(sourcePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, sourcePath);
    return ConvertResult::Failed;
  }
  uint8_t header[kPcHeaderSize];
  if (!source.ReadExact(0, header, sizeof header)) {
    ReportError(kErrReadSector, static_cast<int>(row.fdrSector), sourcePath);
    return ConvertResult::Failed;
  }
  // The existing file is replaced only now that the source is known to be
  // readable, so a source that cannot be opened costs nothing.
  PcFile dest;
  if (!dest.Open(destPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, destPath);
    return ConvertResult::Failed;
  }

  TiRecordConverter converter(row, method);
  progress.Begin(row.totalSectors, "");
  uint64_t written = 0;
  for (unsigned s = 0; s < row.totalSectors && !converter.Finished(); ++s) {
    std::array<uint8_t, kSectorSize> sector{};
    // A Classic99 file may end inside its last sector: the rest reads as
    // zeros. A sector with no bytes at all is a read failure.
    const size_t got = source.ReadAt(kPcHeaderSize + uint64_t{s} * kSectorSize, sector.data(), sector.size());
    if (got == 0) {
      ReportError(kErrReadSector, static_cast<int>(s + 1), sourcePath);
      return ConvertResult::Failed;
    }
    const ByteView out = converter.ConvertSector(ByteView(sector.data(), sector.size()));
    if (out.size() && !dest.WriteAt(written, out.data(), out.size())) {
      ReportError(kErrWriteSector, static_cast<int>(s + 1), destPath);
      return ConvertResult::Failed;
    }
    written += out.size();
    if (!progress.Step(s + 1)) {
      // Cancelled half-way: a shorter file would pass for the whole one.
      progress.End();
      dest.Close();
      RemoveIfPresent(destPath);
      return ConvertResult::NotConverted;
    }
  }
  progress.End();
  if (!dest.Flush()) {
    ReportError(kErrWriteSector, static_cast<int>(row.totalSectors), destPath);
    return ConvertResult::Failed;
  }
  return ConvertResult::Converted;
}

}  // namespace korvane
