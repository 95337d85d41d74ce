// Set attributes: the write-protect and archive bits of TI files kept as PC
// files, stored in the status byte of their header (byte 12 of a V9T9
// header, byte 10 of a TIFILES header).
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr char kSorryText[] = "Sorry ... no file(s) of the correct type selected for this operation!";

std::vector<int> AttributeRows(const PaneState& pane) {
  std::vector<int> rows;
  for (int i : CommandRows(pane))
    if (IsTiFileKind(pane.rows[static_cast<size_t>(i)].kind)) rows.push_back(i);
  return rows;
}

uint8_t Apply(uint8_t flags, TriState state, uint8_t bit) {
  if (state == TriState::Set) return static_cast<uint8_t>(flags | bit);
  if (state == TriState::Clear) return static_cast<uint8_t>(flags & ~bit);
  return flags;
}

// Applies the states to one file; true when its header changed.
bool SetFileAttributes(const std::string& path, CatalogEntry& row, AttributeStates states) {
  PcFile file;
  if (!file.Open(path, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenRead, path);
    return false;
  }
  uint8_t header[kPcHeaderSize];
  if (!file.ReadExact(0, header, sizeof header)) {
    ReportError(kErrDiskInfo, path);
    return false;
  }
  // The file may have changed since it was listed: the status byte of the
  // other header kind is another field (byte 10 of a V9T9 header is
  // reserved, byte 12 of a TIFILES header the EOF offset).
  CatalogEntry now;
  const bool decodes = DecodeHeader(ByteView(header, sizeof header), row.sourceName, false, now);
  const uint16_t kindNow = now.headerKind;
  const uint16_t kindListed = row.headerKind == kHeaderClassic99 ? uint16_t{kHeaderTifiles} : row.headerKind;
  if (!decodes || kindNow != kindListed) {
    ReportError(kErrDiskInfo, path);
    return false;
  }
  const size_t at = row.headerKind == kHeaderV9t9 ? fdr::kStatus : tifiles::kStatus;
  const uint8_t before = header[at];
  uint8_t after = Apply(before, states.protect, status::kProtected);
  after = Apply(after, states.archive, status::kArchived);
  if (after == before) return false;
  header[at] = after;
  if (!file.WriteAt(0, header, sizeof header)) {
    ReportError(kErrWriteSector, 0, path);
    return false;
  }
  row.statusFlags = after;
  return true;
}

}  // namespace

TriState NextTriState(TriState state) {
  switch (state) {
    case TriState::Clear: return TriState::Set;
    case TriState::Set: return TriState::Leave;
    default: return TriState::Clear;
  }
}

bool CheckSetAttributes(const PaneState& pane) {
  if (pane.locationType == kLocPcDirectory) return true;
  ReportError(kErrAttribOnlyInDir);
  return false;
}

AttributeStates InitialAttributeStates(const PaneState& pane) {
  AttributeStates s;
  if (pane.MarkedCount() > 0 || pane.cursor < 0 || pane.cursor >= pane.RowCount()) return s;
  const uint16_t flags = pane.rows[static_cast<size_t>(pane.cursor)].statusFlags;
  s.protect = (flags & status::kProtected) ? TriState::Set : TriState::Clear;
  s.archive = (flags & status::kArchived) ? TriState::Set : TriState::Clear;
  return s;
}

bool HasAttributeRows(const PaneState& pane) { return !AttributeRows(pane).empty(); }

std::string AttributeText(const PaneState& pane) {
  const std::vector<int> rows = AttributeRows(pane);
  if (rows.empty()) return kSorryText;
  if (pane.MarkedCount() == 0)
    return fmt::sprintf("Do you really wish to set attributes for <%s>", SafePcName(pane.rows[static_cast<size_t>(rows[0])].tiName));
  std::string text = fmt::sprintf("Do you really wish to set attributes for %u files?", static_cast<unsigned>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i == 4) {
      text += "  ...";
      break;
    }
    text += fmt::sprintf("\n    %s", SafePcName(pane.rows[static_cast<size_t>(rows[i])].tiName));
  }
  return text;
}

int SetAttributes(PaneState& pane, AttributeStates states, Progress& progress) {
  const std::vector<int> rows = AttributeRows(pane);
  progress.Begin(rows.size(), "");
  int changed = 0;
  uint64_t done = 0;
  for (int index : rows) {
    if (progress.Cancelled()) break;
    CatalogEntry& row = pane.rows[static_cast<size_t>(index)];
    progress.SetText(fmt::sprintf("Set attributes <%s>", SafePcName(row.tiName)));
    if (states.protect != TriState::Leave || states.archive != TriState::Leave)
      if (SetFileAttributes(RowPcPath(pane, row), row, states)) ++changed;
    row.marked = false;
    progress.Step(++done);
  }
  progress.End();
  return changed;
}

}  // namespace korvane
