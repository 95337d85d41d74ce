// "Show image VIB, DDR, FDIR or FDR" on the active pane's cursor row.
#include "fileops/locations.h"
#include "harddisk/structure_view.h"
#include "ui/commands.h"
#include "ui/structure_window.h"

namespace korvane::ui {

void Commands::ShowStructure() {
  const PaneState& p = Active().state;
  if (busy_ || !Active().hasRows || p.cursor < 0 || p.cursor >= p.RowCount()) return;
  // Only image files in a PC directory have a path of their own to read.
  if (p.locationType != kLocPcDirectory) return;
  const CatalogEntry& row = p.rows[static_cast<size_t>(p.cursor)];
  const std::optional<StructureTarget> first = FirstStructureOf(row.kind, RowPcPath(p, row));
  if (first) StructureWindow::Open(*first, settings_, window_);
}

}  // namespace korvane::ui
