// The sector-structure windows: one form fed by the core's description of a
// VIB, DDR, FDIR, FDR, partition table or card volume list. Each window is
// modeless and owned by nobody; any number can be open, each closes on its
// own. Buttons and double clicks open the structures a field or list line
// points to (read first: nothing opens when that fails) or the hex view of
// a block of file data in a viewer window.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <map>

#include "harddisk/structure_view.h"
#include "platform/settings.h"

class QLineEdit;

namespace korvane::ui {

class StructureWindow : public QWidget {
  Q_OBJECT

 public:
  StructureWindow(StructureDescription description, Settings& settings, QWidget* mainWindow);

  // Opens what `target` names: a new structure window, cascaded on the main
  // window's screen and shown, or the sector hex view in a viewer. Returns
  // the new window, null when nothing opened (the failure was reported).
  static QWidget* Open(const StructureTarget& target, Settings& settings, QWidget* mainWindow);

  const StructureDescription& Description() const { return description_; }
  // The text shown for the field called `label` ("" when there is none).
  QString FieldText(const QString& label) const;
  // The lines of the list (or of the bitmap combo box) as shown.
  QStringList ListLines() const;
  bool ListEnabled() const;
  bool ButtonEnabled(int id) const;
  // Selects list line `line` (or -1 for none), as a click does.
  void SelectLine(int line);
  // Presses button `id` / double-clicks line `line`; returns what opened.
  QWidget* PressButton(int id);
  QWidget* ActivateLine(int line);

  // Where the next structure window goes: 100 pixels right of the left edge
  // of the main window's screen and 100 down, each further one a caption
  // height right and down; the height starts again at 100 once it reaches
  // 300. Starts the sequence again (for tests).
  static void ResetCascade();
  static QPoint NextCascadePosition(QWidget* mainWindow);

 private:
  QWidget* OpenLine(int line);

  StructureDescription description_;
  Settings& settings_;
  QPointer<QWidget> mainWindow_;
  std::map<QString, QLineEdit*> fields_;
  QListWidget* list_ = nullptr;
  QComboBox* bitmap_ = nullptr;
  std::map<int, QPushButton*> buttons_;
};

}  // namespace korvane::ui
