// The text viewer window ("EditViewer"): one text control in the list font
// with its File, Edit and Search menus, find and replace, Save As and the
// question about unsaved changes. Views of TI files, sector dumps and PC99
// layouts are read-only; directory listings and PC files can be edited.
#pragma once

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>

#include "ui/viewer_slots.h"

class QAction;
class QPlainTextEdit;

namespace korvane::ui {

class FindDialog;

// The file name Save As proposes for a row's TI name: the name up to its
// first space (at most 10 characters), each character a PC file name cannot
// hold replaced by "@", then ".txt".
QString ProposedSaveName(const std::string& tiName);

// Reads a PC file as a viewer shows it: the bytes up to the first zero byte.
// False when the file cannot be opened (nothing is shown); a short read is
// reported and what was read is kept.
bool ReadPcFileText(const std::string& path, std::string& text);

// Text with CR LF line ends <-> the control's text (one byte per character).
QString ToControlText(const std::string& text);
std::string FromControlText(const QString& text);

class EditViewer : public QMainWindow {
  Q_OBJECT

 public:
  // Opens a viewer in the first free slot, or reports that none is free and
  // returns null. The window deletes itself when closed.
  static EditViewer* Open(ViewerSlots& pool, const QFont& font);
  ~EditViewer() override;

  // Puts the text into the control, sets the caption and clears the
  // modified flag.
  void SetViewerText(const std::string& text, const std::string& caption, bool readOnly);
  void SetTiName(const std::string& tiName) { slots_.Slot(slot_).tiName = tiName; }

  int SlotIndex() const { return slot_; }
  QPlainTextEdit* Control() const { return edit_; }
  const QString& FileName() const { return fileName_; }
  // The text as it is saved: one byte per character, each line with the
  // line end it was loaded with (new lines: the text's first line end).
  std::string Text() const;
  QAction* Action(int id) const;

  // Searches with the slot's find request; `silent` shows no box and does
  // not scroll. True when found (and selected).
  bool Search(bool forward, bool silent = false);
  void ReplaceSelection();
  void ReplaceAll();
  // "Find..." (Find) or "Replace..." (Replace): raises this viewer's dialog
  // of that kind, closing one of the other kind first.
  FindDialog* OpenFindDialog(FindKind kind);

  bool SaveAs();
  bool SaveTo(const QString& path);
  // Asks about unsaved changes; true when the window may close.
  bool MayClose();
  void UpdateMenuState();

  // Asks for the Save As path (folder, proposed name); empty when cancelled.
  // Replaced by tests.
  std::function<QString(QWidget*, const QString&, const QString&)> chooseSavePath;

  // The folder of the last Save As of any viewer.
  static QString& LastSaveFolder();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;

 private:
  EditViewer(ViewerSlots& pool, const QFont& font);
  void BuildMenus();
  QAction* Add(QMenu* menu, int id, const QString& text, const QKeySequence& key = {});

  ViewerSlots& slots_;
  int slot_ = -1;
  QPlainTextEdit* edit_;
  QString fileName_;  // kept per viewer: saving one viewer never names another's file
  // Each line of the control keeps the line end it was loaded with in its
  // block's user state (a LineEnd); lines typed later get this one.
  int newLineEnd_ = 1;  // LineEnd::CrLf
  std::map<int, QAction*> actions_;
};

// The menu ids of the viewer window.
enum ViewerCommand : int {
  kViewerNew = 40018,
  kViewerOpen = 40019,
  kViewerSave = 40020,
  kViewerSaveAs = 40021,
  kViewerPrint = 40022,
  kViewerPrintSetup = 40023,
  kViewerPageSetup = 40074,
  kViewerExit = 40024,
  kViewerUndo = 40025,
  kViewerCut = 40026,
  kViewerCopy = 40027,
  kViewerPaste = 40028,
  kViewerDelete = 40029,
  kViewerSelectAll = 40076,
  kViewerFind = 40030,
  kViewerFindNext = 40031,
  kViewerFindPrevious = 40032,
  kViewerReplace = 40033,
};

}  // namespace korvane::ui
