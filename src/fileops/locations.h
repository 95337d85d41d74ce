// Reading a location into a pane and moving through directories and
// containers: scan a PC directory and classify each file by its first 256
// bytes, enter a row, leave a level, refresh. What each kind of container
// does at each of these steps is answered by the table of container kinds
// (container_kinds.h); this file walks the steps.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/catalog_paths.h"
#include "catalog/pane.h"
#include "catalog/pane_model.h"

namespace korvane {

// Lists the pane's location path: a directory (optionally with a "*" name
// pattern in its last component) or a file, which is opened as a floppy
// image. False when the path is neither.
bool ReadLocation(PaneState& pane);

// Lists one PC directory; `pattern` filters names ("*" and "?" wildcards,
// case ignored; "*" or "*.*" lists everything).
bool ScanDirectory(PaneState& pane, const std::string& directory, const std::string& pattern);

// Classifies one PC file from its first bytes: floppy/PC99 image, hard-disk
// image, card image, TI file with a header, or DOS. `readAt` gives further
// bytes of the file (the PC99 VIB, the last sector of a Classic99 file).
// Returns false when the file cannot be read at all.
bool ClassifyPcFile(const std::string& directory, const std::string& name, CatalogEntry& row);
// The same with the file opened relative to an open directory (faster for a
// whole directory: no full path is looked up for each file).
bool ClassifyPcFileAt(int directoryFd, const std::string& directory, const std::string& name, CatalogEntry& row);

// Opens the row at `index` (Enter, double click). Returns true when the pane
// now shows another location.
bool EnterRow(PaneState& pane, int index);

// Goes one level up; false when the pane is at its start directory.
bool Leave(PaneState& pane);

// Re-reads the current location.
bool Refresh(PaneState& pane);

// ReadLocation that reports a failure once: the directory scan reports a
// directory it cannot open itself; any other failure (a path that is no
// longer there) is reported here with the system's text.
bool ReadLocationReportingOnce(PaneState& pane);

// A PC-directory pane may show a location that ends in a name pattern
// ("games/*.tfi"); its rows then live in the directory before the pattern.
// Every command that reaches the PC file of a row goes through these two.
// The directory the pane lists: the location path without such a pattern
// (the location path itself for every other pane).
std::string PaneDirectory(const PaneState& pane);
// The PC path of a row of a PC-directory pane: that directory and the row's
// PC name.
std::string RowPcPath(const PaneState& pane, const CatalogEntry& row);

// Resets the navigation of a pane model to its start path and reads it.
// Reports a failed read once, naming the path. Returns whether the read
// succeeded.
bool GotoRoot(PaneModel& m);
// The first read of a pane model: reads the location path, reporting a
// failure once; the pane keeps what the reader added, and has no list at
// all when the read failed before adding a row.
bool FirstRead(PaneModel& m);

}  // namespace korvane
