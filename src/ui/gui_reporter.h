// The GUI's reporter: errors, questions and messages as modal message boxes
// over the main window, with the captions the core passes ("ERROR",
// "Korvane").
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/reporter.h"

namespace korvane::ui {

class GuiReporter : public Reporter {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  void ShowError(const std::string& text) override;
  Answer Ask(const std::string& caption, const std::string& text, Buttons buttons) override;
  // The same question with the warning icon.
  Answer AskWarning(const std::string& caption, const std::string& text, Buttons buttons);
  void ShowMessage(const std::string& caption, const std::string& text) override;
  void ShowNotice(const std::string& caption, const std::string& text) override;

 private:
  Answer AskWith(bool warning, const std::string& caption, const std::string& text, Buttons buttons);

  QPointer<QWidget> parent_;
};

// A question that may lose the user's work (unsaved text in a closing
// viewer): with the warning icon in the desktop program, else asked as any
// question of the installed reporter.
Answer AskWithWarning(const std::string& caption, const std::string& text, Buttons buttons);

}  // namespace korvane::ui
