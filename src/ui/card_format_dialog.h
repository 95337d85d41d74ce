// The format dialog: a volume label and the disk geometry, shared by
// "Create new DSK image" and "Initialize CF7A+ Volume". For a card volume
// the geometry is fixed (the CF7A+ choice checked, every choice disabled)
// and the button reads "Initialize".
#pragma once

#include "fileops/file_commands.h"
#include "ui/tool_dialog.h"

class QButtonGroup;
class QLineEdit;

namespace korvane::ui {

class FormatDialog : public ToolDialog {
  Q_OBJECT

 public:
  // `fixedGeometry` >= 0 checks that choice of ImageChoices() and disables
  // all of them; otherwise the default choice is checked and any may be
  // taken.
  FormatDialog(QWidget* parent, const QString& title, const QString& action, int fixedGeometry = -1);

  QLineEdit* Label() const { return label_; }
  QButtonGroup* Choices() const { return group_; }
  const NewImageGeometry& Geometry() const;

 private:
  QLineEdit* label_;
  QButtonGroup* group_;
};

// Index of the CF7A+ geometry among ImageChoices().
int CardGeometryChoice();

}  // namespace korvane::ui
