#include "ui/info_dialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane::ui {

InfoDialog::InfoDialog(QWidget* parent, const Information& info) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(info.title));
  auto* form = new QFormLayout;
  for (const InformationField& f : info.fields) {
    auto* value = new QLineEdit(QString::fromStdString(f.value), this);
    value->setReadOnly(true);
    value->setMinimumWidth(160);
    value->setObjectName(QString::fromStdString(f.label));
    form->addRow(QString::fromStdString(f.label), value);
  }
  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

QString InfoDialog::Value(const QString& label) const {
  const auto* field = findChild<QLineEdit*>(label);
  return field ? field->text() : QString();
}

}  // namespace korvane::ui
