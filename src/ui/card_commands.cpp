// The CF7A+ card commands of the main window: reading the volume list of a
// card in a removable drive into the active pane, initializing a volume,
// setting the mount record, and F5 between a volume list and a PC
// directory (volumes out as ".dsk" images, images onto chosen volumes).
//
// A pane that shows a card in a drive keeps the location text
// "X: CF7A+ [nMb]" as its location path, so the drive letter is its first
// character; every command finds the drive again by that letter and opens
// it only for its own work, so no device stays open between commands.
#include <QApplication>
#include <QLineEdit>

#include <memory>

#include <fmt/printf.h>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "catalog/listing.h"
#include "fileops/container_kinds.h"
#include "fileops/locations.h"
#include "catalog/sort.h"
#include "fileops/file_commands.h"
#include "harddisk/backup_drives.h"
#include "harddisk/cf7_copy.h"
#include "harddisk/cf7_volumes.h"
#include "platform/drive_device.h"
#include "ui/card_copy_dialog.h"
#include "ui/card_format_dialog.h"
#include "ui/card_mount_dialog.h"
#include "ui/card_reader_dialog.h"
#include "ui/commands.h"
#include "ui/gui_reporter.h"
#include "ui/operation_dialog.h"

namespace korvane::ui {
namespace {

bool IsCardList(const PaneState& pane) { return ContainerOfLocation(pane.locationType).volumeList; }

bool IsVolumeRow(const CatalogEntry& row) { return row.kind == kKindCardDrive || row.kind == kKindCardVolume; }

std::vector<RemovableDrive> CardDrives(const DriveEnvironment& env, uint32_t mask) {
  return EnumerateRemovableDrives(env, mask, DriveWanted{false, true}, IdentifyHardDisk);
}

// The drive a card-drive pane was read from, found again by its letter.
bool FindPaneDrive(const DriveEnvironment& env, uint32_t mask, const PaneState& pane, RemovableDrive& out) {
  const char letter = pane.locationPath.empty() ? '?' : pane.locationPath.front();
  for (const RemovableDrive& d : CardDrives(env, mask))
    if (d.device.letter == letter) {
      out = d;
      return true;
    }
  ReportError(kErrOpenDrive, letter);
  return false;
}

// The card behind a volume-list pane (the drive, or the image it lists), or
// behind the card-image row under the cursor of a PC directory.
std::unique_ptr<Card> OpenPaneCard(const DriveEnvironment& env, uint32_t mask, const PaneState& pane, bool write) {
  if (pane.locationType == kLocCardDrive) {
    RemovableDrive drive;
    if (!FindPaneDrive(env, mask, pane, drive)) return nullptr;
    auto card = std::make_unique<CardDrive>();
    if (!card->Open(env, drive.device, write ? DriveAccess::Write : DriveAccess::Read)) return nullptr;
    return card;
  }
  std::string path;
  if (pane.locationType == kLocCardImage) {
    path = pane.locationPath;
  } else if (pane.locationType == kLocPcDirectory && pane.cursor >= 0 && pane.cursor < pane.RowCount() &&
             pane.rows[static_cast<size_t>(pane.cursor)].kind == kKindCardImg) {
    path = RowPcPath(pane, pane.rows[static_cast<size_t>(pane.cursor)]);
  } else {
    return nullptr;
  }
  auto card = std::make_unique<CardImage>();
  if (!card->Open(path, write)) return nullptr;
  return card;
}

// Reads volume `volume`'s sector 0 again and puts its row, as the list
// would now show it, in place of the old one.
void RefreshVolumeRow(Card& card, PaneState& pane, uint32_t volume) {
  Sector sector0{};
  if (!card.ReadSector(uint64_t{volume - 1} * cf7::kVolumeSectors, sector0)) return;
  const CatalogEntry fresh = MakeVolumeRow(sector0, volume, card.IsDrive(), card.SectorCount());
  for (CatalogEntry& row : pane.rows)
    if (IsVolumeRow(row) && VolumeOfRow(row) == volume) row = fresh;
}

// Puts the volume list of `card`, open on `drive`, into `pane`, sorted.
bool FillCardDriveRows(PaneState& pane, CardDrive& card, const RemovableDrive& drive, Progress& progress) {
  pane.locationPath = CardLocationText(drive);
  pane.cardVolumeCount = static_cast<int>(card.VolumeCount());
  pane.rows.clear();
  const bool ok = ListCardVolumes(card, true, pane.rows, progress);
  SortRows(pane.rows, pane.sortKey);
  return ok;
}

// Lists a card in a drive into `pane`. A pane that does not show a card yet
// remembers where it was, so that ".." leads back there.
bool ListCardDrive(PaneState& pane, const DriveEnvironment& env, const RemovableDrive& drive, Progress& progress) {
  CardDrive card;
  if (!card.Open(env, drive.device, DriveAccess::Read)) return false;
  if (pane.locationType != kLocCardDrive) {
    // Leaving a container level cuts the last component off the path it
    // returns to; a name pattern in the directory is that component.
    const std::string directory = pane.locationType == kLocPcDirectory
                                      ? PaneDirectory(pane)
                                      : ParentPath(pane.containerInContainer ? pane.outerPath : pane.locationPath);
    pane.outerPath = JoinPath(directory, "*");
    pane.PushLevel();
  }
  pane.locationType = kLocCardDrive;
  pane.containerLevel = 1;
  pane.hdLevel = 0;
  pane.innerName.clear();
  pane.containerInContainer = false;
  const bool ok = FillCardDriveRows(pane, card, drive, progress);
  pane.cursor = 0;
  pane.topRow = 0;
  return ok;
}

}  // namespace

bool Commands::RereadCardDrive(PaneModel& model) {
  PaneState& pane = model.state;
  const DriveEnvironment env = DriveEnvironment::FromProcess();
  RemovableDrive drive;
  if (!FindPaneDrive(env, settings_.driveLetters, pane, drive)) return false;
  CardDrive card;
  if (!card.Open(env, drive.device, DriveAccess::Read)) return false;
  const bool ok = FillCardDriveRows(pane, card, drive, NoProgress());
  pane.ClampCursor();
  return ok;
}

void Commands::ReadCardDrive() {
  if (busy_) return;
  const DriveEnvironment env = DriveEnvironment::FromProcess();
  std::vector<RemovableDrive> drives = CardDrives(env, settings_.driveLetters);
  if (drives.empty()) {
    AskWithWarning("Korvane", "No physical drive with a CF7A+ image found.", Buttons::Ok);
    return;
  }
  CardReaderDialog dialog(window_, std::move(drives));
  dialog.SetEngine([this, &env](const RemovableDrive& drive, Progress& progress) {
    RunLong([this, &env, &drive, &progress] {
      if (ListCardDrive(Active().state, env, drive, progress)) AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::InitCardVolume() {
  if (busy_ || !Active().hasRows) return;
  const PaneState& pane = Active().state;
  if (!IsCardList(pane) || pane.cursor <= 0 || pane.cursor >= pane.RowCount()) return;
  const CatalogEntry row = pane.rows[static_cast<size_t>(pane.cursor)];
  if (!IsVolumeRow(row)) return;
  FormatDialog dialog(window_, QString::fromStdString(InitializeCaption(row)), "Initialize", CardGeometryChoice());
  dialog.SetEngine([this, &dialog, &row](Progress& progress) {
    const std::string label = dialog.Label()->text().toStdString();
    RunLong([this, &label, &row, &progress] {
      const DriveEnvironment env = DriveEnvironment::FromProcess();
      std::unique_ptr<Card> card = OpenPaneCard(env, settings_.driveLetters, Active().state, true);
      if (!card) return;
      const uint32_t volume = VolumeOfRow(row);
      InitializeVolume(*card, volume, label, progress);
      // Whatever was written (all of it, or up to a failure) is what the
      // row shows from now on.
      card->Flush();
      RefreshVolumeRow(*card, Active().state, volume);
      AfterOpen(Active());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::MountCardVolumes() {
  if (busy_ || !Active().hasRows) return;
  const DriveEnvironment env = DriveEnvironment::FromProcess();
  std::vector<std::string> names;
  std::array<uint16_t, 3> current{};
  {
    std::unique_ptr<Card> card = OpenPaneCard(env, settings_.driveLetters, Active().state, false);
    if (!card) return;
    FileList volumes;
    if (!ListCardVolumes(*card, false, volumes, NoProgress())) return;
    for (const CatalogEntry& v : volumes) names.push_back(v.tiName);
    MountRecord record;
    if (!card->ReadMountRecord(record)) return;
    current = MountSelection(record, card->VolumeCount());
  }  // closed while the dialog waits for the user
  CardMountDialog dialog(window_, names, current);
  if (dialog.exec() != QDialog::Accepted || !dialog.Changed()) return;
  const std::array<uint16_t, 3> chosen = dialog.Selection();
  RunLong([this, &env, &chosen] {
    std::unique_ptr<Card> card = OpenPaneCard(env, settings_.driveLetters, Active().state, true);
    if (card && SetMountRecord(*card, chosen)) card->Flush();
  });
}

void Commands::CopyCardVolumesOut() {
  PaneState& source = Active().state;
  std::vector<CatalogEntry> volumes;
  for (int i : CommandRows(source))
    if (IsVolumeRow(source.rows[static_cast<size_t>(i)])) volumes.push_back(source.rows[static_cast<size_t>(i)]);
  if (volumes.empty()) {
    ReportError(kErrCopyToDirOnly);
    return;
  }
  OperationDialog::Options o;
  o.title = "Copy file(s)";
  o.text = QString::fromStdString(CopyText(source, Other().state));
  o.action = "Copy";
  o.destination = QString::fromUtf8(LocationText(Other().state));
  OperationDialog dialog(window_, o);
  dialog.SetEngine([this, &volumes](Progress& progress) {
    RunLong([this, &volumes, &progress] {
      const DriveEnvironment env = DriveEnvironment::FromProcess();
      std::unique_ptr<Card> card = OpenPaneCard(env, settings_.driveLetters, Active().state, false);
      CopyBatch batch;
      // One volume at a time, so that the text names the volume in hand.
      for (size_t i = 0; card && i < volumes.size(); ++i) {
        progress.SetText(fmt::sprintf("Copy %s <%s> to", "DSK image", SafePcName(volumes[i].tiName)));
        SetLastErrorCode(0);
        CopyVolumesOut(*card, {volumes[i]}, PaneDirectory(Other().state), progress,
                       [&batch](const std::string& name) { return batch.Ask("DSK image", name); });
        // A reported error, Cancel in the overwrite question or the Cancel
        // button stops the volumes that are left.
        if (LastErrorCode() != 0 || batch.cancelled || progress.Cancelled()) break;
      }
      for (CatalogEntry& row : Active().state.rows) row.marked = false;
      Refresh(Other().state);
      AfterOpen(Active());
      AfterOpen(Other());
    });
  });
  dialog.exec();
  emit panesChanged();
}

void Commands::CopyImagesOntoCard() {
  const PaneState& source = Active().state;
  const PaneState& dest = Other().state;
  // The marked images in list order, or the cursor row.
  std::vector<CatalogEntry> candidates;
  for (const CatalogEntry& row : source.rows)
    if (row.marked && IsFloppyImageKind(row.kind)) candidates.push_back(row);
  if (candidates.empty() && source.cursor >= 0 && source.cursor < source.RowCount() &&
      IsFloppyImageKind(source.rows[static_cast<size_t>(source.cursor)].kind))
    candidates.push_back(source.rows[static_cast<size_t>(source.cursor)]);
  const uint32_t count = static_cast<uint32_t>(std::max(0, dest.cardVolumeCount));
  if (candidates.empty()) return;
  if (count == 0) {
    CurrentReporter().ShowMessage("Copy File(s)", "CF7A+ disk full");
    return;
  }
  CardCopyRun run(candidates, PaneDirectory(source), count, 1, false);
  auto copyOne = [this](CardCopyRun& r, Progress& progress) {
    CopyStep step = CopyStep::Stop;
    RunLong([this, &r, &progress, &step] {
      const DriveEnvironment env = DriveEnvironment::FromProcess();
      std::unique_ptr<Card> card = OpenPaneCard(env, settings_.driveLetters, Other().state, true);
      if (!card) return;
      const std::string copied = r.Current().sourceName;
      const bool goOn = r.CopyCurrent(*card, progress);
      card->Flush();
      for (CatalogEntry& row : Active().state.rows)
        if (row.sourceName == copied) row.marked = false;
      RefreshVolumeRow(*card, Other().state, r.LastVolume());
      SortRows(Other().state.rows, Other().state.sortKey);
      AfterOpen(Active());
      AfterOpen(Other());
      step = goOn ? CopyStep::GoOn : CopyStep::Wait;
    });
    return step;
  };
  CardCopyDialog dialog(window_, run, count, QString::fromUtf8(LocationText(dest)), copyOne);
  dialog.exec();
  emit panesChanged();
}

}  // namespace korvane::ui
