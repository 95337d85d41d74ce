#include "fileops/container_check.h"

#include <strings.h>
#include <unistd.h>

#include <fmt/printf.h>

#include <map>
#include <vector>

#include "archive/arc_check.h"
#include "catalog/attribute_check.h"
#include "catalog/header.h"
#include "fileops/locations.h"
#include "floppy/floppy_check.h"
#include "floppy/floppy_repair.h"
#include "floppy/pc99.h"
#include "floppy/v9t9.h"
#include "harddisk/cf7_check.h"
#include "harddisk/hd_check.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr size_t kCopyChunk = 1 << 20;

// Why a file the user named is no container: the signature or the size.
std::string WhyNotContainer(ByteView first, uint64_t size) {
  if (size < kPcHeaderSize)
    return fmt::sprintf("the file holds %u bytes, too few for a TI header or a disk image", static_cast<unsigned>(size));
  if (size >= kSectorSize && first.equals(vib::kMarker, "DSK"))
    return "the VIB has \"DSK\" but its sides, density or tracks are impossible";
  if (size < kSectorSize)
    return fmt::sprintf("the file holds %u bytes: no valid TI header, and too short for a disk image",
                        static_cast<unsigned>(size));
  return "no \"DSK\" at VIB bytes 13-15 and no valid TI file header: not a TI container or TI file";
}

TiAttributes RowAttributes(const CatalogEntry& row) {
  TiAttributes a;
  a.status = static_cast<uint8_t>(row.statusFlags);
  a.recordsPerSector = static_cast<uint8_t>(row.recordsPerSector);
  a.totalSectors = row.totalSectors;
  a.eofOffset = static_cast<uint8_t>(row.eofOffset);
  a.recordLength = row.kind == kKindProgram ? 0 : static_cast<uint8_t>(row.recordLength);
  a.level3 = row.level3Records;
  return a;
}

bool CopyFile(const std::string& from, const std::string& to) {
  PcFile in, out;
  if (!in.Open(from, PcFile::Mode::Read) || !out.Open(to, PcFile::Mode::CreateWrite)) return false;
  std::vector<uint8_t> buffer(kCopyChunk);
  for (uint64_t at = 0;; at += buffer.size()) {
    const size_t got = in.ReadAt(at, buffer.data(), buffer.size());
    if (got == 0) break;
    if (!out.WriteAt(at, buffer.data(), got)) return false;
    if (got < buffer.size()) break;
  }
  return out.Flush() && in.Size() == out.Size();
}

// A sector image whose VIB kept "DSK" but whose sides, density or tracks the
// pane refuses: still checked (and repaired) as a floppy, which names the
// field at fault and may set it from the image size.
bool KeptDskSignature(ByteView first, int64_t size) {
  return first.size() >= kSectorSize && first.equals(vib::kMarker, "DSK") && size > 0 && size % kSectorSize == 0;
}

}  // namespace

bool CalledLikeImage(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return dot != std::string::npos && strcasecmp(name.c_str() + dot + 1, "dsk") == 0;
}

void CheckTiFileHeader(const std::string& path, CheckReport& report) {
  PcFile file;
  uint8_t header[kPcHeaderSize];
  if (!file.Open(path, PcFile::Mode::Read) || !file.ReadExact(0, header, sizeof header)) {
    report.Error(FindingCode::ReadFailed, "header", -1, "the header cannot be read");
    return;
  }
  const ByteView h(header, sizeof header);
  const int64_t size = file.Size();
  const uint64_t data = size > static_cast<int64_t>(kPcHeaderSize) ? static_cast<uint64_t>(size) - kPcHeaderSize : 0;
  const bool tifiles = HasTifilesMagic(h);
  const unsigned said = tifiles ? h.be16(tifiles::kTotalSectors) : h.be16(fdr::kTotalSectors);
  const unsigned whole = static_cast<unsigned>(data / kSectorSize);
  const unsigned partial = data % kSectorSize;
  if (tifiles) {
    // A TIFILES header whose count disagrees with the size is read as a
    // Classic99 file, its attributes taken from the size: readable, but a
    // file of whole sectors fewer than the header says was cut short.
    if (partial == 0 && whole < said)
      report.Error(FindingCode::HeaderSize, "header", -1,
                   fmt::sprintf("the header says %u sectors, the file holds %u: it was cut short", said, whole));
    else if (partial != 0 || whole != said)
      report.Warning(FindingCode::HeaderSize, "header", -1,
                     fmt::sprintf("the TIFILES header says %u sectors, the file holds %u bytes of data: read as a "
                                  "Classic99 file",
                                  said, static_cast<unsigned>(data)));
  } else {
    if (whole < said)
      report.Error(FindingCode::HeaderSize, "header", -1,
                   fmt::sprintf("the header says %u sectors, the file holds %u", said, whole));
    else if (whole > said)
      report.Warning(FindingCode::HeaderSize, "header", -1,
                     fmt::sprintf("the file holds %u sectors, the header says %u", whole, said));
    if (partial != 0)
      report.Warning(FindingCode::HeaderSize, "header", -1,
                     fmt::sprintf("%u bytes after the last whole sector", partial));
  }
  CatalogEntry row;
  if (!ClassifyPcFile(ParentPath(path), LastComponent(path), row) || !IsTiFileKind(row.kind)) return;
  for (const AttributeProblem& p : CheckAttributes(RowAttributes(row)))
    report.Add(p.severity, p.code, "header", -1, p.reason).file = TrimTiName(row.tiName);
}

ContainerCheck CheckPcFile(const std::string& path, bool named, Progress& progress) {
  ContainerCheck result;
  result.report.container = path;
  CatalogEntry row;
  PcFile file;
  if (!file.Open(path, PcFile::Mode::Read)) {
    result.container = result.checked = named;
    result.report.kind = "file";
    if (named) result.report.Error(FindingCode::ReadFailed, "file", -1, "the file cannot be opened");
    return result;
  }
  const int64_t size = file.Size();
  uint8_t first[kSectorSize] = {};
  const size_t got = file.ReadAt(0, first, sizeof first);
  if (!ClassifyPcFile(ParentPath(path), LastComponent(path), row)) row.kind = kKindDos;
  if (row.kind != kKindDsk && KeptDskSignature(ByteView(first, got), size)) row.kind = kKindDsk;
  // A partition table that keeps its name and "PT" but whose entries no
  // longer pass is still checked as one, so that the entry at fault is named.
  if (row.kind == kKindDos && LooksLikePartitionTable(ByteView(first, got))) row.kind = kKindPtImg;

  switch (row.kind) {
    case kKindDsk: {
      result.container = result.checked = true;
      result.report.kind = "DSK";
      ImageFileSectors sectors(file, path);
      CheckFloppy(sectors, size > 0 ? static_cast<uint64_t>(size) : 0, result.report);
      return result;
    }
    case kKindPc99Sd:
    case kKindPc99Dd: {
      result.container = result.checked = true;
      result.report.kind = KindName(row.kind);
      file.Close();
      Pc99Image image;
      if (!image.Open(path, row.kind)) {
        result.report.Error(FindingCode::ReadFailed, "VIB", 0, "the VIB cannot be found in the track data");
        return result;
      }
      CheckFloppy(image.Sectors(), 0, result.report);
      return result;
    }
    case kKindPtImg:
    case kKindHdImg:
      result.container = result.checked = true;
      result.report.kind = KindName(row.kind);
      CheckHardDiskImage(file, size > 0 ? static_cast<uint64_t>(size) : 0, result.report, progress);
      return result;
    case kKindCardImg:
      result.container = result.checked = true;
      result.report.kind = KindName(row.kind);
      file.Close();
      CheckCardImageFile(path, result.report, progress);
      return result;
    case kKindDos:
      if (named) {
        result.container = result.checked = true;
        result.report.kind = "file";
        result.report.Error(FindingCode::NotContainer, "file", -1,
                            WhyNotContainer(ByteView(first, got), size > 0 ? static_cast<uint64_t>(size) : 0));
      }
      return result;
    default:
      break;
  }
  // A disk image whose VIB lost its "DSK" can pass for a V9T9 header (the
  // volume name is a valid name, sectors per track valid flags). A TI file
  // is 128 bytes plus whole sectors; an image is whole sectors only.
  if (IsTiFileKind(row.kind) && row.headerKind == kHeaderV9t9 && size > 0 && size % kSectorSize == 0 &&
      CalledLikeImage(LastComponent(path))) {
    result.container = result.checked = true;
    result.report.kind = "file";
    result.report.Error(FindingCode::NotContainer, "file", -1,
                        WhyNotContainer(ByteView(first, got), static_cast<uint64_t>(size)));
    return result;
  }
  if (!IsTiFileKind(row.kind)) {
    // A container kind without a check of its own.
    result.container = true;
    result.report.kind = KindName(row.kind);
    return result;
  }
  result.container = result.checked = true;
  result.report.kind = "TI file";
  CheckTiFileHeader(path, result.report);
  if (row.recordLength != 128) return result;
  ArchiveFileInput input(file);
  const uint64_t data = size > 128 ? static_cast<uint64_t>(size) - 128 : 0;
  if (row.kind == kKindIntFix && LooksLikeCompressedArchive(input)) {
    result.report.kind = "ARC";
    CheckArchive(input, true, data, result.report);
  } else if (row.kind == kKindDisFix && LooksLikePlainArchive(input)) {
    result.report.kind = "ARC";
    CheckArchive(input, false, data, result.report);
  }
  return result;
}

namespace {

// Keeps the original as "<path>.bak" before the first write; false (with the
// refusal set) when that name exists or the copy fails.
bool KeepBackup(const std::string& path, RepairOutcome& outcome) {
  const std::string backup = path + ".bak";
  if (PathExists(backup)) {
    outcome.failed = true;
    outcome.refusal = fmt::sprintf("<%s> exists already; move it away or repair with --no-backup", backup);
    return false;
  }
  if (!CopyFile(path, backup)) {
    unlink(backup.c_str());
    outcome.failed = true;
    outcome.refusal = fmt::sprintf("the original cannot be kept as <%s>", backup);
    return false;
  }
  outcome.backupPath = backup;
  return true;
}

// The volumes of a card image are mended one by one with the floppy repair;
// the card counts as one image: one backup, and a failure puts every volume
// back.
RepairOutcome RepairCardImage(const std::string& path, bool keepBackup) {
  RepairOutcome outcome;
  outcome.repairable = true;
  CardImage card;
  if (!card.Open(path, true)) {
    outcome.failed = true;
    outcome.refusal = "the card image cannot be opened for writing";
    return outcome;
  }
  const std::map<uint32_t, RepairPlan> plans = PlanCardRepair(card);
  if (plans.empty()) {
    CheckCardImageFile(path, outcome.after);
    return outcome;
  }
  if (keepBackup && !KeepBackup(path, outcome)) return outcome;
  if (!CommitCardRepair(card, plans)) {
    outcome.failed = true;
    outcome.refusal = "a sector could not be written; what was written has been put back";
    return outcome;
  }
  outcome.written = true;
  for (const auto& [n, plan] : plans)
    for (const std::string& a : plan.actions) outcome.actions.push_back(fmt::sprintf("volume %u: %s", n, a));
  CheckCardImageFile(path, outcome.after);
  return outcome;
}

}  // namespace

RepairOutcome RepairPcFile(const std::string& path, bool keepBackup) {
  RepairOutcome outcome;
  CatalogEntry row;
  uint8_t first[kSectorSize] = {};
  size_t got = 0;
  int64_t size = -1;
  {
    PcFile probe;
    if (probe.Open(path, PcFile::Mode::Read)) {
      got = probe.ReadAt(0, first, sizeof first);
      size = probe.Size();
    }
  }
  const bool classified = ClassifyPcFile(ParentPath(path), LastComponent(path), row);
  if (classified && row.kind == kKindCardImg) return RepairCardImage(path, keepBackup);
  if (!(classified && row.kind == kKindDsk) && !KeptDskSignature(ByteView(first, got), size)) {
    outcome.refusal = classified && (row.kind == kKindHdImg || row.kind == kKindPtImg)
                          ? "hard-disk images are checked, not repaired"
                          : "only V9T9 floppy images and card image volumes are repaired";
    outcome.failed = true;
    return outcome;
  }
  outcome.repairable = true;
  PcFile file;
  if (!file.Open(path, PcFile::Mode::ReadWrite)) {
    outcome.failed = true;
    outcome.refusal = "the image cannot be opened for writing";
    return outcome;
  }
  ImageFileSectors sectors(file, path);
  RepairPlan plan = PlanFloppyRepair(sectors, size > 0 ? static_cast<uint64_t>(size) : 0);
  outcome.after = plan.after;
  if (!plan.refusal.empty()) {
    outcome.failed = true;
    outcome.refusal = plan.refusal;
    return outcome;
  }
  if (plan.writes.empty()) return outcome;
  if (keepBackup && !KeepBackup(path, outcome)) return outcome;
  if (!CommitRepair(sectors, plan) || !file.Flush()) {
    outcome.failed = true;
    outcome.refusal = "a sector could not be written; what was written has been put back";
    return outcome;
  }
  outcome.written = true;
  outcome.actions = plan.actions;
  return outcome;
}

bool HasRepairs(const std::string& path) {
  CatalogEntry row;
  uint8_t first[kSectorSize] = {};
  size_t got = 0;
  int64_t size = -1;
  PcFile file;
  if (!file.Open(path, PcFile::Mode::Read)) return false;
  got = file.ReadAt(0, first, sizeof first);
  size = file.Size();
  const bool classified = ClassifyPcFile(ParentPath(path), LastComponent(path), row);
  if (classified && row.kind == kKindCardImg) {
    file.Close();
    CardImage card;
    return card.Open(path, false) && !PlanCardRepair(card).empty();
  }
  if (!(classified && row.kind == kKindDsk) && !KeptDskSignature(ByteView(first, got), size)) return false;
  ImageFileSectors sectors(file, path);
  return !PlanFloppyRepair(sectors, size > 0 ? static_cast<uint64_t>(size) : 0).writes.empty();
}

std::string CheckReportText(const CheckReport& report) {
  std::string text = fmt::sprintf("Check of %s (%s)\r\n\r\n", report.container, report.kind);
  for (const Finding& f : report.findings) text += FormatFinding(f) + "\r\n";
  if (!report.findings.empty()) text += "\r\n";
  const int errors = report.Errors(), warnings = report.Warnings();
  if (errors == 0 && warnings == 0) text += "No errors found.\r\n";
  else
    text += fmt::sprintf("%d %s, %d %s\r\n", errors, errors == 1 ? "error" : "errors", warnings,
                         warnings == 1 ? "warning" : "warnings");
  return text;
}

}  // namespace korvane
