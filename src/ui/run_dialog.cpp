#include "ui/run_dialog.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

namespace korvane::ui {

RunDialog::RunDialog(QWidget* parent, const QString& action) : QDialog(parent), action_(new QPushButton(action, this)) {
  action_->setDefault(true);
  connect(action_, &QPushButton::clicked, this, [this] {
    if (!running_) OnAction();
  });
}

QProgressBar* RunDialog::AddProgressBar(QBoxLayout* layout, QLabel* text) {
  auto* bar = new QProgressBar(this);
  bar->setRange(0, 1);
  bar->setValue(0);
  layout->addWidget(bar);
  progress_ = GuiProgress(bar, text);
  return bar;
}

void RunDialog::AddButtons(QBoxLayout* layout) {
  auto* cancel = new QPushButton("Cancel", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(action_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(cancel, &QPushButton::clicked, this, &RunDialog::reject);
}

void RunDialog::Run(const std::function<void(Progress&)>& work) {
  if (running_) return;
  running_ = true;
  action_->setEnabled(false);
  if (work) work(progress_);
  running_ = false;
  accept();
}

void RunDialog::reject() {
  if (running_) {
    progress_.Cancel();
    return;
  }
  QDialog::reject();
}

void KeepFiltered(QLineEdit* field, std::function<std::string(const std::string&)> filter) {
  if (!filter) return;
  QObject::connect(field, &QLineEdit::textEdited, field, [field, filter](const QString& typed) {
    const QString kept = QString::fromStdString(filter(typed.toStdString()));
    if (kept == typed) return;
    const int cursor = field->cursorPosition() - static_cast<int>(typed.size() - kept.size());
    field->setText(kept);
    field->setCursorPosition(std::max(0, cursor));
  });
}

}  // namespace korvane::ui
