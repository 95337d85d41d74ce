// What the main-window tests share: a fresh scratch folder, reporter and
// settings for each test function, opening the window the way the program
// does (its Korvane.ini in the scratch folder, shown at 900 x 600, both
// panes read), asking whether a menu item is enabled now, and putting a
// pane's cursor on a row.
#pragma once

#include <QAction>

#include <memory>
#include <string>

#include "platform/settings.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "ui/main_window.h"

namespace korvane::test {

// The main window on `left` (and `right`, or `left` again when empty), with
// its settings file in `dir`.
inline std::unique_ptr<ui::MainWindow> OpenMainWindow(Settings& settings, const TempDir& dir, const std::string& left,
                                                      const std::string& right = {}) {
  auto w = std::make_unique<ui::MainWindow>(settings, dir.path() + "/Korvane.ini", left, right.empty() ? left : right);
  w->resize(900, 600);
  w->show();
  w->Cmds().FirstRead();
  return w;
}

// Whether the menu item `id` is enabled, after the menus were brought up to
// date as they are when a menu opens.
inline bool Enabled(ui::MainWindow& w, int id) {
  w.UpdateMenuState();
  return w.Actions(id).front()->isEnabled();
}

// Puts the cursor of pane `side` on the row read from `sourceName`; the
// cursor stays where it was when there is no such row.
inline void PutCursor(ui::MainWindow& w, int side, const std::string& sourceName) {
  PaneState& p = w.Cmds().Pane(side).state;
  for (int i = 0; i < p.RowCount(); ++i)
    if (p.rows[static_cast<size_t>(i)].sourceName == sourceName) p.cursor = i;
}

// The scratch folder, the recording reporter and the settings a test class
// works with; Begin() in its init() makes them fresh, End() in its cleanup()
// drops them (the reporter first, so that the one before it is back).
class MainWindowScene {
 protected:
  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<RecordingReporter> reporter_;
  Settings settings_;

  void Begin() {
    dir_ = std::make_unique<TempDir>();
    reporter_ = std::make_unique<RecordingReporter>();
    settings_ = Settings{};
  }
  void End() {
    reporter_.reset();
    dir_.reset();
  }
};

}  // namespace korvane::test
