#include "fileops/pc_to_ti.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include <fmt/printf.h>

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/file_commands.h"
#include "fileops/pc_names.h"
#include "fileops/pc_paths.h"

namespace korvane {
namespace {

using SectorBytes = std::array<uint8_t, kSectorSize>;

// The 16-bit counts of a TI header bound what one file can hold.
constexpr uint32_t kMaxSectors = 0xFFFF;
constexpr uint32_t kMaxRecords = 0xFFFF;
constexpr size_t kDataHeaderSize = 6;

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

struct HeaderFields {
  std::string tiName;
  uint8_t flags = 0;
  uint8_t recordsPerSector = 0;
  uint16_t sectors = 0;
  uint8_t eofOffset = 0;
  uint8_t recordLength = 0;
  uint16_t level3 = 0;
};

std::array<uint8_t, kPcHeaderSize> MakeHeader(const HeaderFields& f) {
  std::array<uint8_t, kPcHeaderSize> header{};
  ByteWriter w(header.data(), header.size());
  w.putStr(fdr::kName, f.tiName, 10);                     // TI name, space padded
  w.put8(fdr::kStatus, f.flags);
  w.put8(fdr::kRecordsPerSector, f.recordsPerSector);
  w.put16be(fdr::kTotalSectors, f.sectors);               // data sectors written
  w.put8(fdr::kEofOffset, f.eofOffset);
  w.put8(fdr::kRecordLength, f.recordLength);
  w.put16le(fdr::kLevel3, f.level3);                      // the one little-endian field
  return header;
}

// Writes the data sectors of the TI file one after another behind the header.
class SectorSink {
 public:
  SectorSink(PcFile& file, const std::string& path) : file_(file), path_(path) {}

  bool WriteHeader(const HeaderFields& fields) {
    const auto header = MakeHeader(fields);
    if (file_.WriteAt(0, header.data(), header.size())) return true;
    ReportError(kErrWriteFile, path_);
    return false;
  }
  bool Write(const SectorBytes& sector) {
    if (sectors_ >= kMaxSectors) return TooLarge();
    if (!file_.WriteAt(kPcHeaderSize + uint64_t{sectors_} * kSectorSize, sector.data(), sector.size())) {
      ReportError(kErrWriteFile, path_);
      return false;
    }
    ++sectors_;
    return true;
  }
  // More than a TI file can count: reported as a file that cannot be written.
  bool TooLarge() {
    tooLarge_ = true;
    ReportError(kErrWriteFile, path_);
    return false;
  }
  uint32_t Sectors() const { return sectors_; }
  bool WasTooLarge() const { return tooLarge_; }

 private:
  PcFile& file_;
  const std::string& path_;
  uint32_t sectors_ = 0;
  bool tooLarge_ = false;
};

// Fixed records: R = 256 / L per sector from byte 0, zero padded.
class FixedRecords {
 public:
  FixedRecords(SectorSink& sink, unsigned recordLength)
      : sink_(sink), length_(recordLength), perSector_(kSectorSize / recordLength) {}

  // Cuts a piece into records of L bytes; the last one is zero padded.
  bool AddPiece(ByteView piece) {
    for (size_t at = 0; at < piece.size(); at += length_)
      if (!Add(piece.sub(at, length_))) return false;
    return true;
  }
  bool Finish() { return inSector_ == 0 || Flush(); }
  uint32_t Records() const { return records_; }
  // The offset after the last record of the last sector, 0 when it is full.
  uint8_t EofOffset() const { return lastCount_ == perSector_ ? 0 : static_cast<uint8_t>(lastCount_ * length_); }

 private:
  bool Add(ByteView record) {
    if (records_ >= kMaxRecords) return sink_.TooLarge();
    ByteWriter(sector_.data(), sector_.size()).copy(inSector_ * length_, record);
    ++records_;
    if (++inSector_ == perSector_) return Flush();
    return true;
  }
  bool Flush() {
    lastCount_ = inSector_;
    const bool ok = sink_.Write(sector_);
    sector_.fill(0);
    inSector_ = 0;
    return ok;
  }

  SectorSink& sink_;
  unsigned length_;
  unsigned perSector_;
  SectorBytes sector_{};
  unsigned inSector_ = 0;
  unsigned lastCount_ = 0;
  uint32_t records_ = 0;
};

// Variable records: length byte, data, and FFh after the last record of
// each sector. A 255-byte record with its length byte and end mark needs 257
// bytes, more than a sector holds, so records are at most 254 bytes long even
// in a file whose record length is 255; a longer piece goes on in the next
// record, as any piece longer than the record length does.
class VariableRecords {
 public:
  VariableRecords(SectorSink& sink, unsigned recordLength)
      : sink_(sink), length_(std::min(recordLength, static_cast<unsigned>(kSectorSize) - 2)) {}

  unsigned RecordLimit() const { return length_; }

  bool AddPiece(ByteView piece) {
    if (piece.empty()) return Add(piece);
    for (size_t at = 0; at < piece.size(); at += length_)
      if (!Add(piece.sub(at, length_))) return false;
    return true;
  }
  bool Finish() { return !started_ || sink_.Write(sector_); }
  // The offset of the last FFh.
  uint8_t EofOffset() const { return static_cast<uint8_t>(at_); }

 private:
  bool Add(ByteView record) {
    const size_t n = record.size();
    if (started_ && at_ != 0 && at_ + n + 2 > kSectorSize) {
      if (!sink_.Write(sector_)) return false;
      sector_.fill(0);
      at_ = 0;
    }
    started_ = true;
    ByteWriter w(sector_.data(), sector_.size());
    w.put8(at_, static_cast<uint8_t>(n));  // length byte
    w.copy(at_ + 1, record);
    w.put8(at_ + 1 + n, 0xFF);  // end mark, overwritten by the next record
    at_ += 1 + n;
    return true;
  }

  SectorSink& sink_;
  unsigned length_;
  SectorBytes sector_{};
  size_t at_ = 0;
  bool started_ = false;
};

ByteView ViewOf(const std::string& s) { return ByteView(reinterpret_cast<const uint8_t*>(s.data()), s.size()); }

// Feeds the pieces of the source to a record writer: lines after the method,
// or blocks of `blockSize` bytes with the binary method.
template <typename Records>
bool FeedPieces(ByteStream& in, int method, size_t blockSize, Records& records, SectorSink& sink, Progress& progress) {
  uint32_t reportedSectors = 0;
  for (;;) {
    std::string piece;
    if (method == kPcTiBinary) {
      piece.resize(blockSize);
      piece.resize(in.Read(reinterpret_cast<uint8_t*>(piece.data()), blockSize));
    } else {
      piece = ReadTextLine(in);
    }
    if (piece.empty()) break;
    if (method != kPcTiBinary) ApplyLineMethod(piece, method);
    if (!records.AddPiece(ViewOf(piece))) return false;
    if (sink.Sectors() != reportedSectors) {
      reportedSectors = sink.Sectors();
      progress.Step(in.Consumed());
      if (progress.Cancelled()) return false;
    }
  }
  return true;
}

}  // namespace

bool ByteStream::Fill() {
  if (!file_) return false;
  bufferAt_ = 0;
  bufferUsed_ = file_->ReadAt(fileAt_, buffer_.data(), buffer_.size());
  fileAt_ += bufferUsed_;
  if (bufferUsed_ == 0) {
    const int64_t size = file_->Size();
    if (size < 0 || fileAt_ < static_cast<uint64_t>(size)) failed_ = true;
  }
  return bufferUsed_ != 0;
}

int ByteStream::Get() {
  if (!file_) {
    if (consumed_ >= memory_.size()) return -1;
    return memory_.u8(consumed_++);
  }
  if (bufferAt_ == bufferUsed_ && !Fill()) return -1;
  ++consumed_;
  return buffer_[bufferAt_++];
}

void ByteStream::Unget() {
  if (consumed_ == 0) return;
  if (file_) {
    if (bufferAt_ == 0) return;
    --bufferAt_;
  }
  --consumed_;
}

size_t ByteStream::Read(uint8_t* out, size_t length) {
  size_t got = 0;
  while (got < length) {
    const int c = Get();
    if (c < 0) break;
    out[got++] = static_cast<uint8_t>(c);
  }
  return got;
}

std::string ReadTextLine(ByteStream& in) {
  std::string line;
  while (line.size() < kMaxTextLine) {
    const int c = in.Get();
    if (c < 0) break;
    line += static_cast<char>(c);
    if (c != '\r' && c != '\n') continue;
    const int other = c == '\r' ? '\n' : '\r';
    for (;;) {
      const int d = in.Get();
      if (d < 0) break;
      if (d == c && line.size() < kMaxTextLine) {
        line += static_cast<char>(d);
        continue;
      }
      if (d != other) in.Unget();
      break;
    }
    break;
  }
  return line;
}

void ApplyLineMethod(std::string& line, int method) {
  size_t at = line.find('\r');
  if (at == std::string::npos) at = line.find('\n');
  if (at == std::string::npos) {
    if (method == kPcTiToCr) line += '\r';
    else if (method == kPcTiToLf) line += '\n';
    return;
  }
  if (method == kPcTiRemoveCrLf) line.resize(at);
  else if (method == kPcTiToCr) line[at] = '\r';
  else if (method == kPcTiToLf) line[at] = '\n';
}

PcTiCheck CheckPcTiChoice(const PcTiChoice& choice) {
  PcTiCheck check;
  auto refuse = [&](const char* text, PcTiField field) {
    check.message = text;
    check.focus = field;
    return check;
  };
  if (choice.tiName.empty()) return refuse("Please enter a filename", PcTiField::Name);
  if (choice.type <= kPcTiNoType || choice.type >= kPcTiTypeCount)
    return refuse("Please select a filetype", PcTiField::Type);
  const bool program = choice.type == kPcTiProgram;
  if (!program) {
    if (choice.recordLength < 1 || choice.recordLength > 255)
      return refuse("Please select a recordlength", PcTiField::RecordLength);
    if (choice.type == kPcTiDisVar && choice.recordLength == 255)
      return refuse("Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes",
                    PcTiField::RecordLength);
  }
  if (!program && (choice.method <= kPcTiSelect || choice.method >= kPcTiMethodCount))
    return refuse("Please select a conversion methode", PcTiField::Method);
  if (program && choice.dataHeader) {
    for (size_t i = 0; i < 3; ++i) {
      const std::string& text = choice.headerWords[i];
      const bool hex = !text.empty() && text.size() <= 4 && std::all_of(text.begin(), text.end(), IsHexDigit);
      if (!hex)
        return refuse("Please enter a hexadecimal value header value",
                      static_cast<PcTiField>(static_cast<int>(PcTiField::HeaderWord1) + static_cast<int>(i)));
      check.words[i] = static_cast<uint16_t>(std::stoul(text, nullptr, 16));
    }
  }
  return check;
}

std::string PcTiDialogCaption(const std::string& pcName) {
  return fmt::sprintf("Convert PC file [%.30s] to", pcName);
}

std::string PcTiProposedName(const std::string& pcName) {
  return FilterTypedTiName(SafePcName(PcNameToTiName(pcName)));
}

std::string FilterTypedTiName(const std::string& text) { return FilterField(text, " \"*./:<>?\\|", 10); }

std::string FilterTypedHexWord(const std::string& text) {
  std::string word;
  for (char c : text)
    if (IsHexDigit(c) && word.size() < 4) word += c;
  return word;
}

PcTiTypeRules TypeRules(int type) {
  PcTiTypeRules rules;
  if (type == kPcTiProgram) {
    rules.recordLengthEnabled = false;
    rules.methodEnabled = false;
    rules.dataHeaderEnabled = true;
  }
  return rules;
}

bool ConvertPcFileToTi(const std::string& sourcePath, const std::string& destDirectory, const PcTiJob& job,
                       Progress& progress) {
  SetLastErrorCode(0);
  const std::string destPath = JoinPath(destDirectory, job.tiName);
  if (!IsSafeLeafName(job.tiName)) {
    ReportError(kErrOpenWrite, destPath);
    return false;
  }
  if (IsSameFile(destPath, sourcePath)) {
    ReportError(kErrCopyToItself);
    return false;
  }
  // A file of that name may be another TI file: it is replaced only when the
  // user says so, as the other direction and the copy commands ask.
  if (PathExists(destPath)) {
    const Answer a = CurrentReporter().Ask(kOverwriteCaption, OverwriteText("file", job.tiName), Buttons::YesNoCancel);
    if (a != Answer::Yes && a != Answer::All) return false;
  }
  return ConvertPcFileToTiFile(sourcePath, destPath, job, progress);
}

bool ConvertPcFileToTiFile(const std::string& sourcePath, const std::string& destPath, const PcTiJob& job,
                           Progress& progress) {
  SetLastErrorCode(0);
  if (IsSameFile(destPath, sourcePath)) {
    ReportError(kErrCopyToItself);
    return false;
  }
  if (job.type <= kPcTiNoType || job.type >= kPcTiTypeCount) {
    ReportError(kErrOpenWrite, destPath);
    return false;
  }
  PcFile source;
  if (!IsRegularFile(sourcePath) || !source.Open(sourcePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, sourcePath);
    return false;
  }
  const int64_t sourceSize = source.Size();
  if (sourceSize < 0) {
    ReportError(kErrOpenRead, sourcePath);
    return false;
  }
  const bool program = job.type == kPcTiProgram;
  const uint64_t programSize = static_cast<uint64_t>(sourceSize) + (job.dataHeader ? kDataHeaderSize : 0);
  if (program && (programSize + kSectorSize - 1) / kSectorSize > kMaxSectors) {
    ReportError(kErrWriteFile, destPath);  // more than a TI file can count
    return false;
  }
  PcFile dest;
  if (!dest.Open(destPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, destPath);
    return false;
  }
  progress.Begin(static_cast<uint64_t>(sourceSize), "");
  progress.Step(0);

  HeaderFields fields;
  fields.tiName = PcNameToTiName(job.tiName);
  fields.flags = PcTiStatusFlags(job.type);
  SectorSink sink(dest, destPath);
  ByteStream in(source);
  bool ok = true;

  if (program) {
    fields.sectors = static_cast<uint16_t>((programSize + kSectorSize - 1) / kSectorSize);
    fields.eofOffset = static_cast<uint8_t>(programSize % kSectorSize);
    ok = sink.WriteHeader(fields);
    uint64_t out = 0;
    while (ok && out < programSize) {
      SectorBytes sector{};
      size_t at = 0;
      if (out == 0 && job.dataHeader) {
        ByteWriter w(sector.data(), sector.size());
        for (size_t i = 0; i < 3; ++i) w.put16be(2 * i, job.words[i]);  // three big-endian words
        at = kDataHeaderSize;
      }
      in.Read(sector.data() + at, sector.size() - at);
      ok = sink.Write(sector);
      out += kSectorSize;
      progress.Step(in.Consumed());
      if (progress.Cancelled()) ok = false;
    }
  } else {
    const unsigned length = static_cast<unsigned>(std::clamp(job.recordLength, 1, 255));
    fields.recordLength = static_cast<uint8_t>(length);
    ok = sink.WriteHeader(fields);  // the counts follow once the records are out
    if (job.type == kPcTiDisFix || job.type == kPcTiIntFix) {
      FixedRecords records(sink, length);
      ok = ok && FeedPieces(in, job.method, kSectorSize, records, sink, progress) && records.Finish();
      fields.recordsPerSector = static_cast<uint8_t>((kSectorSize / length) & 0xFF);
      fields.eofOffset = records.EofOffset();
      fields.level3 = static_cast<uint16_t>(records.Records());
    } else {
      VariableRecords records(sink, length);
      ok = ok && FeedPieces(in, job.method, records.RecordLimit(), records, sink, progress) && records.Finish();
      fields.recordsPerSector = length == 255 ? 1 : static_cast<uint8_t>(255 / (length + 1));
      fields.eofOffset = records.EofOffset();
      fields.level3 = static_cast<uint16_t>(sink.Sectors());
    }
    fields.sectors = static_cast<uint16_t>(sink.Sectors());
    ok = ok && sink.WriteHeader(fields);
  }
  if (ok && in.Failed()) {
    ReportError(kErrReadFile, sourcePath);
    ok = false;
  }
  if (ok && !dest.Flush()) {
    ReportError(kErrWriteFile, destPath);
    ok = false;
  }
  const bool cancelled = progress.Cancelled();
  progress.End();
  if (sink.WasTooLarge() || cancelled) {
    // Counts that do not fit, or the counts of a half-written file, would
    // describe another file: leave none.
    dest.Close();
    ::unlink(destPath.c_str());
  }
  return ok;
}

}  // namespace korvane
