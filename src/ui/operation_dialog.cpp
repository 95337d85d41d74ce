#include "ui/operation_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace korvane::ui {

OperationDialog::OperationDialog(QWidget* parent, const Options& o)
    : RunDialog(parent, o.action), text_(new QLabel(o.text, this)) {
  setWindowTitle(o.title);
  auto* layout = new QVBoxLayout(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(320);
  layout->addWidget(text_);
  if (!o.destination.isEmpty()) {
    auto* destination = new QLineEdit(o.destination, this);
    destination->setReadOnly(true);
    layout->addWidget(destination);
  }
  if (o.field) {
    if (!o.fieldLabel.isEmpty()) layout->addWidget(new QLabel(o.fieldLabel, this));
    field_ = new QLineEdit(o.fieldText, this);
    layout->addWidget(field_);
  }
  if (o.progress) AddProgressBar(layout, text_);
  else ShowProgressOn(text_);
  AddButtons(layout);
}

void OperationDialog::SetFieldFilter(std::function<std::string(const std::string&)> filter) {
  if (!field_ || !filter) return;
  // The proposed text stays as it is: the filter applies to what is typed.
  KeepFiltered(field_, std::move(filter));
}

void OperationDialog::OnAction() {
  if (check_ && !check_()) return;
  if (field_) field_->setReadOnly(true);
  Run(engine_);
}

}  // namespace korvane::ui
