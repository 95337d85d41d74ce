// The state of one file pane that the core reads and writes: where it looks,
// how it got there, its rows, cursor, marks and cursor history. The GUI only
// draws this and turns keys and clicks into calls on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/entry.h"

namespace korvane {

inline constexpr int kMaxHdLevels = 20;
inline constexpr int kMaxCursorHistory = 10;

struct PaneState {
  // Navigation.
  std::string locationPath;  // PC directory, or the container file the list was read from
  std::string innerName;     // PC-safe name of the volume or sub-directory entered inside a container
  std::string outerPath;     // path to return to after a hard-disk or card container
  int directoryDepth = 0;    // PC sub-directories entered below the start directory
  int containerLevel = 0;    // 0 PC directory, 1 inside a container, 2 inside a floppy sub-directory
  int hdLevel = 0;           // hard-disk level count
  std::array<std::string, kMaxHdLevels> hdNames;
  LocationType locationType = kLocPcDirectory;
  uint16_t fdirSector = 1;    // FDIR sector of the open floppy level
  bool floppyHasUprdir = true;  // false when the start path itself named the image
  CatalogEntry container;     // copy of the container row that was entered
  bool returningIntoCard = false;
  bool cardNested = false;
  bool containerInContainer = false;
  int cardVolumeCount = 0;

  // Rows and what the pane shows of them.
  FileList rows;
  int cursor = 0;
  int topRow = 0;
  int rowsPerPage = 1;  // set by the view; 1 when nothing is shown
  int sortKey = 1;      // 0 PC name, 1 TI name, 2 size, 3 type, 4 attributes, 5+ unsorted
  std::vector<int> cursorHistory;

  int RowCount() const { return static_cast<int>(rows.size()); }
  int HighestTop() const {
    const int h = RowCount() - rowsPerPage;
    return h > 0 ? h : 0;
  }
  int MarkedCount() const;

  // Cursor history used by the location readers when they enter and leave a
  // level. Push saves the cursor (at most 10 levels) and puts the cursor on
  // the top row; Pop returns to the saved row when it still exists.
  void PushLevel();
  void PopLevel();
  void DropLevel();

  // Clamps the cursor to the last row (after a refresh).
  void ClampCursor();
};

// Totals of a pane, recomputed at every paint: counted rows, marked counted
// rows, total sectors and marked sectors.
struct PaneTotals {
  unsigned rows = 0;
  unsigned markedRows = 0;
  unsigned sectors = 0;
  unsigned markedSectors = 0;
};
PaneTotals ComputeTotals(const PaneState& pane);

}  // namespace korvane
