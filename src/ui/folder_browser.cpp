#include "ui/folder_browser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace korvane::ui {

QString BrowserStartFolder(const std::string& path) {
  // The nearest folder that exists: a start path on a card that was pulled
  // still opens the browser near it, and nothing known opens the home
  // folder instead of an empty list.
  QString folder = QString::fromStdString(path);
  for (int depth = 0; !folder.isEmpty() && depth < 64; ++depth) {
    if (QFileInfo(folder).isDir()) return QDir(folder).absolutePath();
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent == folder) break;
    folder = parent;
  }
  return QDir::homePath();
}

void CentreOver(QWidget* window, const QWidget* over) {
  QRect area;
  if (over && over->isVisible()) area = QRect(over->mapToGlobal(QPoint(0, 0)), over->size());
  else if (const QScreen* screen = QGuiApplication::primaryScreen()) area = screen->availableGeometry();
  if (!area.isValid()) return;
  const QSize size = window->frameGeometry().size();
  window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

bool BrowseForFolder(QWidget* parent, std::string& path, const QWidget* centreOn) {
  QFileDialog dialog(parent, "Select storage device and/or directory", BrowserStartFolder(path));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setLabelText(QFileDialog::LookIn,
                      "Select a storage device and/or a directory wich contains TI99 files and/or images.");
  // The status text under the list names the folder that is selected.
  auto* status = new QLabel(&dialog);
  status->setObjectName("status");
  status->setTextFormat(Qt::PlainText);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(status, grid->rowCount(), 0, 1, -1);
  QObject::connect(&dialog, &QFileDialog::currentChanged, status, &QLabel::setText);
  QObject::connect(&dialog, &QFileDialog::directoryEntered, status, &QLabel::setText);
  if (!path.empty()) {
    dialog.selectFile(QString::fromStdString(path));
    status->setText(QString::fromStdString(path));
  } else {
    status->setText(dialog.directory().absolutePath());
  }
  dialog.adjustSize();
  CentreOver(&dialog, centreOn);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace korvane::ui
