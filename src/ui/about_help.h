// The About box and the help window.
#pragma once

#include <QWidget>

namespace korvane::ui {

// "About Korvane": picture, description and version line; "OK".
void ShowAbout(QWidget* parent);

// The bundled help page (how to use the panes, keys and commands) in a help
// window of its own.
void ShowHelp(QWidget* parent);

}  // namespace korvane::ui
