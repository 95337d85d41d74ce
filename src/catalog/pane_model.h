// What a file pane does with keys, clicks and the scroll bar, without any
// window system: the cursor, the marks, the top row, sorting, the row texts
// of the six columns and the status line. The GUI draws a PaneModel and
// turns its input into the calls below; tests drive the same calls.
#pragma once

#include <array>
#include <string>

#include "catalog/pane.h"

namespace korvane {

inline constexpr int kPaneColumns = 6;

struct PaneModel {
  PaneState state;
  // False until the first read has been tried: keys that need rows do
  // nothing and the row commands are greyed.
  bool hasRows = false;
  int firstPainted = 0;  // top row clamped to >= 0 at the last paint
  int endPainted = 0;    // index after the last row drawn at the last paint
  int anchor = -1;       // where a Shift-click range starts; -1 none
  std::string startPath; // the pane's root ("Goto root" returns here)
  std::array<int, kPaneColumns> columnWidths{100, 100, 60, 120, 40, 40};
  bool lastReadReported = false;  // the last GotoRoot or FirstRead reported an error
};

// The header texts: "Pc Name", "Ti Name", "Size", "Type", "Attr", "Description".
const char* ColumnTitle(int column);

// Row tests shared by the commands.
bool IsMarkableKind(int kind);    // TI files, floppy images, card volumes in a drive, DOS
bool IsFileOrImageKind(int kind); // 1-5, 9-11, 13, 15, 17
// DIS/FIX or INT/FIX with 128-byte records, 2 or more sectors, on the PC.
bool IsArchiveFile(const CatalogEntry& row);
// Index of the next marked row of `kind` (or disk image, 9-11) at or after
// `from`; -1 when none.
int NextMarkedOfKind(const PaneState& pane, int kind, int from);
int NextMarkedDiskImage(const PaneState& pane, int from);

// Records what a paint of the current top row shows (first and end painted
// rows); every action below ends with it, as every action ends in a repaint.
void NotePainted(PaneModel& m);
// Sets the rows per page from the list height and re-notes the painted rows.
void SetRowsPerPage(PaneModel& m, int rowsPerPage);

// Keys. `shift` counts only without Ctrl; callers pass it that way.
void KeyPageUp(PaneModel& m);
void KeyPageDown(PaneModel& m);
void KeyEnd(PaneModel& m);
void KeyHome(PaneModel& m);
void KeyUp(PaneModel& m, bool shift);
void KeyDown(PaneModel& m, bool shift);
void KeyInsert(PaneModel& m, bool ctrl);     // toggle the mark and move down; Ctrl: unmark all
void KeyGrayPlus(PaneModel& m, bool ctrl);   // mark and move down; Ctrl: mark all
void KeyGrayMinus(PaneModel& m, bool ctrl);  // unmark and move down; Ctrl: unmark all

// The row at pixel `y` of the list (the cursor moves there), or -1 below the
// last row (the cursor stays).
int RowAtY(PaneModel& m, int y, int lineHeight);

// A single click at `y`. Plain: marks cleared, anchor cleared; Ctrl alone:
// the row's mark toggles; Shift: the range from the anchor is marked and all
// other marks are cleared. Returns the row hit or -1.
int Click(PaneModel& m, int y, int lineHeight, bool shift, bool ctrl);

enum class DoubleClickAction { None, View, Open, OpenOpposite };
// A double click at `y`: what to do with the row under the cursor.
DoubleClickAction DoubleClick(PaneModel& m, int y, int lineHeight, bool shift, bool ctrl);

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Track };
// Moves the top row; the cursor stays where it is.
void Scroll(PaneModel& m, ScrollAction action, int trackPosition = 0);
// One wheel message: two lines up for a positive delta, else two down.
void Wheel(PaneModel& m, int delta);

// Header click: sort by the column and put the cursor on the top row.
void SortByColumn(PaneModel& m, int column);

// Makes `to` look where `from` looks (navigation, sort, cursor, history,
// start path) as the start of opening a row in the opposite pane.
void TakeOverPane(const PaneModel& from, PaneModel& to);

// Exchanges the two panes whole; the active side stays the same side, and
// its cursor returns to 0 when it is past the rows.
void SwapPanes(PaneModel& active, PaneModel& other);

// Going to the start path and the first read of a pane (GotoRoot,
// FirstRead) read a location: they live with the location readers
// (fileops/locations.h).

// The text of one cell, formatted as the pane shows it.
std::string ColumnText(const PaneState& pane, const CatalogEntry& row, int column);
// " %u / %u sectors in %u / %u TI-file(s)" (or "... of ... DSK-image(s)").
std::string StatusText(const PaneState& pane);

}  // namespace korvane
