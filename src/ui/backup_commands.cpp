// "Backup" and "Restore" of a removable drive holding a TI hard disk or a
// CF7A+ card, through the backup dialog.
#include "fileops/locations.h"
#include "harddisk/backup_drives.h"
#include "ui/backup_dialog.h"
#include "ui/commands.h"
#include "ui/gui_reporter.h"

namespace korvane::ui {
namespace {

// True when a backup or restore ran (however it ended).
bool RunBackupDialog(QWidget* window, BackupDirection direction, uint32_t driveLetters,
                     const std::string& settingsPath) {
  const DriveEnvironment env = DriveEnvironment::FromProcess();
  std::vector<RemovableDrive> drives = EnumerateRemovableDrives(env, driveLetters, DriveWanted{}, IdentifyHardDisk);
  if (drives.empty()) {
    AskWithWarning("Korvane", "No physical drive with a SCSI, IDE, WDS or CF7A+ image found.", Buttons::Ok);
    return false;
  }
  BackupDialog dialog(window, direction, std::move(drives), env, settingsPath);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace

void Commands::Backup() {
  if (busy_) return;
  busy_ = true;
  emit busyChanged(true);
  const bool ran = RunBackupDialog(window_, BackupDirection::Backup, settings_.driveLetters, settingsPath_);
  busy_ = false;
  emit busyChanged(false);
  // A new image in a directory that a pane shows appears there.
  for (PaneModel& pane : panes_)
    if (ran && pane.hasRows && pane.state.locationType == kLocPcDirectory) Refresh(pane.state);
  emit panesChanged();
}

void Commands::Restore() {
  if (busy_) return;
  busy_ = true;
  emit busyChanged(true);
  const bool ran = RunBackupDialog(window_, BackupDirection::Restore, settings_.driveLetters, settingsPath_);
  busy_ = false;
  emit busyChanged(false);
  // A card pane shows what is on the card now.
  for (PaneModel& pane : panes_)
    if (ran && pane.hasRows && pane.state.locationType == kLocCardDrive) RereadCardDrive(pane);
  emit panesChanged();
}

}  // namespace korvane::ui
