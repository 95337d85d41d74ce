// Progress of a long operation shown in its dialog: a progress bar and a
// text line. Every step lets waiting window events through, so the window
// repaints and the dialog's Cancel button works while the operation runs on
// the one thread; the commands refuse to start anything else meanwhile.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>

#include "platform/progress.h"

namespace korvane::ui {

class GuiProgress : public Progress {
 public:
  GuiProgress(QProgressBar* bar, QLabel* text) : bar_(bar), text_(text) {}
  void Begin(uint64_t total, const std::string& text) override;
  bool Step(uint64_t done) override;
  void SetText(const std::string& text) override;
  bool Cancelled() const override { return cancelled_; }
  // The Cancel button: the operation stops before its next unit.
  void Cancel() { cancelled_ = true; }

 private:
  QPointer<QProgressBar> bar_;
  QPointer<QLabel> text_;
  uint64_t total_ = 0;
  bool cancelled_ = false;
};

}  // namespace korvane::ui
