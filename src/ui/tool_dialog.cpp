#include "ui/tool_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace korvane::ui {

ToolDialog::ToolDialog(QWidget* parent, const QString& title, const QString& text, const QString& action)
    : RunDialog(parent, action), text_(new QLabel(text, this)), controls_(new QVBoxLayout) {
  setWindowTitle(title);
  auto* layout = layout_ = new QVBoxLayout(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(320);
  layout->addWidget(text_);
  layout->addLayout(controls_);
  bar_ = AddProgressBar(layout, text_);
  AddButtons(layout);
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
  if (check_ && !check_()) return;
  for (int i = 0; i < controls_->count(); ++i)
    if (QWidget* w = controls_->itemAt(i)->widget()) w->setEnabled(false);
  Run(engine_);
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
