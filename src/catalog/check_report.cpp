#include "catalog/check_report.h"

#include <fmt/printf.h>

#include <algorithm>

namespace korvane {

Finding& CheckReport::Add(Severity severity, FindingCode code, std::string structure, int64_t sector,
                          std::string reason) {
  Finding f;
  f.severity = severity;
  f.code = code;
  f.structure = std::move(structure);
  f.sector = sector;
  f.reason = std::move(reason);
  findings.push_back(std::move(f));
  return findings.back();
}

int CheckReport::Errors() const {
  return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                        [](const Finding& f) { return f.severity == Severity::Error; }));
}

int CheckReport::Warnings() const { return static_cast<int>(findings.size()) - Errors(); }

bool CheckReport::Has(FindingCode code) const {
  return std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return f.code == code; });
}

const char* SeverityName(Severity severity) { return severity == Severity::Error ? "error" : "warning"; }

const char* FindingCodeName(FindingCode code) {
  switch (code) {
    case FindingCode::NotContainer: return "NotContainer";
    case FindingCode::ReadFailed: return "ReadFailed";
    case FindingCode::VibGeometry: return "VibGeometry";
    case FindingCode::VibTotal: return "VibTotal";
    case FindingCode::ImageSize: return "ImageSize";
    case FindingCode::SubdirSlot: return "SubdirSlot";
    case FindingCode::FdirOutOfRange: return "FdirOutOfRange";
    case FindingCode::FdirSystemSector: return "FdirSystemSector";
    case FindingCode::FdirDuplicateSector: return "FdirDuplicateSector";
    case FindingCode::FdirUnsorted: return "FdirUnsorted";
    case FindingCode::FdirDuplicateName: return "FdirDuplicateName";
    case FindingCode::FdirNoTerminator: return "FdirNoTerminator";
    case FindingCode::FdirAfterEnd: return "FdirAfterEnd";
    case FindingCode::FdrUnreadable: return "FdrUnreadable";
    case FindingCode::FdrName: return "FdrName";
    case FindingCode::FdrFlags: return "FdrFlags";
    case FindingCode::FdrAttributes: return "FdrAttributes";
    case FindingCode::ChainOutOfRange: return "ChainOutOfRange";
    case FindingCode::ChainBroken: return "ChainBroken";
    case FindingCode::ChainLength: return "ChainLength";
    case FindingCode::SharedSector: return "SharedSector";
    case FindingCode::BitmapClearButUsed: return "BitmapClearButUsed";
    case FindingCode::BitmapSetButUnused: return "BitmapSetButUnused";
    case FindingCode::BitmapPastEnd: return "BitmapPastEnd";
    case FindingCode::ArchiveDirectory: return "ArchiveDirectory";
    case FindingCode::ArchiveData: return "ArchiveData";
    case FindingCode::ArchiveStream: return "ArchiveStream";
    case FindingCode::HeaderSize: return "HeaderSize";
    case FindingCode::PartitionTable: return "PartitionTable";
    case FindingCode::DirectoryTree: return "DirectoryTree";
    case FindingCode::CardHeader: return "CardHeader";
    case FindingCode::MountRecord: return "MountRecord";
  }
  return "Unknown";
}

std::string FormatFinding(const Finding& f) {
  std::string where = f.structure;
  if (f.sector >= 0) where += fmt::sprintf(" sector %d", static_cast<long long>(f.sector));
  if (!f.file.empty()) where += fmt::sprintf(" (%s)", f.file);
  return fmt::sprintf("%s: %s: %s", SeverityName(f.severity), where, f.reason);
}

bool SameFault(const Finding& a, const Finding& b) {
  // The structure names the volume of a card: the same sector in two
  // volumes is two faults.
  return a.code == b.code && a.structure == b.structure && a.sector == b.sector && a.file == b.file &&
         a.fdrSector == b.fdrSector;
}

}  // namespace korvane
