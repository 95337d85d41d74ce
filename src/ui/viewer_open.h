// Opening viewer and picture windows on what the panes show: the view keys
// of a row (text, Forth blocks, hex dump, pictures, GIF), the listing of a
// pane and the track layout of a PC99 image. The commands call these; the
// windows come from the program's shared viewer slots.
#pragma once

#include <QWidget>

#include <sys/types.h>

#include <string>
#include <vector>

#include "catalog/pane.h"
#include "platform/settings.h"
#include "viewers/gif_picture.h"

namespace korvane::ui {

// F3 (mode 0), Shift+F3 (mode 7) and F4 (mode 2) on a row: a TI file shows
// its view, read-only; a PC file (DOS row) is loaded as editable text
// whatever the mode; other rows give an empty viewer.
void ViewRow(Settings& settings, const PaneState& pane, int row, int mode);

// Picture modes 3 (TI-Artist), 4 and 5 (MYART), 6 (character set).
void ShowPictureOfRow(Settings& settings, const PaneState& pane, int row, int mode);

// A GIF kept in a DIS/FIX 128 row, handed to the `picviewer` program.
void ShowGifOfRow(const Settings& settings, const PaneState& pane, int row);
// The picture viewers started (here or by Enter on a GIF row) are those of
// StartedPictureViewers (viewers/gif_picture.h); ended ones are also
// collected when the program's event loop ends.
using korvane::StartedPictureViewers;

// The directory listing of a pane in an editable viewer.
void FeedFileList(Settings& settings, const PaneState& pane);

// A text already built (the hex view of a run of sectors) in a read-only
// viewer named `name`; returns the viewer, null when no slot was free.
QWidget* ShowTextView(Settings& settings, const std::string& text, const std::string& title, const std::string& name);

// The track and sector layout of the PC99 image row `row` of a pane of a
// PC directory, read-only.
void ShowPc99Layout(Settings& settings, const PaneState& pane, int row);

}  // namespace korvane::ui
