#include "ui/print_abort_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane::ui {

PrintAbortDialog::PrintAbortDialog(const QString& fileName, QWidget* parent)
    : QDialog(parent), cancel_(new QPushButton("Cancel")) {
  setObjectName("AbortDlg");
  setWindowTitle("PrntFile");
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  for (const QString& text : {QString("Sending"), fileName, QString("to print spooler.")}) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignHCenter);
    layout->addWidget(label);
  }
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  cancel_->setDefault(true);
  connect(cancel_, &QPushButton::clicked, this, [this] { pump_.Cancel(); });
}

void PrintAbortDialog::Begin(uint64_t total, const std::string& text) {
  show();
  raise();
  pump_.Begin(total, text);
}

bool PrintAbortDialog::Step(uint64_t done) { return pump_.Step(done); }

}  // namespace korvane::ui
