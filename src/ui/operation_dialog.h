// The dialog of a file command: a text, optionally a read-only destination
// line or an input field, a progress bar, the command's button and Cancel.
// The engine runs when the button is pressed; meanwhile the button is
// disabled and Cancel asks the engine to stop instead of closing the dialog,
// which closes when the engine ends.
#pragma once

#include <functional>

#include "ui/run_dialog.h"

class QLabel;
class QLineEdit;

namespace korvane::ui {

class OperationDialog : public RunDialog {
  Q_OBJECT

 public:
  struct Options {
    QString title;
    QString text;
    QString action;        // "Delete", "Copy", ...
    QString destination;   // shown read-only when not empty
    bool field = false;    // an input field, with an optional label above it
    QString fieldLabel;
    QString fieldText;
    bool progress = true;
  };
  OperationDialog(QWidget* parent, const Options& options);

  QLineEdit* Field() const { return field_; }
  // Keeps the field's text to what `filter` makes of it after every edit.
  void SetFieldFilter(std::function<std::string(const std::string&)> filter);
  // Checked when the button is pressed; false keeps the dialog open.
  void SetCheck(std::function<bool()> check) { check_ = std::move(check); }
  // The work; runs once, with the dialog's progress.
  void SetEngine(std::function<void(Progress&)> engine) { engine_ = std::move(engine); }

 private:
  void OnAction() override;

  QLabel* text_;
  QLineEdit* field_ = nullptr;
  std::function<bool()> check_;
  std::function<void(Progress&)> engine_;
};

}  // namespace korvane::ui
