// The folder browser used for the start path and "Select another directory".
#pragma once

#include <QWidget>

#include <string>

namespace korvane::ui {

// Shows the browser starting at `path`; on OK `path` becomes the chosen
// folder. Returns whether a folder was chosen.
bool BrowseForFolder(QWidget* parent, std::string& path);

}  // namespace korvane::ui
