// Pictures of viewer windows for the project's screenshot script: a row of
// either pane is opened with F3 (its text view) or F9 (its TI-Artist
// picture), the window is drawn and saved as PNG and closed again. Driven by
// two environment variables of the form ROW:FILE.png, where ROW is the TI
// name or PC name of a row:
//   KORVANE_SCREENSHOT_LISTING  text viewer
//   KORVANE_SCREENSHOT_PICTURE  picture window
//   KORVANE_SCREENSHOT_STRUCTURE  the first sector-structure window of an
//                                 image row of a PC directory (its PC name)
#pragma once

#include "platform/settings.h"

namespace korvane::ui {

class MainWindow;

// Takes the pictures the environment asks for, with the panes as they are
// now. False when one was asked for and could not be written.
bool TakeViewerScreenshots(MainWindow& window, Settings& settings);

}  // namespace korvane::ui
