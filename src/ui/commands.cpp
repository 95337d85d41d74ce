#include "ui/commands.h"

#include <QApplication>

#include <algorithm>

#include "catalog/errors.h"
#include "fileops/locations.h"
#include "platform/ini_file.h"
#include "ui/folder_browser.h"
#include "ui/viewer_open.h"
#include "viewers/pictures.h"
#include "viewers/view_builder.h"

namespace korvane::ui {
namespace {

// Rows that F3 opens as a location instead of showing them in a viewer.
bool OpensAsLocation(int kind) {
  switch (kind) {
    case kKindSubdir: case kKindUprdir: case kKindDsk: case kKindPc99Sd: case kKindPc99Dd:
    case kKindPtImg: case kKindHdImg: case kKindCardImg: case kKindCardVolume:
      return true;
    default:
      return false;
  }
}

const CatalogEntry* CursorRow(PaneModel& m) {
  const PaneState& p = m.state;
  if (p.cursor < 0 || p.cursor >= p.RowCount()) return nullptr;
  return &p.rows[static_cast<size_t>(p.cursor)];
}

bool IsDisFix128(const CatalogEntry* r) { return r && r->kind == kKindDisFix && r->recordLength == 128; }

}  // namespace

Commands::Commands(Settings& settings, QWidget* window) : QObject(window), settings_(settings), window_(window) {
  for (PaneModel& pane : panes_) {
    pane.state.sortKey = settings.sortBy;
    pane.columnWidths = settings.columnWidths;
  }
}

bool Commands::RunLong(const std::function<void()>& work) {
  if (busy_) return false;
  busy_ = true;
  emit busyChanged(true);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  work();
  QApplication::restoreOverrideCursor();
  busy_ = false;
  emit busyChanged(false);
  emit panesChanged();
  return true;
}

bool Commands::Quick(const std::function<void()>& work) {
  if (busy_) return false;
  work();
  emit panesChanged();
  return true;
}

void Commands::FirstRead() {
  if (loaded_) return;
  RunLong([this] {
    loaded_ = true;
    korvane::FirstRead(Pane(kLeft));
    korvane::FirstRead(Pane(kRight));
    PaneState& left = Pane(kLeft).state;
    PaneState& right = Pane(kRight).state;
    left.cursor = left.topRow;
    right.cursor = left.cursor;
    left.ClampCursor();
    right.ClampCursor();
    NotePainted(Pane(kLeft));
    NotePainted(Pane(kRight));
  });
}

void Commands::SwitchPane() { Quick([this] { active_ = 1 - active_; }); }

void Commands::Activate(int side) {
  Quick([this, side] { active_ = side == kRight ? kRight : kLeft; });
}

void Commands::AfterOpen(PaneModel& pane) {
  // A list shorter than the old one must not leave the top row or the
  // cursor past its end.
  PaneState& p = pane.state;
  p.topRow = std::clamp(p.topRow, 0, p.HighestTop());
  p.ClampCursor();
  pane.hasRows = true;
  NotePainted(pane);
}

void Commands::Perform(const RowAction& action) {
  if (actionSink) {
    actionSink(action);
    return;
  }
  if (action.what == RowAction::What::Beep) {
    QApplication::beep();
    return;
  }
  const PaneState& pane = Active().state;
  switch (action.what) {
    case RowAction::What::View: ViewRow(settings_, pane, pane.cursor, action.mode); break;
    case RowAction::What::Picture: ShowPictureOfRow(settings_, pane, pane.cursor, action.mode); break;
    case RowAction::What::Gif: ShowGifOfRow(settings_, pane, pane.cursor); break;
    default: break;
  }
}

void Commands::OpenInto(bool opposite) {
  PaneModel& source = Active();
  if (!source.hasRows || !CursorRow(source)) return;
  if (actionSink) {
    actionSink({opposite ? RowAction::What::OpenOpposite : RowAction::What::Open, 0});
    return;
  }
  const int row = source.state.cursor;
  RunLong([this, opposite, row] {
    if (!opposite) {
      EnterRow(Active().state, row);
      AfterOpen(Active());
      return;
    }
    PaneModel& target = Other();
    const PaneModel before = target;
    TakeOverPane(Active(), target);
    const bool entered = EnterRow(target.state, row);
    // A row that is no location leaves the other pane as it was.
    if (!entered && target.state.locationPath == Active().state.locationPath &&
        target.state.containerLevel == Active().state.containerLevel)
      target = before;
    AfterOpen(target);
  });
}

void Commands::OpenRow() { OpenInto(false); }
void Commands::OpenRowOpposite() { OpenInto(true); }

void Commands::F3() {
  const CatalogEntry* r = CursorRow(Active());
  if (r && OpensAsLocation(r->kind)) OpenInto(false);
  else if (r && !busy_) Perform({RowAction::What::View, kViewDefault});
}

void Commands::F3Forth() {
  const CatalogEntry* r = CursorRow(Active());
  if (r && OpensAsLocation(r->kind)) OpenInto(false);
  else if (r && !busy_) Perform({RowAction::What::View, IsDisFix128(r) ? kViewForth : kViewDefault});
}

void Commands::FeedFileList() {
  if (Active().hasRows && !busy_) korvane::ui::FeedFileList(settings_, Active().state);
}

void Commands::Pc99Layout() {
  const CatalogEntry* r = CursorRow(Active());
  if (r && !busy_ && (r->kind == kKindPc99Sd || r->kind == kKindPc99Dd))
    ShowPc99Layout(settings_, Active().state, Active().state.cursor);
}

void Commands::F3Opposite() {
  const CatalogEntry* r = CursorRow(Active());
  if (r && OpensAsLocation(r->kind)) OpenInto(true);
  else F3();
}

void Commands::Reread() {
  if (!Active().hasRows) return;
  RunLong([this] {
    // A card in a drive is read again from the drive.
    if (Active().state.locationType == kLocCardDrive) RereadCardDrive(Active());
    else Refresh(Active().state);
    AfterOpen(Active());
  });
}

void Commands::SwapPanes() { Quick([this] { korvane::SwapPanes(Active(), Other()); }); }

void Commands::GotoRoot() {
  RunLong([this] {
    korvane::GotoRoot(Active());
    AfterOpen(Active());
  });
}

void Commands::GotoUpper() {
  PaneModel& m = Active();
  if (!m.hasRows || m.state.rows.empty() || m.state.rows.front().kind != kKindUprdir) return;
  RunLong([this] {
    EnterRow(Active().state, 0);
    AfterOpen(Active());
  });
}

void Commands::PageUp() { Quick([this] { KeyPageUp(Active()); }); }
void Commands::PageDown() { Quick([this] { KeyPageDown(Active()); }); }
void Commands::Home() { Quick([this] { KeyHome(Active()); }); }
void Commands::End() { Quick([this] { KeyEnd(Active()); }); }
void Commands::Up(bool shift) { Quick([this, shift] { KeyUp(Active(), shift); }); }
void Commands::Down(bool shift) { Quick([this, shift] { KeyDown(Active(), shift); }); }
void Commands::ToggleMark() { Quick([this] { KeyInsert(Active(), false); }); }
void Commands::UnmarkAllByInsert() { Quick([this] { KeyInsert(Active(), true); }); }
void Commands::Mark() { Quick([this] { KeyGrayPlus(Active(), false); }); }
void Commands::Unmark() { Quick([this] { KeyGrayMinus(Active(), false); }); }
void Commands::MarkAll() { Quick([this] { KeyGrayPlus(Active(), true); }); }
void Commands::UnmarkAll() { Quick([this] { KeyGrayMinus(Active(), true); }); }
void Commands::Repaint() { Quick([] {}); }

void Commands::GoTo(const std::string& path, bool addToRecent) {
  RunLong([this, path, addToRecent] {
    Active().startPath = path;
    const bool ok = korvane::GotoRoot(Active());
    AfterOpen(Active());
    if (addToRecent && ok && !Active().lastReadReported && !settingsPath_.empty()) {
      IniFile ini;
      ini.Load(settingsPath_);
      if (AddRecentDirectory(ini, path)) ini.Save(settingsPath_);
    }
  });
}

void Commands::SelectDirectory() {
  if (busy_) return;
  std::string path = Active().startPath;
  if (BrowseForFolder(window_, path, paneList ? paneList(active_) : nullptr)) GoTo(path, true);
}

void Commands::TakeRecent(int n) {
  if (busy_ || n < 1 || n > kRecentCount || settingsPath_.empty()) return;
  IniFile ini;
  ini.Load(settingsPath_);
  const std::string path = ReadRecentDirectories(ini)[static_cast<size_t>(n - 1)];
  if (!path.empty()) GoTo(path, false);
}

void Commands::SortBy(int side, int column) {
  Quick([this, side, column] { SortByColumn(Pane(side), column); });
}

void Commands::Click(int side, int y, int lineHeight, Qt::KeyboardModifiers modifiers) {
  Quick([this, side, y, lineHeight, modifiers] {
    active_ = side;
    korvane::Click(Pane(side), y, lineHeight, modifiers & Qt::ShiftModifier, modifiers & Qt::ControlModifier);
  });
}

void Commands::DoubleClick(int side, int y, int lineHeight, Qt::KeyboardModifiers modifiers) {
  if (busy_) return;
  active_ = side;
  const DoubleClickAction action = korvane::DoubleClick(Pane(side), y, lineHeight, modifiers & Qt::ShiftModifier,
                                                        modifiers & Qt::ControlModifier);
  emit panesChanged();
  // Text and program rows go to a viewer window; everything else is opened
  // as a location.
  if (action == DoubleClickAction::View) Perform({RowAction::What::View, kViewDefault});
  else if (action == DoubleClickAction::Open) OpenInto(false);
  else if (action == DoubleClickAction::OpenOpposite) OpenInto(true);
}

void Commands::Wheel(int delta) { Quick([this, delta] { korvane::Wheel(Active(), delta); }); }

void Commands::F4() {
  const CatalogEntry* r = CursorRow(Active());
  if (!r) return;
  if (r->kind == kKindSubdir || r->kind == kKindUprdir || IsFloppyImageKind(r->kind) || r->kind == kKindPtImg)
    Perform({RowAction::What::Beep, 0});
  else if (!busy_)
    Perform({RowAction::What::View, kViewHex});
}

void Commands::F8(bool shift) {
  const CatalogEntry* r = CursorRow(Active());
  if (r && !IsDisFix128(r)) Perform({RowAction::What::Beep, 0});
  else if (r && !busy_) Perform({RowAction::What::Picture, shift ? kPictureMyart512 : kPictureMyart256});
}

void Commands::F9(bool shift) {
  const CatalogEntry* r = CursorRow(Active());
  if (!r) return;
  const bool shown = shift ? r->kind == kKindProgram : (r->kind == kKindProgram || IsDisFix128(r));
  if (!shown) Perform({RowAction::What::Beep, 0});
  if (!shown || busy_) return;
  if (r->kind == kKindProgram) Perform({RowAction::What::Picture, shift ? kPictureCharset : kPictureTiArtist});
  else Perform({RowAction::What::Gif, 0});
}

}  // namespace korvane::ui
