#include "catalog/pane_model.h"

#include <fmt/printf.h>

#include <algorithm>
#include <utility>

#include "catalog/sort.h"

namespace korvane {
namespace {

constexpr const char* kTitles[kPaneColumns] = {"Pc Name", "Ti Name", "Size", "Type", "Attr", "Description"};

bool HasRow(const PaneModel& m, int row) { return row >= 0 && row < m.state.RowCount(); }

CatalogEntry& RowAt(PaneModel& m, int row) { return m.state.rows[static_cast<size_t>(row)]; }

// Sets the mark of the cursor row when the keyboard may mark it.
template <typename Change>
void ChangeCursorMark(PaneModel& m, Change change) {
  if (!HasRow(m, m.state.cursor)) return;
  CatalogEntry& row = RowAt(m, m.state.cursor);
  if (IsMarkableKind(row.kind)) row.marked = change(row.marked);
}

void MarkAllMarkable(PaneModel& m, bool mark) {
  for (CatalogEntry& row : m.state.rows)
    if (IsMarkableKind(row.kind)) row.marked = mark;
}

void ClearAllMarks(PaneModel& m) {
  for (CatalogEntry& row : m.state.rows) row.marked = false;
}

}  // namespace

const char* ColumnTitle(int column) { return column >= 0 && column < kPaneColumns ? kTitles[column] : ""; }

bool IsMarkableKind(int kind) { return IsTiFileKind(kind) || IsFloppyImageKind(kind) || kind == kKindCardDrive || kind == kKindDos; }

bool IsFileOrImageKind(int kind) {
  return IsTiFileKind(kind) || IsFloppyImageKind(kind) || kind == kKindHdImg || kind == kKindCardImg || kind == kKindDos;
}

bool IsArchiveFile(const CatalogEntry& row) {
  return (row.kind == kKindDisFix || row.kind == kKindIntFix) && row.recordLength == 128 && row.totalSectors >= 2 &&
         !row.archiveMember && row.containerKind == 0;
}

int NextMarkedOfKind(const PaneState& pane, int kind, int from) {
  for (int i = std::max(0, from); i < pane.RowCount(); ++i) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    if (row.marked && row.kind == kind) return i;
  }
  return -1;
}

int NextMarkedDiskImage(const PaneState& pane, int from) {
  for (int i = std::max(0, from); i < pane.RowCount(); ++i) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    if (row.marked && IsFloppyImageKind(row.kind)) return i;
  }
  return -1;
}

void NotePainted(PaneModel& m) {
  m.firstPainted = std::max(0, m.state.topRow);
  m.endPainted = std::min(m.state.RowCount(), m.firstPainted + std::max(1, m.state.rowsPerPage));
  m.endPainted = std::max(m.endPainted, m.firstPainted);
}

void SetRowsPerPage(PaneModel& m, int rowsPerPage) {
  m.state.rowsPerPage = std::max(1, rowsPerPage);
  NotePainted(m);
}

void KeyPageUp(PaneModel& m) {
  PaneState& p = m.state;
  p.topRow = std::max(0, p.topRow - p.rowsPerPage);
  p.cursor = p.topRow;
  NotePainted(m);
}

void KeyPageDown(PaneModel& m) {
  PaneState& p = m.state;
  p.topRow = std::min(p.HighestTop(), p.topRow + p.rowsPerPage);
  p.cursor = std::max(0, std::min(p.topRow + p.rowsPerPage - 1, p.RowCount() - 1));
  NotePainted(m);
}

void KeyEnd(PaneModel& m) {
  PaneState& p = m.state;
  p.cursor = std::max(0, p.RowCount() - 1);
  p.topRow = std::max(0, p.RowCount() - p.rowsPerPage);
  NotePainted(m);
}

void KeyHome(PaneModel& m) {
  m.state.cursor = 0;
  m.state.topRow = 0;
  NotePainted(m);
}

void KeyUp(PaneModel& m, bool shift) {
  PaneState& p = m.state;
  if (shift) ChangeCursorMark(m, [](bool marked) { return !marked; });
  p.cursor = std::max(0, p.cursor - 1);
  if (p.cursor < m.firstPainted)
    p.topRow = p.cursor;
  else if (p.cursor >= m.endPainted)
    p.topRow = std::max(0, p.cursor + 1 - p.rowsPerPage);
  NotePainted(m);
}

void KeyDown(PaneModel& m, bool shift) {
  PaneState& p = m.state;
  if (shift) ChangeCursorMark(m, [](bool marked) { return !marked; });
  p.cursor = std::max(0, std::min(p.cursor + 1, p.RowCount() - 1));
  if (p.cursor < m.firstPainted)
    p.topRow = p.cursor;
  else if (p.cursor >= m.endPainted)
    p.topRow = std::min(p.topRow + 1, p.HighestTop());
  NotePainted(m);
}

void KeyInsert(PaneModel& m, bool ctrl) {
  if (ctrl) {
    MarkAllMarkable(m, false);
    NotePainted(m);
    return;
  }
  ChangeCursorMark(m, [](bool marked) { return !marked; });
  KeyDown(m, false);
}

void KeyGrayPlus(PaneModel& m, bool ctrl) {
  if (ctrl) {
    MarkAllMarkable(m, true);
    NotePainted(m);
    return;
  }
  ChangeCursorMark(m, [](bool) { return true; });
  KeyDown(m, false);
}

void KeyGrayMinus(PaneModel& m, bool ctrl) {
  if (ctrl) {
    MarkAllMarkable(m, false);
    NotePainted(m);
    return;
  }
  ChangeCursorMark(m, [](bool) { return false; });
  KeyDown(m, false);
}

int RowAtY(PaneModel& m, int y, int lineHeight) {
  if (y < 0 || lineHeight <= 0) return -1;
  const int row = y / lineHeight + m.firstPainted;
  if (row >= m.state.RowCount()) return -1;
  m.state.cursor = row;
  return row;
}

int Click(PaneModel& m, int y, int lineHeight, bool shift, bool ctrl) {
  const bool ctrlAlone = ctrl && !shift;
  if (!shift && !ctrl) m.anchor = -1;
  if (shift && m.anchor == -1) m.anchor = m.state.cursor;
  const int rangeStart = m.anchor;
  const int hit = RowAtY(m, y, lineHeight);
  if (!ctrlAlone) ClearAllMarks(m);
  if (hit >= 0) {
    if (shift) {
      const int from = std::clamp(std::min(rangeStart, hit), 0, m.state.RowCount() - 1);
      const int to = std::clamp(std::max(rangeStart, hit), 0, m.state.RowCount() - 1);
      for (int i = from; i <= to; ++i) RowAt(m, i).marked = true;
    } else if (ctrlAlone) {
      RowAt(m, hit).marked = !RowAt(m, hit).marked;
    }
  }
  NotePainted(m);
  return hit;
}

DoubleClickAction DoubleClick(PaneModel& m, int y, int lineHeight, bool shift, bool ctrl) {
  const bool ctrlAlone = ctrl && !shift;
  if (ctrlAlone) ClearAllMarks(m);
  const int hit = RowAtY(m, y, lineHeight);
  NotePainted(m);
  if (hit < 0) return DoubleClickAction::None;
  const CatalogEntry& row = RowAt(m, hit);
  if ((row.kind == kKindDisVar && row.recordLength == 80) || row.kind == kKindProgram)
    return ctrlAlone ? DoubleClickAction::None : DoubleClickAction::View;
  return ctrlAlone ? DoubleClickAction::OpenOpposite : DoubleClickAction::Open;
}

void Scroll(PaneModel& m, ScrollAction action, int trackPosition) {
  PaneState& p = m.state;
  switch (action) {
    case ScrollAction::LineUp: p.topRow = std::max(0, p.topRow - 1); break;
    case ScrollAction::LineDown: p.topRow = std::min(p.topRow + 1, p.HighestTop()); break;
    case ScrollAction::PageUp: p.topRow = std::max(0, p.topRow - p.rowsPerPage); break;
    case ScrollAction::PageDown: p.topRow = std::min(p.topRow + p.rowsPerPage, p.HighestTop()); break;
    case ScrollAction::Track: p.topRow = std::clamp(trackPosition, 0, p.HighestTop()); break;
  }
  NotePainted(m);
}

void Wheel(PaneModel& m, int delta) {
  const ScrollAction a = delta > 0 ? ScrollAction::LineUp : ScrollAction::LineDown;
  Scroll(m, a);
  Scroll(m, a);
}

void SortByColumn(PaneModel& m, int column) {
  m.state.sortKey = column;
  SortRows(m.state.rows, column);
  RowAtY(m, 0, 1);
  NotePainted(m);
}

void TakeOverPane(const PaneModel& from, PaneModel& to) {
  // The rows come along so that the row to open can be read from them; the
  // reader empties the list before it fills it again.
  to.state = from.state;
  to.hasRows = from.hasRows;
  to.firstPainted = from.firstPainted;
  to.endPainted = from.endPainted;
  to.anchor = from.anchor;
  to.startPath = from.startPath;
}

void SwapPanes(PaneModel& active, PaneModel& other) {
  std::swap(active, other);
  if (active.state.cursor >= active.state.RowCount()) active.state.cursor = 0;
  NotePainted(active);
  NotePainted(other);
}

std::string ColumnText(const PaneState& pane, const CatalogEntry& row, int column) {
  const int k = row.kind;
  if (column == 0) return fmt::sprintf("%-s", row.sourceName);
  if (k == kKindDos) return column == 3 ? fmt::sprintf("%-8s", "DOS") : std::string();
  switch (column) {
    case 1:
      return fmt::sprintf("%-s", row.tiName);
    case 2:
      if (k == kKindSubdir || k == kKindUprdir) return {};
      if (k == kKindPtImg || k == kKindHdImg || k == kKindCardImg)
        return fmt::sprintf("%6ld", static_cast<long>(row.sizeInSectors));
      if (HasDiskSummaryKind(k)) return fmt::sprintf("%6d", row.disk.total);
      return fmt::sprintf("%6d", row.totalSectors);
    case 3:
      if (k <= kKindProgram && row.recordLength != 0) return fmt::sprintf("%-8s %5d", KindName(k), row.recordLength);
      return fmt::sprintf("%-8s", KindName(k));
    case 4: {
      if (k == kKindSubdir || k == kKindUprdir || k == kKindPtImg || k == kKindHdImg || k == kKindCardDrive ||
          k == kKindCardImg)
        return {};
      std::string text = fmt::sprintf(" %c%c", (row.statusFlags & status::kProtected) ? 'P' : '-',
                                      (row.statusFlags & status::kArchived) ? 'A' : '-');
      if (pane.locationType == kLocPcDirectory && IsTiFileKind(k) && row.headerKind >= kHeaderV9t9 &&
          row.headerKind <= kHeaderClassic99)
        text += fmt::sprintf(" %s", HeaderKindName(row.headerKind));
      return text;
    }
    case 5:
      return fmt::sprintf("%-s", row.comment);
    default:
      return {};
  }
}

std::string StatusText(const PaneState& pane) {
  const PaneTotals t = ComputeTotals(pane);
  const char* format = pane.locationType == kLocCardDrive ? " %u / %u sectors of %u / %u DSK-image(s)"
                                                          : " %u / %u sectors in %u / %u TI-file(s)";
  return fmt::sprintf(format, t.markedSectors, t.sectors, t.markedRows, t.rows);
}

}  // namespace korvane
