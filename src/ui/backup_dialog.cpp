#include "ui/backup_dialog.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "fileops/file_commands.h"
#include "platform/ini_file.h"
#include "platform/settings.h"
#include "ui/gui_reporter.h"
#include "ui/run_dialog.h"

namespace korvane::ui {

BackupDialog::BackupDialog(QWidget* parent, BackupDirection direction, std::vector<RemovableDrive> drives,
                           DriveEnvironment env, std::string settingsPath)
    : QDialog(parent),
      direction_(direction),
      list_(std::move(drives)),
      env_(std::move(env)),
      settingsPath_(std::move(settingsPath)),
      drives_(new QComboBox(this)),
      name_(new QLineEdit(this)),
      browse_(new QPushButton("...", this)),
      bar_(new QProgressBar(this)),
      text_(new QLabel(this)),
      action_(new QPushButton(this)),
      worker_(bar_, text_) {
  const bool backup = direction == BackupDirection::Backup;
  setWindowTitle(backup ? "Backup Scsi / Ide / Wds or Cf7a+ disk image"
                        : "Restore Scsi / Ide / Wds or Cf7a+ disk image");
  action_->setText(backup ? "Save disk image" : "Restore disk image");
  action_->setDefault(true);

  // Fixed-width labels line the sizes and names up in columns.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  drives_->setFont(fixed);
  // Wide enough for the longest label even while none is chosen.
  drives_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  for (const RemovableDrive& d : list_)
    drives_->addItem(QString::fromStdString(backup ? BackupLabel(d) : RestoreLabel(d)));
  drives_->setCurrentIndex(list_.size() == 1 ? 0 : -1);
  connect(drives_, &QComboBox::currentIndexChanged, name_, &QLineEdit::clear);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(backup ? "Drive to save" : "Drive to restore", this));
  layout->addWidget(drives_);
  layout->addWidget(new QLabel(backup ? "Save as image file" : "Image file to restore", this));
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(name_, 1);
  nameRow->addWidget(browse_);
  layout->addLayout(nameRow);
  AddIdleProgressBar(layout, bar_);
  text_->setTextFormat(Qt::PlainText);
  text_->setMinimumWidth(360);
  layout->addWidget(text_);
  AddActionRow(this, layout, action_);

  connect(browse_, &QPushButton::clicked, this, &BackupDialog::Browse);
  connect(action_, &QPushButton::clicked, this, &BackupDialog::Start);
}

const RemovableDrive* BackupDialog::Chosen() const {
  const int i = drives_->currentIndex();
  if (i < 0 || static_cast<size_t>(i) >= list_.size()) return nullptr;
  return &list_[static_cast<size_t>(i)];
}

void BackupDialog::Warn(const char* text) { AskWithWarning("Korvane", text, Buttons::Ok); }

BackupDialog::FileChoice BackupDialog::ChoiceFor(const RemovableDrive& drive) const {
  const bool hardDisk = drive.type == kDriveHardDisk;
  if (direction_ == BackupDirection::Backup) {
    if (hardDisk)
      return {"Save Scsi / Ide / Wds image as ...", "Scsi / Ide / Hds disk image files (*.img)", "img", "hdsk_img_path"};
    return {"Save Cf7a+ image as ...", "Cf7a+ disk image files (*.cf7)", "cf7", "cf7a_img_path"};
  }
  if (hardDisk)
    return {"Select Scsi / Ide / Wds image to restore", "Scsi / Ide / Hds disk image files (*.img)", "img",
            "hdsk_img_path"};
  return {"Select Cf7a+ image to restore", "Cf7a+ disk image files (*.cf7)", "cf7", "cf7a_img_path"};
}

QString BackupDialog::RememberedFolder(const std::string& key) const {
  IniFile ini;
  ini.Load(settingsPath_);
  const std::string folder = ini.GetString(kSettingsSection, key, "");
  return folder.empty() ? QDir::currentPath() : QString::fromStdString(folder);
}

void BackupDialog::Remember(const std::string& key, const QString& chosenFile) {
  // Read and written at the moment of use, so that two dialogs in a row
  // (or two programs) see the last folder chosen.
  IniFile ini;
  ini.Load(settingsPath_);
  ini.SetString(kSettingsSection, key, QFileInfo(chosenFile).absolutePath().toStdString());
  ini.Save(settingsPath_);
}

void BackupDialog::Browse() {
  if (worker_.Running()) return;
  const RemovableDrive* drive = Chosen();
  if (!drive) {
    Warn(direction_ == BackupDirection::Backup ? "Select a disk to save." : "Select a disk to restore.");
    return;
  }
  const FileChoice choice = ChoiceFor(*drive);
  QFileDialog dialog(this, choice.title, RememberedFolder(choice.key), choice.filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setDefaultSuffix(choice.extension);
  if (direction_ == BackupDirection::Backup) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString file = dialog.selectedFiles().front();
  Remember(choice.key, file);
  name_->setText(file);
  confirmed_ = file;  // the save dialog asked before replacing it
}

void BackupDialog::Start() {
  if (worker_.Running()) return;
  const bool backup = direction_ == BackupDirection::Backup;
  const RemovableDrive* drive = Chosen();
  if (!drive) {
    Warn(backup ? "Select a disk to save." : "Select a disk to restore.");
    return;
  }
  if (name_->text().isEmpty()) {
    Warn(backup ? "Select a filename for the image to save." : "Select an image to restore.");
    return;
  }
  const RemovableDrive chosen = *drive;
  const std::string path = name_->text().toStdString();
  // A name typed over an existing file is confirmed as the save dialog
  // confirms a chosen one: a backup replaces the file whole.
  if (backup && name_->text() != confirmed_ && QFileInfo::exists(name_->text()) &&
      CurrentReporter().Ask(kOverwriteCaption, OverwriteText("file", path), Buttons::YesNo) != Answer::Yes)
    return;
  for (QWidget* w : std::initializer_list<QWidget*>{action_, browse_, drives_, name_}) w->setEnabled(false);
  const DriveEnvironment env = env_;
  worker_.Run([this, &chosen, &path, &env, backup](Progress& progress) {
    result_ = backup ? BackupDrive(env, chosen, path, progress)
                     : RestoreDrive(env, chosen, path, IdentifyHardDisk, progress);
  });
  accept();
}

void BackupDialog::reject() {
  if (worker_.Running()) {
    worker_.Cancel();
    return;
  }
  QDialog::reject();
}

}  // namespace korvane::ui
