// Progress of a long operation in the GUI: a progress dialog with a Cancel
// button. Every step lets waiting window events through, so the window
// repaints and Cancel works while the operation runs on the one thread; the
// commands refuse to start anything else meanwhile (see Commands::busy).
#pragma once

#include <QPointer>
#include <QProgressDialog>
#include <QWidget>

#include "platform/progress.h"

namespace korvane::ui {

class GuiProgress : public Progress {
 public:
  explicit GuiProgress(QWidget* parent) : parent_(parent) {}
  ~GuiProgress() override;
  void Begin(uint64_t total, const std::string& text) override;
  bool Step(uint64_t done) override;
  void SetText(const std::string& text) override;
  bool Cancelled() const override;
  void End() override;

 private:
  QPointer<QWidget> parent_;
  QProgressDialog* dialog_ = nullptr;
  uint64_t total_ = 0;
  bool cancelled_ = false;
};

}  // namespace korvane::ui
