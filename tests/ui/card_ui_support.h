// What the card and drive dialog tests share: files standing in for
// removable drives (KORVANE_DRIVES, from tests/support), and answering a
// modal dialog once it is really up.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "support/drive_stand_ins.h"

namespace korvane::test {

// Calls `answer` with the active modal dialog of type T as soon as one is
// up (polled every 20 ms, for at most 10 s). Set it up before the command
// that opens the dialog.
template <typename T>
void WhenUp(std::function<void(T*)> answer) {
  auto* timer = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, answer, clock] {
    T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog && clock->elapsed() < 10000) return;
    timer->stop();
    timer->deleteLater();
    if (dialog) answer(dialog);
  });
  timer->start();
}

inline void Press(QWidget* dialog, const QString& text) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>())
    if (b->text() == text) {
      b->click();
      return;
    }
}

}  // namespace korvane::test
