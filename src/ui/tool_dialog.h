// The dialog of a tool command that needs more than a text and a field: a
// text, the command's own controls (check boxes, a choice list, a field),
// a progress bar, the command's button and Cancel. As with the file
// commands' dialog, the engine runs when the button is pressed; meanwhile
// the button is disabled and Cancel asks the engine to stop instead of
// closing the dialog, which closes when the engine ends.
#pragma once

#include <QCheckBox>

#include <functional>

#include "fileops/file_commands.h"
#include "ui/run_dialog.h"

class QLabel;
class QProgressBar;
class QVBoxLayout;

namespace korvane::ui {

class ToolDialog : public RunDialog {
  Q_OBJECT

 public:
  ToolDialog(QWidget* parent, const QString& title, const QString& text, const QString& action);

  // Where the command's own controls go, between the text and the progress.
  QVBoxLayout* Controls() const { return controls_; }
  // Checked when the button is pressed; false keeps the dialog open.
  void SetCheck(std::function<bool()> check) { check_ = std::move(check); }
  void SetEngine(std::function<void(Progress&)> engine) { engine_ = std::move(engine); }
  // A second, inner progress bar above the dialog's own one (which then
  // follows the rows while the inner one follows the files of a row).
  Progress& InnerProgress();

 private:
  void OnAction() override;

  QLabel* text_;
  QVBoxLayout* layout_;
  QVBoxLayout* controls_;
  QProgressBar* bar_;
  GuiProgress inner_{nullptr, nullptr};
  std::function<bool()> check_;
  std::function<void(Progress&)> engine_;
};

// A check box with the three states of an attribute: clear the bit
// (unchecked), set it (checked), leave it (partly checked). A click goes
// clear -> set -> leave -> clear.
class AttributeBox : public QCheckBox {
  Q_OBJECT

 public:
  AttributeBox(const QString& text, TriState state, QWidget* parent);
  TriState State() const;
  void SetState(TriState state);

 protected:
  void nextCheckState() override;
};

}  // namespace korvane::ui
