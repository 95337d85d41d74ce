// The Disk Information and File Information dialogs (F2): a label and a
// read-only field per value, "OK" to close.
#pragma once

#include <QDialog>

#include "viewers/information.h"

namespace korvane::ui {

class InfoDialog : public QDialog {
  Q_OBJECT

 public:
  InfoDialog(QWidget* parent, const Information& info);

  // The field shown beside `label`, or "" when there is none (for tests).
  QString Value(const QString& label) const;
};

}  // namespace korvane::ui
