// The About box and the help window.
#pragma once

#include <QWidget>

class QTextBrowser;

namespace korvane::ui {

// "About Korvane": picture, description and version line; "OK".
void ShowAbout(QWidget* parent);

// The bundled help page (how to use the panes, keys and commands) in a help
// window of its own (one for the whole run; asking again raises it).
QTextBrowser* ShowHelp(QWidget* parent);

}  // namespace korvane::ui
