#include "ui/edit_viewer.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <fmt/printf.h>

#include <new>

#include "catalog/errors.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"
#include "ui/find_replace.h"
#include "ui/gui_reporter.h"
#include "ui/viewer_print.h"
#include "viewers/text_lines.h"
#include "viewers/text_search.h"

namespace korvane::ui {
namespace {

QString AskSavePath(QWidget* parent, const QString& folder, const QString& proposed) {
  return QFileDialog::getSaveFileName(parent, "Save as", QDir(folder).filePath(proposed),
                                      "Text File(*.TXT) (*.txt);;All Files (*.*) (*)");
}

// The control's selection as byte positions of its text.
TextSelection SelectionOf(const QPlainTextEdit* edit) {
  const QTextCursor c = edit->textCursor();
  return {static_cast<size_t>(c.selectionStart()), static_cast<size_t>(c.selectionEnd())};
}

// The control's text as bytes, lines joined by LF. Read block by block:
// the document's plain text turns every no-break space (A0h) into a blank.
std::string ControlBytes(const QPlainTextEdit* edit) {
  std::string bytes;
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
    if (b != edit->document()->begin()) bytes += '\n';
    bytes += b.text().toLatin1().toStdString();
  }
  return bytes;
}

std::vector<int> LineEnds(const QPlainTextEdit* edit) {
  std::vector<int> ends;
  for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) ends.push_back(b.userState());
  return ends;
}

void SetLineEnds(QPlainTextEdit* edit, const std::vector<int>& ends) {
  size_t i = 0;
  for (QTextBlock b = edit->document()->begin(); b.isValid() && i < ends.size(); b = b.next()) b.setUserState(ends[i++]);
}

void Select(QPlainTextEdit* edit, int start, int end, bool scroll) {
  QTextCursor c = edit->textCursor();
  c.setPosition(start);
  c.setPosition(end, QTextCursor::KeepAnchor);
  edit->setTextCursor(c);
  if (scroll) edit->ensureCursorVisible();
}

}  // namespace

QString ProposedSaveName(const std::string& tiName) {
  std::string name = tiName.substr(0, std::min<size_t>(tiName.find(' '), 10));
  for (char& c : name)
    if (std::string_view("\"*/:<>?\\|").find(c) != std::string_view::npos) c = '@';
  return QString::fromLatin1(name.data(), static_cast<int>(name.size())) + ".txt";
}

bool ReadPcFileText(const std::string& path, std::string& text) {
  text.clear();
  PcFile file;
  if (!file.Open(path, PcFile::Mode::Read)) return false;
  const int64_t size = file.Size();
  if (size < 0) {
    ReportError(kErrReadFile, path);
    return true;
  }
  try {
    text.assign(static_cast<size_t>(size), '\0');
  } catch (const std::bad_alloc&) {
    ReportError(kErrNoMemory);
    return false;
  }
  size_t done = 0;
  while (done < text.size()) {
    const size_t got = file.ReadAt(done, text.data() + done, text.size() - done);
    if (got == 0) break;
    done += got;
  }
  if (done < text.size()) ReportError(kErrReadFile, path);
  // The control takes the text up to its first zero byte.
  text.resize(std::min(done, text.find('\0')));
  return true;
}

QString ToControlText(const std::string& text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) plain += text[i];
  return QString::fromLatin1(plain.data(), static_cast<qsizetype>(plain.size()));
}

std::string FromControlText(const QString& text) {
  const QByteArray bytes = text.toLatin1();
  std::string out;
  out.reserve(static_cast<size_t>(bytes.size()) + static_cast<size_t>(bytes.count('\n')));
  for (char c : bytes) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

QString& EditViewer::LastSaveFolder() {
  static QString folder;
  return folder;
}

EditViewer* EditViewer::Open(ViewerSlots& pool, const QFont& font) {
  auto* viewer = new EditViewer(pool, font);
  if (viewer->slot_ < 0) {
    delete viewer;
    return nullptr;
  }
  return viewer;
}

EditViewer::EditViewer(ViewerSlots& pool, const QFont& font)
    : QMainWindow(nullptr), slots_(pool), edit_(new QPlainTextEdit(this)) {
  slot_ = slots_.Take(this);
  if (slot_ < 0) return;
  setAttribute(Qt::WA_DeleteOnClose);
  // Viewers end with the program: closing the main window ends it even
  // while viewers are open.
  setAttribute(Qt::WA_QuitOnClose, false);
  setObjectName("EditViewer");
  setWindowTitle("Korvane");
  setStyleSheet("QMainWindow#EditViewer { background: #c2c2c2; }");
  edit_->setFont(font);
  edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  setCentralWidget(edit_);
  chooseSavePath = AskSavePath;
  BuildMenus();
  connect(edit_, &QPlainTextEdit::selectionChanged, this, &EditViewer::UpdateMenuState);
  connect(edit_, &QPlainTextEdit::undoAvailable, this, &EditViewer::UpdateMenuState);
  connect(edit_, &QPlainTextEdit::modificationChanged, this, &EditViewer::UpdateMenuState);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &EditViewer::UpdateMenuState);
  slots_.Place(slot_, this);
  UpdateMenuState();
}

EditViewer::~EditViewer() {
  if (slot_ < 0) return;
  // The find dialog is a child of this window: let it go while the window is
  // still whole, so that its last signals find a viewer.
  delete slots_.Slot(slot_).findDialog.data();
  slots_.Release(this);
}

QAction* EditViewer::Add(QMenu* menu, int id, const QString& text, const QKeySequence& key) {
  QAction* a = menu->addAction(text);
  if (!key.isEmpty()) {
    a->setShortcut(key);
    // The keys act only while this viewer has the keyboard.
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
  actions_[id] = a;
  return a;
}

void EditViewer::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  Add(file, kViewerNew, "&New");
  Add(file, kViewerOpen, "&Open...");
  Add(file, kViewerSave, "&Save");
  connect(Add(file, kViewerSaveAs, "Save &As..."), &QAction::triggered, this, &EditViewer::SaveAs);
  connect(Add(file, kViewerPrint, "&Print..."), &QAction::triggered, this, [this] {
    const QTextCursor c = edit_->textCursor();
    const QTextDocument* d = edit_->document();
    const int first = c.hasSelection() ? d->findBlock(c.selectionStart()).blockNumber() : -1;
    const int last = c.hasSelection() ? d->findBlock(c.selectionEnd()).blockNumber() : -1;
    PrintWithDialog(this, edit_->toPlainText().split('\n'), first, last, fileName_);
  });
  connect(Add(file, kViewerPrintSetup, "P&rint Setup..."), &QAction::triggered, this, [this] { ChoosePrinter(this); });
  connect(Add(file, kViewerPageSetup, "Page Setup..."), &QAction::triggered, this, [this] { SetUpPage(this); });
  file->addSeparator();
  connect(Add(file, kViewerExit, "E&xit", QKeySequence(Qt::Key_Escape)), &QAction::triggered, this,
          &QWidget::close);

  QMenu* edit = menuBar()->addMenu("&Edit");
  connect(Add(edit, kViewerUndo, "&Undo\tCtrl+Z", QKeySequence(Qt::CTRL | Qt::Key_Z)), &QAction::triggered,
          edit_, &QPlainTextEdit::undo);
  edit->addSeparator();
  connect(Add(edit, kViewerCut, "Cu&t\tCtrl+X", QKeySequence(Qt::CTRL | Qt::Key_X)), &QAction::triggered, edit_,
          &QPlainTextEdit::cut);
  connect(Add(edit, kViewerCopy, "&Copy\tCtrl+C", QKeySequence(Qt::CTRL | Qt::Key_C)), &QAction::triggered,
          edit_, &QPlainTextEdit::copy);
  connect(Add(edit, kViewerPaste, "&Paste\tCtrl+V", QKeySequence(Qt::CTRL | Qt::Key_V)), &QAction::triggered,
          edit_, &QPlainTextEdit::paste);
  connect(Add(edit, kViewerDelete, "&Delete\tDel", QKeySequence(Qt::Key_Delete)), &QAction::triggered, this,
          [this] {
            if (!edit_->isReadOnly()) edit_->textCursor().removeSelectedText();
          });
  edit->addSeparator();
  connect(Add(edit, kViewerSelectAll, "Select &All\tCtrl+A", QKeySequence(Qt::CTRL | Qt::Key_A)),
          &QAction::triggered, edit_, &QPlainTextEdit::selectAll);

  QMenu* search = menuBar()->addMenu("&Search");
  connect(Add(search, kViewerFind, "&Find...\tCtrl+F", QKeySequence(Qt::CTRL | Qt::Key_F)), &QAction::triggered,
          this, [this] { OpenFindDialog(FindKind::Find); });
  connect(Add(search, kViewerFindNext, "Find &Next\tF3", QKeySequence(Qt::Key_F3)), &QAction::triggered, this,
          [this] { Search(true); });
  connect(Add(search, kViewerFindPrevious, "Find &Previous\tF4", QKeySequence(Qt::Key_F4)), &QAction::triggered,
          this, [this] { Search(false); });
  connect(Add(search, kViewerReplace, "&Replace..."), &QAction::triggered, this,
          [this] { OpenFindDialog(FindKind::Replace); });

  for (QMenu* m : {file, edit, search}) connect(m, &QMenu::aboutToShow, this, &EditViewer::UpdateMenuState);
}

QAction* EditViewer::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void EditViewer::UpdateMenuState() {
  if (actions_.empty()) return;
  const bool selection = edit_->textCursor().hasSelection();
  const QMimeData* clip = QApplication::clipboard()->mimeData();
  const bool findText = !slots_.Slot(slot_).request.findWhat.isEmpty();
  // New and Open have no action in this program: they stay greyed rather
  // than offer a command that does nothing.
  for (int id : {kViewerNew, kViewerOpen})
    actions_[id]->setEnabled(false);
  actions_[kViewerSave]->setEnabled(edit_->document()->isModified());
  actions_[kViewerUndo]->setEnabled(edit_->document()->isUndoAvailable());
  actions_[kViewerCut]->setEnabled(selection);
  actions_[kViewerCopy]->setEnabled(selection);
  actions_[kViewerPaste]->setEnabled(clip && clip->hasText());
  actions_[kViewerDelete]->setEnabled(selection);
  actions_[kViewerFindNext]->setEnabled(findText);
  actions_[kViewerFindPrevious]->setEnabled(findText);
}

void EditViewer::SetViewerText(const std::string& text, const std::string& caption, bool readOnly) {
  const std::vector<TextLine> lines = SplitTextLines(text);
  std::string joined;
  std::vector<int> ends;
  for (const TextLine& line : lines) {
    if (!ends.empty()) joined += '\n';
    joined += line.text;
    ends.push_back(static_cast<int>(line.end));
  }
  newLineEnd_ = static_cast<int>(FirstLineEnd(lines));
  edit_->setPlainText(QString::fromLatin1(joined.data(), static_cast<qsizetype>(joined.size())));
  SetLineEnds(edit_, ends);
  setWindowTitle(QString::fromStdString(caption));
  edit_->setReadOnly(readOnly);
  // Read-only text still shows a caret for selecting and searching.
  if (readOnly) edit_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  edit_->document()->setModified(false);
  edit_->setFocus();
  UpdateMenuState();
}

std::string EditViewer::Text() const {
  std::vector<TextLine> lines;
  for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
    int end = b.userState();
    if (end <= static_cast<int>(LineEnd::None) || end > static_cast<int>(LineEnd::Cr)) end = newLineEnd_;
    lines.push_back({b.text().toLatin1().toStdString(), static_cast<LineEnd>(end)});
  }
  if (!lines.empty()) lines.back().end = LineEnd::None;  // the text ends where its last line ends
  return JoinTextLines(lines);
}

bool EditViewer::Search(bool forward, bool silent) {
  const FindRequest& r = slots_.Slot(slot_).request;
  if (r.findWhat.isEmpty()) return false;
  const std::string text = ControlBytes(edit_);
  const std::string what = r.findWhat.toLatin1().toStdString();
  const auto at = FindInText(text, SelectionOf(edit_), what, {forward, r.matchCase, r.wholeWord});
  if (!at) {
    if (!silent) CurrentReporter().ShowNotice("String not found", what);
    return false;
  }
  Select(edit_, static_cast<int>(*at), static_cast<int>(*at + what.size()), !silent);
  return true;
}

void EditViewer::ReplaceSelection() {
  if (edit_->isReadOnly()) return;
  edit_->textCursor().insertText(slots_.Slot(slot_).request.replaceWith);
}

void EditViewer::ReplaceAll() {
  const FindRequest& r = slots_.Slot(slot_).request;
  if (edit_->isReadOnly() || r.findWhat.isEmpty()) return;
  const TextSelection kept = SelectionOf(edit_);
  std::string text = ControlBytes(edit_);
  // The searched text holds no line break, so the lines stay the same and
  // keep their line ends.
  const std::vector<int> ends = LineEnds(edit_);
  if (ReplaceAllInText(text, r.findWhat.toLatin1().toStdString(), r.replaceWith.toLatin1().toStdString(),
                       r.matchCase, r.wholeWord) == 0)
    return;
  // One edit, so that Undo takes the whole replacement back.
  QTextCursor c(edit_->document());
  c.beginEditBlock();
  c.select(QTextCursor::Document);
  c.insertText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
  c.endEditBlock();
  SetLineEnds(edit_, ends);
  const int size = static_cast<int>(text.size());
  Select(edit_, std::min(static_cast<int>(kept.start), size), std::min(static_cast<int>(kept.end), size), false);
}

FindDialog* EditViewer::OpenFindDialog(FindKind kind) {
  ViewerSlot& s = slots_.Slot(slot_);
  if (s.findDialog) {
    auto* open = static_cast<FindDialog*>(s.findDialog.data());
    if (open->Kind() == kind) {
      open->raise();
      open->activateWindow();
      return open;
    }
    delete open;
  }
  auto* dialog = new FindDialog(this, s.request, kind);
  connect(dialog, &FindDialog::findNext, this, [this] { Search(slots_.Slot(slot_).request.down); });
  connect(dialog, &FindDialog::replaceOne, this, &EditViewer::ReplaceSelection);
  connect(dialog, &FindDialog::replaceAll, this, &EditViewer::ReplaceAll);
  connect(dialog, &QObject::destroyed, this, &EditViewer::UpdateMenuState);
  connect(dialog->FindEdit(), &QLineEdit::textChanged, this, &EditViewer::UpdateMenuState);
  s.findDialog = dialog;
  s.findKind = kind;
  dialog->show();
  return dialog;
}

bool EditViewer::SaveTo(const QString& path) {
  const std::string bytes = Text();
  PcFile file;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = file.Open(path.toStdString(), PcFile::Mode::CreateWrite) &&
                  file.WriteAt(0, bytes.data(), bytes.size()) && file.Flush();
  QApplication::restoreOverrideCursor();
  if (!ok) {
    ReportError(kErrWriteFile, path.toStdString());
    return false;
  }
  // The saved text goes back into the control as it was written, which
  // also returns the caret to the start. It is taken block by block and
  // each line keeps its line end: the document's plain text would turn
  // no-break spaces into blanks, and fresh blocks forget their line ends,
  // so the next save would write other bytes.
  const std::vector<int> ends = LineEnds(edit_);
  const std::string shown = ControlBytes(edit_);
  edit_->setPlainText(QString::fromLatin1(shown.data(), static_cast<qsizetype>(shown.size())));
  SetLineEnds(edit_, ends);
  edit_->document()->setModified(false);
  return true;
}

bool EditViewer::SaveAs() {
  QString& folder = LastSaveFolder();
  if (folder.isEmpty()) folder = QDir::currentPath();
  const QString path = chooseSavePath(this, folder, ProposedSaveName(slots_.Slot(slot_).tiName));
  if (path.isEmpty()) return false;
  // The next Save As starts in the folder chosen now, saved or not; a file
  // that could not be written keeps the previous file name.
  folder = QFileInfo(path).absolutePath();
  if (!SaveTo(path)) return false;
  fileName_ = path;
  setWindowTitle(QString::fromStdString(fmt::sprintf("%s - %s", "Korvane", path.toStdString())));
  return true;
}

bool EditViewer::MayClose() {
  if (!edit_->document()->isModified()) return true;
  const Answer a = AskWithWarning(
      "Korvane", fmt::sprintf("Save current changes? %s", fileName_.toStdString()), Buttons::YesNoCancel);
  if (a == Answer::No) return true;
  if (a != Answer::Yes) return false;
  return fileName_.isEmpty() ? SaveAs() : SaveTo(fileName_);
}

void EditViewer::closeEvent(QCloseEvent* event) {
  if (MayClose()) event->accept();
  else event->ignore();
}

void EditViewer::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (slot_ >= 0 && isVisible()) slots_.Follow(slot_, this);
}

void EditViewer::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (slot_ >= 0 && isVisible()) slots_.Follow(slot_, this);
}

void EditViewer::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (slot_ >= 0 && !event->spontaneous()) slots_.Shown(slot_, this, false);
}

void EditViewer::focusInEvent(QFocusEvent* event) {
  QMainWindow::focusInEvent(event);
  edit_->setFocus();
}

}  // namespace korvane::ui
