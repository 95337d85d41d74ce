// The picture window ("PictureViewer"): the bitmap of a TI picture drawn by
// the core, stretched over the whole client area. Esc closes it; a right
// click offers to save the picture as a PNG file.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

#include "ui/viewer_slots.h"
#include "viewers/rgb_image.h"

namespace korvane::ui {

// The core's 24-bit bitmap as a Qt image.
QImage ToQImage(const RgbImage& image);

// The client size a picture is shown at: twice the bitmap, except that a
// bitmap wider than the 256-pixel pictures (MYART 512) keeps its width.
QSize PictureClientSize(const QSize& bitmap);

class PictureViewer : public QWidget {
  Q_OBJECT

 public:
  // Opens a picture window in the first free slot, or reports that none is
  // free and returns null. The window deletes itself when closed.
  static PictureViewer* Open(ViewerSlots& pool);
  ~PictureViewer() override;

  // Shows `image` with `caption`; `safeName` proposes the PNG file's name.
  void SetPicture(const RgbImage& image, const std::string& caption, const std::string& safeName);
  const QImage& Image() const { return image_; }
  int SlotIndex() const { return slot_; }

  // Asks where to save the PNG; empty when cancelled. Replaced by tests.
  std::function<QString(QWidget*, const QString&)> choosePngPath;
  // Saves the bitmap (at its own size) as PNG; reports a failure.
  bool SavePng(const QString& path);
  void SavePngAs();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  explicit PictureViewer(ViewerSlots& pool);

  ViewerSlots& slots_;
  int slot_ = -1;
  QImage image_;
};

}  // namespace korvane::ui
