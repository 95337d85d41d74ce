#include "ui/tool_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane::ui {

ToolDialog::ToolDialog(QWidget* parent, const QString& title, const QString& text, const QString& action)
    : QDialog(parent), text_(new QLabel(text, this)), controls_(new QVBoxLayout), action_(new QPushButton(action, this)),
      progress_(nullptr, text_) {
  setWindowTitle(title);
  auto* layout = layout_ = new QVBoxLayout(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(320);
  layout->addWidget(text_);
  layout->addLayout(controls_);
  auto* bar = bar_ = new QProgressBar(this);
  bar->setRange(0, 1);
  bar->setValue(0);
  layout->addWidget(bar);
  progress_ = GuiProgress(bar, text_);
  auto* cancel = new QPushButton("Cancel", this);
  action_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(action_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(action_, &QPushButton::clicked, this, &ToolDialog::OnAction);
  connect(cancel, &QPushButton::clicked, this, &ToolDialog::reject);
}

Progress& ToolDialog::InnerProgress() {
  auto* bar = new QProgressBar(this);
  bar->setRange(0, 1);
  bar->setValue(0);
  layout_->insertWidget(layout_->indexOf(bar_), bar);
  inner_ = GuiProgress(bar, nullptr);
  return inner_;
}

void ToolDialog::OnAction() {
  if (running_) return;
  if (check_ && !check_()) return;
  running_ = true;
  action_->setEnabled(false);
  for (int i = 0; i < controls_->count(); ++i)
    if (QWidget* w = controls_->itemAt(i)->widget()) w->setEnabled(false);
  if (engine_) engine_(progress_);
  running_ = false;
  accept();
}

void ToolDialog::reject() {
  if (running_) {
    progress_.Cancel();
    return;
  }
  QDialog::reject();
}

AttributeBox::AttributeBox(const QString& text, TriState state, QWidget* parent) : QCheckBox(text, parent) {
  setTristate(true);
  SetState(state);
}

TriState AttributeBox::State() const {
  switch (checkState()) {
    case Qt::Unchecked: return TriState::Clear;
    case Qt::Checked: return TriState::Set;
    default: return TriState::Leave;
  }
}

void AttributeBox::SetState(TriState state) {
  switch (state) {
    case TriState::Clear: setCheckState(Qt::Unchecked); break;
    case TriState::Set: setCheckState(Qt::Checked); break;
    default: setCheckState(Qt::PartiallyChecked); break;
  }
}

void AttributeBox::nextCheckState() { SetState(NextTriState(State())); }

}  // namespace korvane::ui
