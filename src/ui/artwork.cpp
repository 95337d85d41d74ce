#include "ui/artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>

#include "ui/app_info.h"

namespace korvane::ui {
namespace {

const QColor kInk(40, 40, 60);
const QColor kDiskBlue(38, 70, 140);
const QColor kAccent(210, 60, 40);

// A 3.5"-style disk in the square `r`.
void DrawDisk(QPainter& p, const QRectF& r) {
  const qreal u = r.width() / 16.0;
  QPainterPath body;
  body.moveTo(r.left(), r.top());
  body.lineTo(r.right() - 2 * u, r.top());
  body.lineTo(r.right(), r.top() + 2 * u);
  body.lineTo(r.right(), r.bottom());
  body.lineTo(r.left(), r.bottom());
  body.closeSubpath();
  p.setPen(QPen(kInk, std::max<qreal>(1.0, u / 2)));
  p.setBrush(kDiskBlue);
  p.drawPath(body);
  p.setBrush(QColor(200, 205, 215));  // shutter
  p.drawRect(QRectF(r.left() + 4 * u, r.top(), 7 * u, 5 * u));
  p.setBrush(kDiskBlue.darker(140));
  p.drawRect(QRectF(r.left() + 8 * u, r.top() + u, 2 * u, 3 * u));
  p.setBrush(QColor(245, 245, 235));  // label
  p.drawRect(QRectF(r.left() + 2.5 * u, r.top() + 8 * u, 11 * u, 7 * u));
  p.setPen(QPen(kAccent, std::max<qreal>(1.0, u / 2)));
  for (int i = 0; i < 3; ++i) {
    const qreal y = r.top() + (9.6 + 1.8 * i) * u;
    p.drawLine(QPointF(r.left() + 3.5 * u, y), QPointF(r.left() + 12.5 * u, y));
  }
}

void Arrow(QPainter& p, QPointF from, QPointF to) {
  p.drawLine(from, to);
  const QLineF line(to, from);
  QLineF a = line, b = line;
  a.setLength(6);
  b.setLength(6);
  a.setAngle(line.angle() + 35);
  b.setAngle(line.angle() - 35);
  p.drawLine(a);
  p.drawLine(b);
}

void DrawToolImage(QPainter& p, int index, const QRectF& r) {
  p.save();
  p.translate(r.topLeft());
  p.setRenderHint(QPainter::Antialiasing);
  QPen pen(kInk, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  switch (index) {
    case 0:  // information
      p.setBrush(QColor(70, 120, 210));
      p.drawEllipse(QRectF(2, 2, 20, 20));
      p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawPoint(QPointF(12, 7));
      p.drawLine(QPointF(12, 11), QPointF(12, 18));
      break;
    case 1:  // view contents: a magnifier over lines
      p.setPen(QPen(kInk.lighter(200), 1.5));
      for (int y = 5; y <= 13; y += 4) p.drawLine(QPointF(2, y), QPointF(14, y));
      p.setPen(pen);
      p.setBrush(QColor(220, 235, 255));
      p.drawEllipse(QRectF(6, 4, 11, 11));
      p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(15.5, 13.5), QPointF(21, 20));
      break;
    case 2:  // extract: a disk with an arrow out of it
      DrawDisk(p, QRectF(1, 7, 15, 15));
      p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
      Arrow(p, QPointF(12, 12), QPointF(22, 2));
      break;
    case 3: {  // convert TI file to PC text: "TI" -> lines
      QFont f("Sans");
      f.setPixelSize(9);
      f.setBold(true);
      p.setFont(f);
      p.setPen(kDiskBlue);
      p.drawText(QRectF(0, 1, 12, 10), Qt::AlignCenter, "TI");
      p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
      Arrow(p, QPointF(5, 12), QPointF(12, 19));
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(13, 8, 9, 14));
      for (int y = 11; y <= 19; y += 3) p.drawLine(QPointF(15, y), QPointF(20, y));
      break;
    }
    case 4: {  // re-read: a circular arrow
      p.setPen(QPen(QColor(30, 130, 60), 2.5, Qt::SolidLine, Qt::RoundCap));
      p.drawArc(QRectF(4, 4, 16, 16), 60 * 16, 290 * 16);
      Arrow(p, QPointF(17, 4.5), QPointF(17.5, 5.5));
      break;
    }
    case 5:  // swap: two opposed arrows
      p.setPen(QPen(kDiskBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
      Arrow(p, QPointF(3, 8), QPointF(21, 8));
      p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
      Arrow(p, QPointF(21, 16), QPointF(3, 16));
      break;
    case 6: {  // root: a house
      QPolygonF roof;
      roof << QPointF(2, 12) << QPointF(12, 3) << QPointF(22, 12);
      p.setBrush(kAccent);
      p.drawPolygon(roof);
      p.setBrush(QColor(240, 230, 200));
      p.drawRect(QRectF(5, 12, 14, 10));
      p.setBrush(kInk);
      p.drawRect(QRectF(10, 15, 4, 7));
      break;
    }
    case 7:  // upper directory: a folder with an up arrow
      p.setBrush(QColor(235, 195, 80));
      p.drawRect(QRectF(2, 8, 20, 14));
      p.drawRect(QRectF(2, 5, 8, 3));
      p.setPen(QPen(kInk, 2.5, Qt::SolidLine, Qt::RoundCap));
      Arrow(p, QPointF(12, 20), QPointF(12, 10));
      break;
    default:
      break;
  }
  p.restore();
}

}  // namespace

QPixmap ToolbarStrip() {
  QPixmap strip(kToolImageSize * kToolImageCount, kToolImageSize);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int i = 0; i < kToolImageCount; ++i)
    DrawToolImage(p, i, QRectF(i * kToolImageSize, 0, kToolImageSize, kToolImageSize));
  return strip;
}

QIcon ToolIcon(int index) {
  static const QPixmap strip = ToolbarStrip();
  return QIcon(strip.copy(index * kToolImageSize, 0, kToolImageSize, kToolImageSize));
}

QPixmap DiskPicture(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  DrawDisk(p, QRectF(size * 0.06, size * 0.06, size * 0.88, size * 0.88));
  return pm;
}

QPixmap SplashPicture() {
  QPixmap pm(500, 322);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 322);
  sky.setColorAt(0, QColor(22, 36, 72));
  sky.setColorAt(1, QColor(70, 100, 160));
  p.fillRect(pm.rect(), sky);
  // A row of faint sector marks, like the tracks of a disk.
  p.setPen(QPen(QColor(255, 255, 255, 40), 1));
  for (int r = 60; r < 420; r += 18) p.drawEllipse(QPointF(120, 170), r, r);
  DrawDisk(p, QRectF(40, 80, 160, 160));
  QFont title("Sans");
  title.setPixelSize(52);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(220, 90, 270, 80), Qt::AlignLeft | Qt::AlignVCenter, "Korvane");
  QFont small("Sans");
  small.setPixelSize(16);
  p.setFont(small);
  p.setPen(QColor(220, 228, 245));
  p.drawText(QRectF(224, 170, 270, 60), Qt::AlignLeft | Qt::TextWordWrap,
             "TI-99/4A files, disk images\nand archives on the PC");
  p.setPen(QColor(255, 200, 120));
  p.drawText(QRectF(224, 262, 270, 30), Qt::AlignLeft, QString::fromStdString(VersionLine()));
  return pm;
}

}  // namespace korvane::ui
