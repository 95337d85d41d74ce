#include "ui/picture_viewer.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QShowEvent>

#include "catalog/errors.h"
#include "ui/edit_viewer.h"

namespace korvane::ui {

QImage ToQImage(const RgbImage& image) {
  if (image.width() <= 0 || image.height() <= 0) return {};
  QImage out(image.width(), image.height(), QImage::Format_RGB888);
  const auto& px = image.pixels();
  const size_t rowBytes = static_cast<size_t>(image.width()) * 3;
  for (int y = 0; y < image.height(); ++y)
    std::copy_n(px.data() + static_cast<size_t>(y) * rowBytes, rowBytes, out.scanLine(y));
  return out;
}

QSize PictureClientSize(const QSize& bitmap) {
  constexpr int kNarrowBitmap = 256 + 2 * kPictureMargin;
  const int width = bitmap.width() > kNarrowBitmap ? bitmap.width() : 2 * bitmap.width();
  return {width, 2 * bitmap.height()};
}

PictureViewer* PictureViewer::Open(ViewerSlots& pool) {
  auto* viewer = new PictureViewer(pool);
  if (viewer->slot_ < 0) {
    delete viewer;
    return nullptr;
  }
  return viewer;
}

PictureViewer::PictureViewer(ViewerSlots& pool) : QWidget(nullptr), slots_(pool) {
  slot_ = slots_.Take(this);
  if (slot_ < 0) return;
  setAttribute(Qt::WA_DeleteOnClose);
  // Viewers end with the program: closing the main window ends it even
  // while viewers are open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setObjectName("PictureViewer");
  setWindowTitle("Korvane");
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(0xC2, 0xC2, 0xC2));
  setPalette(p);
  choosePngPath = [](QWidget* parent, const QString& proposed) {
    return QFileDialog::getSaveFileName(parent, "Save picture as PNG", proposed, "PNG picture (*.png)");
  };
  slots_.Place(slot_, this, true);
}

PictureViewer::~PictureViewer() {
  if (slot_ >= 0) slots_.Release(this);
}

void PictureViewer::SetPicture(const RgbImage& image, const std::string& caption, const std::string& safeName) {
  image_ = ToQImage(image);
  setWindowTitle(QString::fromStdString(caption));
  slots_.Slot(slot_).tiName = safeName;
  resize(PictureClientSize(image_.size()));
  update();
}

bool PictureViewer::SavePng(const QString& path) {
  if (image_.isNull() || !image_.save(path, "PNG")) {
    ReportError(kErrWriteFile, path.toStdString());
    return false;
  }
  return true;
}

void PictureViewer::SavePngAs() {
  QString& folder = EditViewer::LastSaveFolder();
  if (folder.isEmpty()) folder = QDir::currentPath();
  QString name = ProposedSaveName(slots_.Slot(slot_).tiName);
  name.chop(4);
  const QString path = choosePngPath(this, QDir(folder).filePath(name + ".png"));
  if (path.isEmpty()) return;
  if (SavePng(path)) folder = QFileInfo(path).absolutePath();
}

void PictureViewer::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(rect(), image_);
}

void PictureViewer::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  else QWidget::keyPressEvent(event);
}

void PictureViewer::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* save = menu.addAction("Save picture as PNG...");
  save->setEnabled(!image_.isNull());
  if (menu.exec(event->globalPos()) == save) SavePngAs();
}

void PictureViewer::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (slot_ >= 0 && isVisible()) slots_.Follow(slot_, this);
}

void PictureViewer::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // The picture gives the size; the slot takes it from the first show on.
  if (slot_ >= 0 && !event->spontaneous()) slots_.Shown(slot_, this, true);
}

void PictureViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (slot_ >= 0 && isVisible()) slots_.Follow(slot_, this);
}

}  // namespace korvane::ui
