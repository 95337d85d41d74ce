#include "ui/folder_browser.h"

#include <QFileDialog>

namespace korvane::ui {

bool BrowseForFolder(QWidget* parent, std::string& path) {
  QFileDialog dialog(parent, "Select storage device and/or directory", QString::fromStdString(path));
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setLabelText(QFileDialog::LookIn,
                      "Select a storage device and/or a directory wich contains TI99 files and/or images.");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = dialog.selectedFiles().first().toStdString();
  return true;
}

}  // namespace korvane::ui
