// The conversion dialog "Convert PC file", one template for both directions:
//
//   TI file -> PC file   the PC-file name is typed; type, record length and the
//                        data-header controls only show the row and stay
//                        disabled; the method says how records become bytes.
//   PC file -> TI file   the TI-file name, the file type, the record length and
//                        the method are chosen; a PROGRAM may start with three
//                        data-header words typed in hexadecimal.
//
// Convert checks the choice (a refused one shows its message, puts the focus
// on the control concerned and keeps the dialog open), then runs the worker
// with the dialog's progress bar and closes. While the worker runs, Cancel
// asks it to stop instead of closing the dialog.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "fileops/pc_to_ti.h"
#include "ui/run_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace korvane::ui {

class ConvertDialog : public RunDialog {
  Q_OBJECT

 public:
  // The work of the Convert button, given what the dialog accepted.
  using TiPcWorker = std::function<void(const std::string& pcName, int method, Progress& progress)>;
  using PcTiWorker = std::function<void(const PcTiJob& job, Progress& progress)>;

  // TI file `row` to a PC file, with the proposals of the lines of the
  // TI -> PC settings section.
  ConvertDialog(QWidget* parent, const CatalogEntry& row, const std::vector<std::string>& tiPcLines,
                TiPcWorker worker);
  // The plain PC file `pcName` to a TI file, with the proposals of the lines
  // of the PC -> TI settings section.
  ConvertDialog(QWidget* parent, const std::string& pcName, const std::vector<std::string>& pcTiLines,
                PcTiWorker worker);

 private:
  void Build(const QString& caption, const QString& nameLabel);
  void ApplyTypeRules();
  void OnAction() override;
  // The TI -> PC and PC -> TI checks: true when the worker may run.
  bool CheckTiPc();
  bool CheckPcTi(PcTiJob& job);
  void Refuse(const std::string& message, QWidget* focus);

  bool tiToPc_;
  TiPcWorker tiPcWorker_;
  PcTiWorker pcTiWorker_;
  QLabel* nameLabel_ = nullptr;
  QLineEdit* name_ = nullptr;
  QLabel* typeLabel_ = nullptr;
  QComboBox* type_ = nullptr;
  QLabel* lengthLabel_ = nullptr;
  QComboBox* length_ = nullptr;
  QComboBox* method_ = nullptr;
  QCheckBox* dataHeader_ = nullptr;
  std::array<QLineEdit*, 3> words_{};
};

}  // namespace korvane::ui
