// The dialog shown while a viewer's text is being printed: "Sending", the
// viewer's file name, "to print spooler." and a Cancel button. The print
// loop drives it as its Progress: before every page it lets waiting window
// events through (the windows repaint and Cancel can be pressed) and learns
// whether to go on. While it is up it blocks every other window of the
// program, so no pane command or second print can start inside the job.
#pragma once

#include <QDialog>

#include "platform/progress.h"
#include "ui/gui_progress.h"

class QPushButton;

namespace korvane::ui {

class PrintAbortDialog : public QDialog, public Progress {
  Q_OBJECT

 public:
  // `parent` is the viewer being printed; the dialog stands over it.
  explicit PrintAbortDialog(const QString& fileName, QWidget* parent = nullptr);

  // Shows the dialog once the job has started.
  void Begin(uint64_t total, const std::string& text) override;
  // One pass through the waiting events; false once Cancel was pressed.
  bool Step(uint64_t done) override;
  bool Cancelled() const override { return pump_.Cancelled(); }
  void End() override { hide(); }

  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // Esc and the window's close button cancel like the button; the dialog
  // closes when the print loop ends.
  void reject() override { pump_.Cancel(); }

 private:
  GuiProgress pump_{nullptr, nullptr};
  QPushButton* cancel_;
};

}  // namespace korvane::ui
