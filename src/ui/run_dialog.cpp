#include "ui/run_dialog.h"

#include <memory>

#include <QBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <utility>

namespace korvane::ui {

RunDialog::RunDialog(QWidget* parent, const QString& action) : QDialog(parent), action_(new QPushButton(action, this)) {
  action_->setDefault(true);
  connect(action_, &QPushButton::clicked, this, [this] {
    if (!running_) OnAction();
  });
}

QPushButton* AddActionRow(QDialog* dialog, QBoxLayout* layout, QPushButton* action) {
  action->setDefault(true);
  auto* cancel = new QPushButton("Cancel", dialog);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(action);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  // reject() is virtual: a dialog that cancels a run instead of closing
  // gets its own.
  QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return cancel;
}

void AddIdleProgressBar(QBoxLayout* layout, QProgressBar* bar) {
  bar->setRange(0, 1);
  bar->setValue(0);
  layout->addWidget(bar);
}

QProgressBar* RunDialog::AddProgressBar(QBoxLayout* layout, QLabel* text) {
  auto* bar = new QProgressBar(this);
  AddIdleProgressBar(layout, bar);
  progress_ = GuiProgress(bar, text);
  return bar;
}

void RunDialog::AddButtons(QBoxLayout* layout) { AddActionRow(this, layout, action_); }

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
  // The longest text the filter lets through, found from a long run of a
  // letter that every field takes.
  const qsizetype limit = static_cast<qsizetype>(filter(std::string(4096, 'A')).size());
  // The field's last two texts, whichever of the change and edit signals
  // comes first: the text before an edit is the one before `typed`.
  auto texts = std::make_shared<std::pair<QString, QString>>(QString(), field->text());
  QObject::connect(field, &QLineEdit::textChanged, field, [texts](const QString& text) {
    texts->first = texts->second;
    texts->second = text;
  });
  QObject::connect(field, &QLineEdit::textEdited, field, [field, filter, texts, limit](const QString& typed) {
    // The new characters end at the cursor; what follows them, and what
    // precedes them, is the old text.
    const QString old = texts->second == typed ? texts->first : texts->second;
    const qsizetype end = std::clamp<qsizetype>(field->cursorPosition(), 0, typed.size());
    qsizetype tail = std::min(typed.size() - end, old.size());
    if (typed.right(tail) != old.right(tail)) tail = 0;
    qsizetype head = 0;
    const qsizetype headMax = std::min(end, old.size() - tail);
    while (head < headMax && old[head] == typed[head]) ++head;
    QString added = QString::fromStdString(filter(typed.mid(head, typed.size() - head - tail).toStdString()));
    const qsizetype kept = typed.size() - (typed.size() - head - tail);  // old characters still there
    if (kept + added.size() > limit) added.truncate(std::max<qsizetype>(0, limit - kept));
    const QString result = typed.left(head) + added + typed.right(tail);
    if (result == typed) return;
    field->setText(result);
    field->setCursorPosition(static_cast<int>(head + added.size()));
  });
}

}  // namespace korvane::ui
