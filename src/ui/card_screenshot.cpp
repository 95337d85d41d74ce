#include "ui/card_screenshot.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "ui/card_reader_dialog.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

namespace korvane::ui {

bool TakeCardScreenshot(MainWindow& window) {
  const char* value = std::getenv("KORVANE_SCREENSHOT_CARD");
  if (!value || !*value) return true;
  // Answers the card reader dialog once it is up: the first drive, OK.
  QTimer answer;
  answer.setInterval(50);
  QObject::connect(&answer, &QTimer::timeout, [&answer] {
    auto* dialog = qobject_cast<CardReaderDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    answer.stop();
    dialog->Drives()->setCurrentIndex(0);
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
      if (b->text() == "OK") b->click();
  });
  answer.start();
  window.Cmds().Activate(kRight);
  window.Actions(kCmdReadCardDrive).front()->trigger();
  answer.stop();
  if (window.Cmds().Pane(kRight).state.locationType != kLocCardDrive) {
    std::fprintf(stderr, "KORVANE_SCREENSHOT_CARD: no card was read\n");
    return false;
  }
  window.Cmds().Pane(kRight).state.cursor = 1;
  window.Cmds().Repaint();
  QEventLoop settle;
  QTimer::singleShot(400, &settle, &QEventLoop::quit);
  settle.exec();
  return window.grab().save(QString::fromLocal8Bit(value));
}

}  // namespace korvane::ui
