#include "ui/look.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace korvane::ui {

QColor ColorFromRef(uint32_t ref) { return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF); }

uint32_t RefFromColor(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

QFont ListFont(const Settings& s) {
  QFont font(QString::fromStdString(s.fontName));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(std::clamp(std::abs(s.fontHeight), 6, 72));
  font.setWeight(static_cast<QFont::Weight>(std::clamp(s.fontWeight, 100, 900)));
  font.setItalic(s.fontItalic);
  return font;
}

Look MakeLook(const Settings& s) {
  Look look;
  look.font = ListFont(s);
  look.lineHeight = std::max(1, QFontMetrics(look.font).height());
  look.text = ColorFromRef(s.textColor);
  look.background = ColorFromRef(s.backColor);
  look.mark = ColorFromRef(s.markColor);
  return look;
}

}  // namespace korvane::ui
