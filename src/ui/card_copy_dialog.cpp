#include "ui/card_copy_dialog.h"

#include <QBoxLayout>

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "ui/run_dialog.h"

namespace korvane::ui {

CardCopyDialog::CardCopyDialog(QWidget* parent, CardCopyRun& run, uint32_t volumeCount,
                               const QString& destination, std::function<CopyStep(CardCopyRun&, Progress&)> copy)
    : QDialog(parent),
      run_(run),
      copy_(std::move(copy)),
      text_(new QLabel(QString::fromStdString(run.Text()), this)),
      volume_(new QComboBox(this)),
      auto_(new QCheckBox("Auto copy next DSK image", this)),
      bar_(new QProgressBar(this)),
      copyButton_(new QPushButton("Copy", this)) {
  setWindowTitle("Copy file(s)");
  auto* layout = new QVBoxLayout(this);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(320);
  layout->addWidget(text_);
  auto* target = new QLineEdit(destination, this);
  target->setReadOnly(true);
  layout->addWidget(target);
  for (uint32_t v = 1; v <= volumeCount; ++v) volume_->addItem(QString(" %1").arg(v));
  volume_->setCurrentIndex(run.Volume() >= 1 && run.Volume() <= volumeCount ? static_cast<int>(run.Volume() - 1) : 0);
  auto* volumeRow = new QHBoxLayout;
  volumeRow->addWidget(new QLabel("As volume #", this));
  volumeRow->addWidget(volume_);
  volumeRow->addStretch(1);
  layout->addLayout(volumeRow);
  layout->addWidget(auto_);
  AddIdleProgressBar(layout, bar_);
  progress_ = GuiProgress(bar_, nullptr);
  AddActionRow(this, layout, copyButton_);
  connect(copyButton_, &QPushButton::clicked, this, &CardCopyDialog::CopyNext);
}

void CardCopyDialog::CopyNext() {
  if (running_ || run_.Finished()) return;
  running_ = true;
  copyButton_->setEnabled(false);
  volume_->setEnabled(false);
  const bool autoCopy = auto_->isChecked();
  run_.ChooseVolume(static_cast<uint32_t>(std::max(0, volume_->currentIndex()) + 1));
  const CopyStep step = copy_ ? copy_(run_, progress_) : CopyStep::Stop;
  running_ = false;
  if (step == CopyStep::Stop || run_.Finished() || progress_.Cancelled()) {
    accept();
    return;
  }
  text_->setText(QString::fromStdString(run_.Text()));
  volume_->setCurrentIndex(static_cast<int>(run_.Volume()) - 1);
  copyButton_->setEnabled(true);
  volume_->setEnabled(true);
  // The next copy starts by itself, after the window has shown this one's
  // end; not after the card was full (the run then waits at volume 1).
  if (autoCopy && step == CopyStep::GoOn) QTimer::singleShot(0, this, &CardCopyDialog::CopyNext);
}

void CardCopyDialog::reject() {
  if (running_) {
    progress_.Cancel();
    return;
  }
  QDialog::reject();
}

}  // namespace korvane::ui
