// "Read Cf7a+ card": the choice of a card among the removable drives, and
// the reading of its volume list with a progress bar per volume.
//
// A drive whose sector 0 is no TI volume (a PC-formatted card) is offered
// too, since a card may have been formatted on the PC by mistake; choosing
// it asks first, with "No" as the default answer, and "No" returns to the
// list.
#pragma once

#include <functional>
#include <vector>

#include "harddisk/backup_drives.h"
#include "ui/run_dialog.h"

class QComboBox;

namespace korvane::ui {

class CardReaderDialog : public RunDialog {
  Q_OBJECT

 public:
  CardReaderDialog(QWidget* parent, std::vector<RemovableDrive> drives);

  QComboBox* Drives() const { return drives_; }
  // The work once a drive is chosen (reading its volumes into the pane).
  void SetEngine(std::function<void(const RemovableDrive&, Progress&)> engine) { engine_ = std::move(engine); }

  // The question before a PC-formatted drive is used as a card.
  static bool ConfirmPcFormatted(QWidget* parent);

 private:
  void OnAction() override;

  std::vector<RemovableDrive> list_;
  QComboBox* drives_;
  std::function<void(const RemovableDrive&, Progress&)> engine_;
};

}  // namespace korvane::ui
