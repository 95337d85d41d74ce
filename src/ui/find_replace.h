// The modeless find and replace dialogs of a viewer window. They keep the
// viewer's find request up to date as the user types and ask the viewer to
// search or replace through their signals; the search itself is the
// viewer's.
#pragma once

#include <QDialog>

#include "ui/viewer_slots.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvane::ui {

class FindDialog : public QDialog {
  Q_OBJECT

 public:
  // `request` belongs to the viewer's slot and outlives the dialog.
  FindDialog(QWidget* viewer, FindRequest& request, FindKind kind);

  FindKind Kind() const { return kind_; }
  QLineEdit* FindEdit() const { return findEdit_; }
  QLineEdit* ReplaceEdit() const { return replaceEdit_; }
  QPushButton* FindNextButton() const { return findNext_; }

 signals:
  void findNext();
  void replaceOne();
  void replaceAll();

 private:
  void Store();

  FindRequest& request_;
  FindKind kind_;
  QLineEdit* findEdit_ = nullptr;
  QLineEdit* replaceEdit_ = nullptr;
  QCheckBox* wholeWord_ = nullptr;
  QCheckBox* matchCase_ = nullptr;
  QRadioButton* up_ = nullptr;
  QRadioButton* down_ = nullptr;
  QPushButton* findNext_ = nullptr;
  QPushButton* replace_ = nullptr;
  QPushButton* replaceAll_ = nullptr;
};

}  // namespace korvane::ui
