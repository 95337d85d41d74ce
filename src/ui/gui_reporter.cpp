#include "ui/gui_reporter.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>

#include "fileops/file_commands.h"

namespace korvane::ui {
namespace {

// The busy cursor of a long operation must not hide a message box's buttons.
class NormalCursor {
 public:
  NormalCursor() : overridden_(QApplication::overrideCursor() != nullptr) {
    if (overridden_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~NormalCursor() {
    if (overridden_) QApplication::restoreOverrideCursor();
  }

 private:
  bool overridden_;
};

}  // namespace

void GuiReporter::ShowError(const std::string& text) {
  NormalCursor cursor;
  QMessageBox::critical(parent_, "ERROR", QString::fromStdString(text));
}

Answer GuiReporter::Ask(const std::string& caption, const std::string& text, Buttons buttons) {
  return AskWith(false, caption, text, buttons);
}

Answer GuiReporter::AskWarning(const std::string& caption, const std::string& text, Buttons buttons) {
  return AskWith(true, caption, text, buttons);
}

Answer GuiReporter::AskWith(bool warning, const std::string& caption, const std::string& text, Buttons buttons) {
  NormalCursor cursor;
  QMessageBox::StandardButtons set;
  switch (buttons) {
    case Buttons::Ok: set = QMessageBox::Ok; break;
    case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel:
      set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      // The overwrite question also offers "All": yes to every later file.
      if (caption == kOverwriteCaption) set |= QMessageBox::YesToAll;
      break;
    case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
  }
  const QMessageBox::Icon icon = caption == "ERROR" ? QMessageBox::Critical
                                 : warning         ? QMessageBox::Warning
                                                   : QMessageBox::Question;
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), set, parent_);
  if (QAbstractButton* all = box.button(QMessageBox::YesToAll)) all->setText("All");
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::YesToAll: return Answer::All;
    default: return Answer::Cancel;
  }
}

Answer AskWithWarning(const std::string& caption, const std::string& text, Buttons buttons) {
  if (auto* gui = dynamic_cast<GuiReporter*>(&CurrentReporter())) return gui->AskWarning(caption, text, buttons);
  return CurrentReporter().Ask(caption, text, buttons);
}

void GuiReporter::ShowMessage(const std::string& caption, const std::string& text) {
  NormalCursor cursor;
  QMessageBox::critical(parent_, QString::fromStdString(caption), QString::fromStdString(text));
}

void GuiReporter::ShowNotice(const std::string& caption, const std::string& text) {
  NormalCursor cursor;
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok, parent_);
  box.exec();
}

}  // namespace korvane::ui
