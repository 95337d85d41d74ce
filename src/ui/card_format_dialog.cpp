#include "ui/card_format_dialog.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "harddisk/cf7_volumes.h"

namespace korvane::ui {

int CardGeometryChoice() {
  const NewImageGeometry card = CardVolumeGeometry();
  const std::vector<ImageChoice>& choices = ImageChoices();
  for (size_t i = 0; i < choices.size(); ++i) {
    const NewImageGeometry& g = choices[i].geometry;
    if (g.totalSectors == card.totalSectors && g.sectorsPerTrack == card.sectorsPerTrack &&
        g.tracksPerSide == card.tracksPerSide && g.sides == card.sides && g.density == card.density)
      return static_cast<int>(i);
  }
  return -1;
}

FormatDialog::FormatDialog(QWidget* parent, const QString& title, const QString& action, int fixedGeometry)
    : ToolDialog(parent, title, {}, action), label_(new QLineEdit(this)), group_(new QButtonGroup(this)) {
  Controls()->addWidget(new QLabel("Volume label", this));
  Controls()->addWidget(label_);
  // The label keeps what a VIB takes: no spaces or dots, ten characters.
  QObject::connect(label_, &QLineEdit::textEdited, label_, [this](const QString& text) {
    const QString kept = QString::fromStdString(FilterVolumeLabel(text.toStdString()));
    if (kept == text) return;
    const int cursor = label_->cursorPosition() - static_cast<int>(text.size() - kept.size());
    label_->setText(kept);
    label_->setCursorPosition(std::max(0, cursor));
  });
  const std::vector<ImageChoice>& choices = ImageChoices();
  const int checked = fixedGeometry >= 0 ? fixedGeometry : static_cast<int>(kDefaultImageChoice);
  for (size_t i = 0; i < choices.size(); ++i) {
    auto* button = new QRadioButton(choices[i].text, this);
    button->setChecked(static_cast<int>(i) == checked);
    button->setEnabled(fixedGeometry < 0);
    group_->addButton(button, static_cast<int>(i));
    Controls()->addWidget(button);
  }
  SetCheck([this] {
    if (!label_->text().isEmpty()) return true;
    QMessageBox::critical(this, "Korvane", "Please enter a volumelabel");
    label_->setFocus();
    return false;
  });
}

const NewImageGeometry& FormatDialog::Geometry() const {
  return ImageChoices()[static_cast<size_t>(std::max(0, group_->checkedId()))].geometry;
}

}  // namespace korvane::ui
