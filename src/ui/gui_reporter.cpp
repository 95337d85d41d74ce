#include "ui/gui_reporter.h"

#include <QApplication>
#include <QMessageBox>

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
  NormalCursor cursor;
  QMessageBox::StandardButtons set;
  switch (buttons) {
    case Buttons::Ok: set = QMessageBox::Ok; break;
    case Buttons::YesNo: set = QMessageBox::Yes | QMessageBox::No; break;
    case Buttons::YesNoCancel: set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case Buttons::OkCancel: set = QMessageBox::Ok | QMessageBox::Cancel; break;
  }
  const QMessageBox::Icon icon = caption == "ERROR" ? QMessageBox::Critical : QMessageBox::Question;
  QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), set, parent_);
  switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
  }
}

void GuiReporter::ShowMessage(const std::string& caption, const std::string& text) {
  NormalCursor cursor;
  QMessageBox::information(parent_, QString::fromStdString(caption), QString::fromStdString(text));
}

}  // namespace korvane::ui
