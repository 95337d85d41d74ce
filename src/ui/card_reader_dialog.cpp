#include "ui/card_reader_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>

#include "ui/gui_reporter.h"

namespace korvane::ui {

namespace {
constexpr char kPcFormattedQuestion[] =
    "You are about to use a PC formatted storage device as a CF7A+ Cf-Card\n\nDo you really wish to continue ?\n";
}  // namespace

CardReaderDialog::CardReaderDialog(QWidget* parent, std::vector<RemovableDrive> drives)
    : RunDialog(parent, "OK"), list_(std::move(drives)), drives_(new QComboBox(this)) {
  setWindowTitle("Read Cf7a+ card");
  drives_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Wide enough for the longest label even while none is chosen.
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  for (const RemovableDrive& d : list_) drives_->addItem(QString::fromStdString(CardReaderLabel(d)));
  drives_->setCurrentIndex(list_.size() == 1 ? 0 : -1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("CF7A+ card to read", this));
  layout->addWidget(drives_);
  AddProgressBar(layout, nullptr);
  AddButtons(layout);
}

bool CardReaderDialog::ConfirmPcFormatted(QWidget* parent) {
  // The desktop program asks with the error icon and "No" as the default
  // button; any other reporter (tests) answers as it answers every question.
  if (!dynamic_cast<GuiReporter*>(&CurrentReporter()))
    return CurrentReporter().Ask("Korvane", kPcFormattedQuestion, Buttons::YesNo) == Answer::Yes;
  QMessageBox box(QMessageBox::Critical, "Korvane", kPcFormattedQuestion, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void CardReaderDialog::OnAction() {
  const int i = drives_->currentIndex();
  if (i < 0 || static_cast<size_t>(i) >= list_.size()) {
    AskWithWarning("Korvane", "Select a CF7A+ disk to read.", Buttons::Ok);
    return;
  }
  const RemovableDrive drive = list_[static_cast<size_t>(i)];
  if (drive.type == kDrivePcFormatted && !ConfirmPcFormatted(this)) return;
  drives_->setEnabled(false);
  Run([this, &drive](Progress& progress) {
    if (engine_) engine_(drive, progress);
  });
}

}  // namespace korvane::ui
