// The Configuration dialog: list font, the three colours, the wheel, name and
// extraction switches and the drive letters allowed for raw access. Every
// change takes effect at once (there is no Cancel) and is saved at the end
// of the run.
#pragma once

#include <QDialog>

#include "platform/settings.h"

class QLabel;
class QLineEdit;

namespace korvane::ui {

class ConfigDialog : public QDialog {
  Q_OBJECT

 public:
  ConfigDialog(Settings& settings, QWidget* parent = nullptr);

  // "Courier New, 12", then ", B" for bold and ", I" for italic.
  static QString FontDescription(const Settings& settings);

 signals:
  // Font or colours changed: the panes repaint at once.
  void lookChanged();

 private:
  void ChangeFont();
  void ChangeTextColor();
  void ChangeBackColor();
  void ChangeMarkColor();
  void ChangeColor(uint32_t& color);
  void RefreshSwatches();
  void OnDriveToggled(bool checked);
  void OnWheelToggled(bool checked);
  void OnQuellanToggled(bool checked);
  void OnTifilesToggled(bool checked);

  Settings& settings_;
  QLineEdit* fontText_;
  QLabel* swatches_[5];
};

// The font chooser: face, size 8-18 points, bold, italic. Returns false on
// Cancel; on OK the settings hold the new face, height, weight and italic.
bool ChooseListFont(QWidget* parent, Settings& settings);

}  // namespace korvane::ui
