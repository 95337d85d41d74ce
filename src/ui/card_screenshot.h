// Used by scripts/screenshot.sh: a picture of the main window with a card's
// volume list, read from the first card drive through the card reader
// dialog as a user would.
#pragma once

namespace korvane::ui {

class MainWindow;

// With KORVANE_SCREENSHOT_CARD=FILE.png set: reads the card into the right
// pane and saves the window's picture. True when nothing was asked or the
// picture was written.
bool TakeCardScreenshot(MainWindow& window);

}  // namespace korvane::ui
