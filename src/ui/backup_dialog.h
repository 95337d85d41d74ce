// The dialog of "Backup" and "Restore": a removable drive holding a TI hard
// disk or a CF7A+ card, an image file on the PC, and the copy between them.
//
// The drive list is read once when the dialog opens. The image name starts
// empty and is cleared whenever another drive is chosen, since a hard disk
// and a card take images of different kinds. "..." opens a file dialog in
// the folder remembered for that kind of image (`hdsk_img_path` for hard
// disks, `cf7a_img_path` for cards) and remembers the folder chosen. The
// copy itself runs off the window thread (backup_worker.h); the dialog
// closes when it ends, however it ended.
#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "harddisk/backup_drives.h"
#include "harddisk/backup_run.h"
#include "ui/backup_worker.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace korvane::ui {

enum class BackupDirection { Backup, Restore };

class BackupDialog : public QDialog {
  Q_OBJECT

 public:
  // `settingsPath` is the ini file holding the remembered folders.
  BackupDialog(QWidget* parent, BackupDirection direction, std::vector<RemovableDrive> drives,
               DriveEnvironment env, std::string settingsPath);

  QComboBox* Drives() const { return drives_; }
  QLineEdit* ImageName() const { return name_; }
  QLabel* ProgressText() const { return text_; }
  QPushButton* ActionButton() const { return action_; }
  bool Running() const { return worker_.Running(); }
  // What the last run gave (Failed until one ran).
  BackupResult Result() const { return result_; }

  // The file dialog of "...": its title, filter, default extension and
  // remembered-folder key for the chosen drive's kind.
  struct FileChoice {
    QString title;
    QString filter;
    QString extension;
    std::string key;
  };
  FileChoice ChoiceFor(const RemovableDrive& drive) const;
  // The folder the file dialog opens in for `key`: the remembered one, else
  // the current directory.
  QString RememberedFolder(const std::string& key) const;

 public slots:
  // "...": the save (backup) or open (restore) file dialog.
  void Browse();
  // The action button: checks the choices, then runs the copy.
  void Start();
  // Cancel: closes the dialog, or during a run asks it to stop.
  void reject() override;

 private:
  const RemovableDrive* Chosen() const;
  void Remember(const std::string& key, const QString& chosenFile);
  void Warn(const char* text);

  BackupDirection direction_;
  std::vector<RemovableDrive> list_;
  DriveEnvironment env_;
  std::string settingsPath_;
  QComboBox* drives_;
  QLineEdit* name_;
  QPushButton* browse_;
  QProgressBar* bar_;
  QLabel* text_;
  QPushButton* action_;
  QString confirmed_;  // a name the save dialog already asked about
  WorkerRun worker_;
  BackupResult result_ = BackupResult::Failed;
};

}  // namespace korvane::ui
