#include "ui/about_help.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "ui/app_info.h"
#include "ui/artwork.h"

// The help page is compiled into the static GUI library, whose resources are
// not registered by themselves: the program (and every test that links the
// library) registers them before the first page is shown.
static void RegisterHelpResource() { Q_INIT_RESOURCE(korvane); }

namespace korvane::ui {

void ShowAbout(QWidget* parent) {
  QDialog dialog(parent);
  dialog.setWindowTitle("About Korvane");
  auto* picture = new QLabel(&dialog);
  picture->setPixmap(DiskPicture(64));
  auto* text = new QLabel(
      "Korvane is a program for displaying and managing TI-files in V9T9 format and binary DSK, SCSI, IDE, WDS "
      "and CF7A+ images.",
      &dialog);
  text->setWordWrap(true);
  text->setMinimumWidth(300);
  auto* version = new QLabel(QString::fromStdString(VersionLine()), &dialog);
  version->setObjectName("version");
  auto* ok = new QPushButton("OK", &dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  auto* right = new QVBoxLayout;
  right->addWidget(text);
  right->addWidget(version);
  right->addWidget(ok, 0, Qt::AlignRight);
  auto* row = new QHBoxLayout(&dialog);
  row->addWidget(picture, 0, Qt::AlignTop);
  row->addLayout(right, 1);
  dialog.exec();
}

QTextBrowser* ShowHelp(QWidget* parent) {
  static QPointer<QTextBrowser> window;
  if (!window) {
    RegisterHelpResource();
    window = new QTextBrowser(nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle("Korvane Help");
    window->setOpenExternalLinks(true);
    window->setSource(QUrl("qrc:/help/index.html"));
    window->resize(720, 600);
    if (parent) window->move(parent->geometry().center() - QPoint(360, 300));
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace korvane::ui
