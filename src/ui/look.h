// How the panes look: the list font with its line height and the three
// colours of the settings (text, background, mark), converted once from the
// stored 0x00BBGGRR values.
#pragma once

#include <QColor>
#include <QFont>

#include "platform/settings.h"

namespace korvane::ui {

struct Look {
  QFont font;
  int lineHeight = 16;
  QColor text;
  QColor background;
  QColor mark;
};

// 0x00BBGGRR <-> QColor.
QColor ColorFromRef(uint32_t ref);
uint32_t RefFromColor(const QColor& color);

// The list font from the settings: face, height (negative = pixels of the
// character, positive = of the cell), weight, italic. Falls back to a fixed
// pitch face when the named one is missing.
QFont ListFont(const Settings& settings);

Look MakeLook(const Settings& settings);

}  // namespace korvane::ui
