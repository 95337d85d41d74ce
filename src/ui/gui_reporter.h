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
  void ShowMessage(const std::string& caption, const std::string& text) override;
  void ShowNotice(const std::string& caption, const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace korvane::ui
