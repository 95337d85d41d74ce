// What the dialogs of long commands share: a progress bar, the command's
// button beside "Cancel", and the run. While the work runs the button is
// disabled and Cancel (or Esc, or closing the window) asks the work to stop
// instead of closing the dialog, which closes when the work ends.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

#include "ui/gui_progress.h"

class QBoxLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace korvane::ui {

class RunDialog : public QDialog {
  Q_OBJECT

 public:
  RunDialog(QWidget* parent, const QString& action);

 protected:
  // A progress bar at 0 of 1, added to `layout`; the run's progress shows on
  // it and on `text` (when given).
  QProgressBar* AddProgressBar(QBoxLayout* layout, QLabel* text);
  // Progress shown on `text` only, for dialogs without a bar.
  void ShowProgressOn(QLabel* text) { progress_ = GuiProgress(nullptr, text); }
  // The command's button (the default) and "Cancel" at the right of a row
  // added to `layout`. The button calls `OnAction`.
  void AddButtons(QBoxLayout* layout);
  virtual void OnAction() = 0;

  // Runs `work` with the dialog's progress and accepts the dialog; the
  // command's button stays disabled meanwhile.
  void Run(const std::function<void(Progress&)>& work);
  bool Running() const { return running_; }
  void reject() override;

 private:
  QPushButton* action_;
  GuiProgress progress_{nullptr, nullptr};
  bool running_ = false;
};

// `action` (made the default) and a "Cancel" that rejects `dialog`, at the
// right of a row added to `layout`; the dialogs of this program all end
// with that row. Returns the Cancel button.
QPushButton* AddActionRow(QDialog* dialog, QBoxLayout* layout, QPushButton* action);

// `bar` at 0 of 1 (empty until a run reports), added to `layout`.
void AddIdleProgressBar(QBoxLayout* layout, QProgressBar* bar);

// Filters what the user types or pastes into a field: refused characters
// of the new text never appear, and the field grows no longer than the
// filter's length allows; the cursor stays where the user typed. The text
// already in the field, and a text set by the program, are left as they
// are (a proposed name with a blank keeps its blank).
void KeepFiltered(QLineEdit* field, std::function<std::string(const std::string&)> filter);

}  // namespace korvane::ui
