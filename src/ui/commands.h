// The commands of the main window, on the two pane models: opening rows,
// moving and marking, re-reading, swapping, going to the root or to a chosen
// directory. Keys, menu items, toolbar buttons and mouse actions are bound to
// these slots and hold no logic of their own.
//
// Long commands run on the one thread; while one runs (and lets window events
// through to repaint and to offer Cancel) every further command is refused,
// so that a second copy or delete can never start inside the first.
#pragma once

#include <QObject>
#include <QWidget>

#include <array>
#include <functional>

#include "catalog/pane_model.h"
#include "fileops/file_commands.h"
#include "platform/progress.h"
#include "platform/settings.h"

namespace korvane::ui {

inline constexpr int kLeft = 0;
inline constexpr int kRight = 1;

// What a key or click asked to do with the cursor row: open it as a
// location (in this pane or the other), show it in a text viewer or a
// picture window in a view mode, show it as a GIF picture, or beep.
struct RowAction {
  enum class What { Open, OpenOpposite, View, Picture, Gif, Beep };
  What what = What::Beep;
  int mode = 0;  // view mode (View) or picture mode (Picture)
  bool operator==(const RowAction&) const = default;
};

class Commands : public QObject {
  Q_OBJECT

 public:
  Commands(Settings& settings, QWidget* window);

  PaneModel& Pane(int side) { return panes_[static_cast<size_t>(side)]; }
  PaneModel& Active() { return Pane(active_); }
  PaneModel& Other() { return Pane(1 - active_); }
  int ActiveSide() const { return active_; }
  bool Busy() const { return busy_; }
  bool Loaded() const { return loaded_; }

  // Runs `work` as a long command with the busy cursor. Refused (false) while
  // another long command runs.
  bool RunLong(const std::function<void()>& work);

  // When set, row actions are handed here instead of being carried out
  // (tests watch the key table with it).
  std::function<void(const RowAction&)> actionSink;
  // The list widget of a pane (the folder browser is centred on it).
  std::function<QWidget*(int side)> paneList;

  // Path of the settings file (recent directories are written at once).
  void SetSettingsPath(const std::string& path) { settingsPath_ = path; }
  const std::string& SettingsPath() const { return settingsPath_; }

 public slots:
  void FirstRead();
  void SwitchPane();
  void Activate(int side);
  void OpenRow();
  void OpenRowOpposite();
  void F3();
  // Ctrl+F3: a location row opens in the other pane; any other row is
  // viewed as with F3.
  void F3Opposite();
  // Shift+F3: Forth blocks of a DIS/FIX 128 row, else as F3.
  void F3Forth();
  // The directory listing of the active pane, and the layout of a PC99 image,
  // each in a viewer window.
  void FeedFileList();
  void Pc99Layout();
  void Reread();
  void SwapPanes();
  void GotoRoot();
  void GotoUpper();
  void PageUp();
  void PageDown();
  void Home();
  void End();
  void Up(bool shift);
  void Down(bool shift);
  void ToggleMark();
  void UnmarkAllByInsert();
  void Mark();
  void Unmark();
  void MarkAll();
  void UnmarkAll();
  void Repaint();
  void SelectDirectory();
  void TakeRecent(int n);
  void SortBy(int side, int column);
  void Click(int side, int y, int lineHeight, Qt::KeyboardModifiers modifiers);
  void DoubleClick(int side, int y, int lineHeight, Qt::KeyboardModifiers modifiers);
  void Wheel(int delta);
  // The file commands, each with its dialog: refused (and reported) where
  // they make no sense, else run with progress and Cancel.
  void Copy();
  void Delete();
  void Rename();
  void MakeDirectory();
  // Tool commands with their own dialogs: the write-protect and archive
  // attributes of TI files kept as PC files, and a new empty floppy image in
  // the active pane's directory.
  void Attributes();
  void CreateDskImage();
  // Rewrites the headers of TI files kept as PC files: TIFILES and Classic99
  // to V9T9, or V9T9 to TIFILES.
  void ConvertToV9t9() { ConvertHeaderKind(false); }
  void ConvertToTifiles() { ConvertHeaderKind(true); }
  // Conversions into the other pane's directory: PC99 track images to V9T9
  // images, archives and images extracted into new directories, archives
  // turned into new V9T9 images.
  void ConvertPc99();
  void ExtractAllRows();
  void ArcToImage();
  // The view keys open viewer and picture windows (rows of the wrong kind
  // beep).
  void F4();
  // F2: the Disk Information or File Information dialog of the cursor row.
  void Info();
  void F8(bool shift);
  void F9(bool shift);
  // Ctrl+F6: the cursor row converted into the other pane's directory, a TI
  // file to a plain PC file, a plain PC file to a TI file, each through its
  // dialog; other rows and other destinations are refused.
  void ConvertKey();
  // "Show image VIB, DDR, FDIR or FDR": the first structure window of the
  // cursor row's image (floppy, hard disk, partitioned disk, card image) in
  // a PC directory.
  void ShowStructure();
  // The CF7A+ card commands (card_commands.cpp): a card in a removable drive
  // read into the active pane, a volume initialized, the DSK1-DSK3 mount
  // record set.
  void ReadCardDrive();
  void InitCardVolume();
  void MountCardVolumes();
  // A whole removable drive saved into an image file, or an image written
  // back onto a drive (backup_commands.cpp).
  void Backup();
  void Restore();
  // "Check image": the check of the cursor row's container (image, card
  // image, archive or TI file in a PC directory) in a viewer window; when
  // faults can be mended, asks and repairs, keeping the original as .bak.
  void CheckImage();

 signals:
  void panesChanged();
  void busyChanged(bool busy);

 private:
  // Carries out a view or beep on the active pane's cursor row.
  void Perform(const RowAction& action);
  // Runs a quick command on the model; refused while a long one runs.
  bool Quick(const std::function<void()>& work);
  // Opens the cursor row of the active pane in `target` (the active pane or
  // the other one).
  void OpenInto(bool opposite);
  void AfterOpen(PaneModel& pane);
  void GoTo(const std::string& path, bool addToRecent);
  void ConvertHeaderKind(bool toTifiles);
  void RunIntoOther(const char* title, const std::string& text, const char* action,
                    const std::function<void(Progress& files, Progress& rows)>& engine);
  // The settings file the conversion dialogs take their proposals from.
  std::string ConversionSettingsFile() const;
  // Re-reads the destination of a conversion (and the source pane when it
  // shows the same directory).
  void AfterConversion();
  // A plain PC file on its way into a disk image, through the PC -> TI
  // dialog into the scratch file; `converted` gets the new file's
  // attributes. Cancel in the dialog skips the file; a failure stops the copy.
  DosConversion ConvertDosRow(const CatalogEntry& dosRow, CatalogEntry& converted);
  // F5 when either pane is a card's volume list: volumes out as ".dsk"
  // images, or images onto volumes.
  void CopyCardVolumesOut();
  void CopyImagesOntoCard();
  // Reads a card drive pane's volume list again (Ctrl+R, after a copy).
  bool RereadCardDrive(PaneModel& pane);

  Settings& settings_;
  QWidget* window_;
  std::array<PaneModel, 2> panes_;
  int active_ = kLeft;
  bool busy_ = false;
  bool loaded_ = false;
  std::string settingsPath_;
};

}  // namespace korvane::ui
