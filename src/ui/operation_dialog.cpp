#include "ui/operation_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane::ui {

OperationDialog::OperationDialog(QWidget* parent, const Options& o)
    : QDialog(parent), text_(new QLabel(o.text, this)), action_(new QPushButton(o.action, this)),
      progress_(nullptr, text_) {
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
    connect(field_, &QLineEdit::textEdited, this, &OperationDialog::OnFieldEdited);
  }
  if (o.progress) {
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    layout->addWidget(bar_);
    progress_ = GuiProgress(bar_, text_);
  }
  auto* cancel = new QPushButton("Cancel", this);
  action_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(action_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(action_, &QPushButton::clicked, this, &OperationDialog::OnAction);
  connect(cancel, &QPushButton::clicked, this, &OperationDialog::reject);
}

void OperationDialog::SetFieldFilter(std::function<std::string(const std::string&)> filter) {
  filter_ = std::move(filter);
  if (field_ && filter_) field_->setText(QString::fromStdString(filter_(field_->text().toStdString())));
}

void OperationDialog::OnFieldEdited(const QString& text) {
  if (!filter_) return;
  const QString kept = QString::fromStdString(filter_(text.toStdString()));
  if (kept == text) return;
  const int cursor = field_->cursorPosition() - static_cast<int>(text.size() - kept.size());
  field_->setText(kept);
  field_->setCursorPosition(std::max(0, cursor));
}

void OperationDialog::OnAction() {
  if (running_) return;
  if (check_ && !check_()) return;
  running_ = true;
  action_->setEnabled(false);
  if (field_) field_->setReadOnly(true);
  if (engine_) engine_(progress_);
  running_ = false;
  accept();
}

void OperationDialog::reject() {
  if (running_) {
    progress_.Cancel();
    return;
  }
  QDialog::reject();
}

}  // namespace korvane::ui
