// The information dialogs (F2): Disk Information and File Information, a
// label and a read-only field per value; Image Information, the image's
// fields and under "Partition information" one line of fields per volume.
// "OK" closes each.
#pragma once

#include <QDialog>

#include "viewers/image_information.h"
#include "viewers/information.h"

namespace korvane::ui {

class InfoDialog : public QDialog {
  Q_OBJECT

 public:
  InfoDialog(QWidget* parent, const Information& info);

  // The field shown beside `label`, or "" when there is none (for tests).
  QString Value(const QString& label) const;
};

class ImageInfoDialog : public QDialog {
  Q_OBJECT

 public:
  ImageInfoDialog(QWidget* parent, const ImageInformation& info);

  // The field labelled `label` as ImageInformation::AllFields names it
  // ("Partition 2 Free"), or "" when there is none (for tests).
  QString Value(const QString& label) const;
  // How many volume lines the dialog shows.
  int VolumeLineCount() const { return volumeLines_; }

 private:
  int volumeLines_ = 0;
};

}  // namespace korvane::ui
