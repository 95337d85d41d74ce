#include "ui/info_dialog.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane::ui {
namespace {

QLineEdit* ReadOnlyField(QWidget* parent, const std::string& text, const std::string& name, int minWidth) {
  auto* value = new QLineEdit(QString::fromStdString(text), parent);
  value->setReadOnly(true);
  value->setMinimumWidth(minWidth);
  value->setObjectName(QString::fromStdString(name));
  return value;
}

QPushButton* OkButton(QDialog* dialog) {
  auto* ok = new QPushButton("OK", dialog);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
  return ok;
}

}  // namespace

InfoDialog::InfoDialog(QWidget* parent, const Information& info) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(info.title));
  auto* form = new QFormLayout;
  for (const InformationField& f : info.fields)
    form->addRow(QString::fromStdString(f.label), ReadOnlyField(this, f.value, f.label, 160));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkButton(this), 0, Qt::AlignRight);
}

QString InfoDialog::Value(const QString& label) const {
  const auto* field = findChild<QLineEdit*>(label);
  return field ? field->text() : QString();
}

ImageInfoDialog::ImageInfoDialog(QWidget* parent, const ImageInformation& info) : QDialog(parent) {
  setWindowTitle(QString::fromStdString(info.title));
  auto* form = new QFormLayout;
  for (const InformationField& f : info.fields)
    form->addRow(QString::fromStdString(f.label), ReadOnlyField(this, f.value, f.label, 160));

  // One column per value, headed by its name; a plain image has no
  // partition table and so no offset and size columns.
  auto* group = new QGroupBox("Partition information", this);
  auto* grid = new QGridLayout(group);
  std::vector<int> columns;
  for (int c = 0; c < kImageColumnCount; ++c)
    if (info.partitioned || (c != kColOffset && c != kColPartitionSize)) columns.push_back(c);
  for (size_t i = 0; i < columns.size(); ++i)
    grid->addWidget(new QLabel(ImageColumnName(columns[i]), group), 0, static_cast<int>(i) + 1);
  for (const ImageVolumeLine& line : info.volumes) {
    const int row = ++volumeLines_;
    if (line.partition != 0) grid->addWidget(new QLabel(QString::number(line.partition), group), row, 0);
    for (size_t i = 0; i < columns.size(); ++i) {
      const int c = columns[i];
      grid->addWidget(ReadOnlyField(group, line.values[c], ImageFieldLabel(line, c), c == kColLabel ? 100 : 70),
                      row, static_cast<int>(i) + 1);
    }
  }

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(group);
  layout->addWidget(OkButton(this), 0, Qt::AlignRight);
}

QString ImageInfoDialog::Value(const QString& label) const {
  const auto* field = findChild<QLineEdit*>(label);
  return field ? field->text() : QString();
}

}  // namespace korvane::ui
