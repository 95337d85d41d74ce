// "Mount CF7A+ volumes": which volumes of a card the TI sees as DSK1, DSK2
// and DSK3. Each drive offers "--UNDEFINED--" (none) and every volume of
// the card by number and name; the card's current record is preselected.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class QComboBox;

namespace korvane::ui {

class CardMountDialog : public QDialog {
  Q_OBJECT

 public:
  // `names` holds the TI name of each volume (volume n at n - 1), or
  // "UNFORMATED"; `current` the record's volume numbers as the selection
  // starts (0 = none).
  CardMountDialog(QWidget* parent, const std::vector<std::string>& names, const std::array<uint16_t, 3>& current);

  QComboBox* Drive(int dsk) const { return combos_[static_cast<size_t>(dsk)]; }
  // The three volume numbers chosen (0 = none).
  std::array<uint16_t, 3> Selection() const;
  bool Changed() const { return Selection() != initial_; }

 private:
  std::array<QComboBox*, 3> combos_{};
  std::array<uint16_t, 3> initial_;
};

}  // namespace korvane::ui
