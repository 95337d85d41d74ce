// The folder browser used for the start path and "Select another directory".
#pragma once

#include <QString>
#include <QWidget>

#include <string>

namespace korvane::ui {

// Shows the browser starting at `path` (or the nearest folder of it that
// exists, else the home folder), centred on `centreOn` (the active pane's
// list) or on the screen when there is none; a status line names the
// selected folder. On OK `path` becomes the chosen folder. Returns whether a
// folder was chosen.
bool BrowseForFolder(QWidget* parent, std::string& path, const QWidget* centreOn = nullptr);

// The folder the browser opens at for `path`.
QString BrowserStartFolder(const std::string& path);

// Moves `window` so that it is centred over `over`, or over the primary
// screen when `over` is null or hidden; its size stays.
void CentreOver(QWidget* window, const QWidget* over);

}  // namespace korvane::ui
