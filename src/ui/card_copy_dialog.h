// "Copy file(s)" onto a CF7A+ card's volume list: the images go one at a
// time onto the volume chosen under "As volume #". After each image the
// dialog names the next one and moves to the next volume; with "Auto copy
// next DSK image" checked the next copy starts by itself, until the last
// volume has been written ("CF7A+ disk full": the choice goes back to
// volume 1 and the dialog waits). Cancel during a copy stops it, and the
// run with it; the dialog closes when no image is left.
#pragma once

#include <QDialog>

#include <functional>

#include "harddisk/cf7_copy.h"
#include "ui/gui_progress.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace korvane::ui {

// What follows one copy: the dialog closes (the card could not be opened),
// waits for the user, or starts the next copy by itself.
enum class CopyStep { Stop, Wait, GoOn };

class CardCopyDialog : public QDialog {
  Q_OBJECT

 public:
  // `copy` copies run.Current() onto run.Volume() (CardCopyRun::CopyCurrent
  // on the open card) and tells what follows.
  CardCopyDialog(QWidget* parent, CardCopyRun& run, uint32_t volumeCount, const QString& destination,
                 std::function<CopyStep(CardCopyRun&, Progress&)> copy);

  QComboBox* Volume() const { return volume_; }
  QCheckBox* AutoCopy() const { return auto_; }
  QLabel* Text() const { return text_; }
  QPushButton* CopyButton() const { return copyButton_; }
  bool Running() const { return running_; }

 public slots:
  // "Copy": the current image onto the chosen volume.
  void CopyNext();
  void reject() override;

 private:
  CardCopyRun& run_;
  std::function<CopyStep(CardCopyRun&, Progress&)> copy_;
  QLabel* text_;
  QComboBox* volume_;
  QCheckBox* auto_;
  QProgressBar* bar_;
  QPushButton* copyButton_;
  GuiProgress progress_{nullptr, nullptr};
  bool running_ = false;
};

}  // namespace korvane::ui
