#include "ui/card_mount_dialog.h"

#include <QBoxLayout>

#include <algorithm>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QPushButton>

#include "harddisk/cf7_volumes.h"
#include "ui/run_dialog.h"

namespace korvane::ui {

CardMountDialog::CardMountDialog(QWidget* parent, const std::vector<std::string>& names,
                                 const std::array<uint16_t, 3>& current)
    : QDialog(parent), initial_(current) {
  setWindowTitle("Mount CF7A+ volumes");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  for (size_t d = 0; d < combos_.size(); ++d) {
    auto* combo = new QComboBox(this);
    combo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    combo->addItem("--UNDEFINED--");
    for (size_t v = 0; v < names.size(); ++v)
      combo->addItem(QString::fromStdString(MountChoiceText(static_cast<uint32_t>(v + 1), names[v])));
    // A number past the card's volumes selects none.
    const int item = current[d] <= names.size() ? current[d] : 0;
    combo->setCurrentIndex(item);
    combos_[d] = combo;
    form->addRow(QString("DSK%1").arg(d + 1), combo);
  }
  layout->addLayout(form);
  auto* mount = new QPushButton("Mount", this);
  AddActionRow(this, layout, mount);
  connect(mount, &QPushButton::clicked, this, &QDialog::accept);
}

std::array<uint16_t, 3> CardMountDialog::Selection() const {
  std::array<uint16_t, 3> s{};
  for (size_t d = 0; d < combos_.size(); ++d) s[d] = static_cast<uint16_t>(std::max(0, combos_[d]->currentIndex()));
  return s;
}

}  // namespace korvane::ui
