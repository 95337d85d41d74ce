#include "catalog/pane.h"

#include <algorithm>

namespace korvane {

int PaneState::MarkedCount() const {
  return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const CatalogEntry& r) { return r.marked; }));
}

void PaneState::PushLevel() {
  if (static_cast<int>(cursorHistory.size()) < kMaxCursorHistory) cursorHistory.push_back(cursor);
  cursor = topRow;
}

void PaneState::PopLevel() {
  int row = topRow;
  if (!cursorHistory.empty()) {
    const int saved = cursorHistory.back();
    cursorHistory.pop_back();
    if (saved < RowCount()) {
      topRow = std::max(0, std::min(saved, RowCount() - rowsPerPage));
      row = saved;
    }
  }
  if (row < RowCount()) cursor = row;
}

void PaneState::DropLevel() {
  if (!cursorHistory.empty()) cursorHistory.pop_back();
}

void PaneState::ClampCursor() {
  if (cursor >= RowCount()) cursor = std::max(0, RowCount() - 1);
  if (cursor < 0) cursor = 0;
}

PaneTotals ComputeTotals(const PaneState& pane) {
  PaneTotals t;
  for (const CatalogEntry& r : pane.rows) {
    unsigned sectors;
    if (IsTiFileKind(r.kind) || r.kind == kKindCardDrive)
      sectors = r.kind == kKindCardDrive ? r.disk.total : r.totalSectors;
    else if (IsFloppyImageKind(r.kind))
      sectors = r.disk.total;
    else
      continue;
    ++t.rows;
    t.sectors += sectors;
    if (r.marked) {
      ++t.markedRows;
      t.markedSectors += sectors;
    }
  }
  return t;
}

}  // namespace korvane
