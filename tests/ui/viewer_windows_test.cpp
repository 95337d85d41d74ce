// The viewer windows as a user meets them: sixteen slots and the refused
// seventeenth, searching and replacing in the text control, Save As with the
// proposed name and the remembered folder, the question about unsaved
// changes, PC files loaded as text, and picture windows at their sizes.
#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>

#include "catalog/errors.h"
#include "support/disk_builder.h"
#include "platform/pc_file.h"
#include "support/recording_reporter.h"
#include "ui/edit_viewer.h"
#include "ui/find_replace.h"
#include "ui/gui_reporter.h"
#include "ui/picture_viewer.h"

using namespace korvane;
using namespace korvane::ui;

class ViewerWindowsTest : public QObject {
  Q_OBJECT

 private:
  std::array<Placement, kViewerSlots> placements_{};
  std::unique_ptr<ViewerSlots> pool_;
  std::unique_ptr<test::RecordingReporter> reporter_;

  EditViewer* Viewer(const std::string& text, bool readOnly = false) {
    EditViewer* v = EditViewer::Open(*pool_, QFont("Monospace"));
    v->SetViewerText(text, "Korvane - test", readOnly);
    return v;
  }
  static void SetSelection(EditViewer* v, int start, int end) {
    QTextCursor c = v->Control()->textCursor();
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    v->Control()->setTextCursor(c);
  }
  FindRequest& Request(EditViewer* v) { return pool_->Slot(v->SlotIndex()).request; }

 private slots:
  void init() {
    for (Placement& p : placements_) p = Placement{1, 1, 600, 800};
    pool_ = std::make_unique<ViewerSlots>(placements_);
    reporter_ = std::make_unique<test::RecordingReporter>();
  }
  void cleanup() {
    for (int i = 0; i < kViewerSlots; ++i)
      if (pool_->InUse(i)) delete pool_->Slot(i).window.data();
    reporter_.reset();
  }

  void seventeenthViewer_IsRefused_AndAFreedSlotIsReused() {
    std::vector<QWidget*> open;
    for (int i = 0; i < kViewerSlots; ++i) {
      QWidget* w = i % 2 ? static_cast<QWidget*>(PictureViewer::Open(*pool_)) : EditViewer::Open(*pool_, QFont());
      QVERIFY(w);
      open.push_back(w);
    }
    QVERIFY(!EditViewer::Open(*pool_, QFont()));
    QVERIFY(!PictureViewer::Open(*pool_));
    QCOMPARE(reporter_->errors.size(), size_t{2});
    QCOMPARE(reporter_->errors[0], std::string("No more viewers available"));
    QCOMPARE(pool_->OpenCount(), kViewerSlots);
    delete open[5];
    EditViewer* again = EditViewer::Open(*pool_, QFont());
    QVERIFY(again);
    QCOMPARE(again->SlotIndex(), 5);
  }

  void placement_FollowsMovesAndResizes_AndPlacesTheNextWindow() {
    // A slot keeps the window's outer size, frame included.
    placements_[0] = Placement{40, 50, 300, 200};
    EditViewer* v = Viewer("x");
    v->show();
    QCOMPARE(v->frameGeometry(), QRect(40, 50, 300, 200));
    const QSize frame = v->frameGeometry().size() - v->size();
    QVERIFY2(!frame.isEmpty(), "the offscreen windows have a frame");
    v->resize(420, 330);
    QCOMPARE(placements_[0].width, 420 + frame.width());
    QCOMPARE(placements_[0].height, 330 + frame.height());
    delete v;
    EditViewer* next = Viewer("y");
    QCOMPARE(next->SlotIndex(), 0);
    next->show();
    QCOMPARE(next->size(), QSize(420, 330));
    QCOMPARE(placements_[0].width, 420 + frame.width());

    // A picture window's first size, given by its picture, is its slot's.
    PictureViewer* p = PictureViewer::Open(*pool_);
    QCOMPARE(p->SlotIndex(), 1);
    p->SetPicture(RgbImage(276, 212, kPictureGrey), "Korvane - pic", "PIC");
    p->show();
    QCOMPARE(placements_[1].width, 552 + frame.width());
    QCOMPARE(placements_[1].height, 424 + frame.height());
  }

  void closeQuestion_WarnsWithTheWarningIcon() {
    GuiReporter gui;
    Reporter* before = InstallReporter(&gui);
    EditViewer* v = Viewer("text");
    v->show();
    v->Control()->insertPlainText("new ");
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QTimer::singleShot(50, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        icon = box->icon();
        caption = box->windowTitle();
        box->button(QMessageBox::Cancel)->click();
      }
    });
    const bool mayClose = v->MayClose();
    InstallReporter(before);
    QVERIFY(!mayClose);
    QCOMPARE(caption, QString("Korvane"));
    QCOMPARE(icon, QMessageBox::Warning);
  }

  void save_PutsTheTextBackWithTheCaretAtTheStart_AFailedSaveAsKeepsTheName() {
    test::TempDir dir;
    EditViewer* v = Viewer("one\r\ntwo");
    v->Control()->moveCursor(QTextCursor::End);
    v->Control()->insertPlainText("!");
    QVERIFY(v->SaveTo(QString::fromStdString(dir.path() + "/a.txt")));
    QCOMPARE(v->Control()->textCursor().position(), 0);
    QCOMPARE(v->Text(), std::string("one\r\ntwo!"));
    QVERIFY(!v->Control()->document()->isModified());

    // Save As into a folder that cannot take the file: not saved, the file
    // name stays the earlier one, and the next Save As starts in the folder
    // chosen (as the dialog was left).
    v->chooseSavePath = [&](QWidget*, const QString&, const QString&) {
      return QString::fromStdString(dir.path() + "/a.txt");
    };
    QVERIFY(v->SaveAs());
    v->Control()->insertPlainText("x");
    v->chooseSavePath = [&](QWidget*, const QString&, const QString&) {
      return QString::fromStdString(dir.path() + "/gone/b.txt");
    };
    QVERIFY(!v->SaveAs());
    QCOMPARE(v->FileName(), QString::fromStdString(dir.path() + "/a.txt"));
    QCOMPARE(EditViewer::LastSaveFolder(), QString::fromStdString(dir.path() + "/gone"));
    QVERIFY(v->Control()->document()->isModified());
  }

  void search_WholeWordAndStepping_AsTheUserSeesIt() {
    EditViewer* v = Viewer("XAB AB.\r\nAB ab");
    Request(v) = FindRequest{"AB", "", true, false, true};
    QVERIFY(v->Search(true));
    QCOMPARE(v->Control()->textCursor().selectionStart(), 4);
    QVERIFY(v->Search(true));  // moves on from the selected match
    QCOMPARE(v->Control()->textCursor().selectionStart(), 8);
    QVERIFY(v->Search(false));
    QCOMPARE(v->Control()->textCursor().selectionStart(), 4);
    Request(v).matchCase = true;
    SetSelection(v, 8, 10);
    QVERIFY(!v->Search(true));
    QCOMPARE(reporter_->messages.size(), size_t{1});
    QCOMPARE(reporter_->messages[0].caption, std::string("String not found"));
    QCOMPARE(reporter_->messages[0].text, std::string("AB"));
    QCOMPARE(v->Control()->textCursor().selectionStart(), 8);  // the selection stays
    QVERIFY(!v->Search(true, true));
    QCOMPARE(reporter_->messages.size(), size_t{1});  // silent
  }

  void replace_AllOfAByAA_EndsAndRestoresSelection_SingleReplacesSelection() {
    EditViewer* v = Viewer("A bA\r\nA");
    Request(v) = FindRequest{"a", "AA", true, false, false};
    SetSelection(v, 2, 3);
    v->ReplaceAll();
    QCOMPARE(v->Text(), std::string("AA bAA\r\nAA"));
    QCOMPARE(v->Control()->textCursor().selectionStart(), 2);
    QCOMPARE(v->Control()->textCursor().selectionEnd(), 3);
    v->Control()->undo();
    QCOMPARE(v->Text(), std::string("A bA\r\nA"));  // one step
    SetSelection(v, 0, 1);
    v->ReplaceSelection();
    QCOMPARE(v->Text(), std::string("AA bA\r\nA"));

    EditViewer* readOnly = Viewer("A A", true);
    Request(readOnly) = FindRequest{"A", "B", true, false, false};
    readOnly->ReplaceAll();
    QCOMPARE(readOnly->Text(), std::string("A A"));
  }

  void findDialogs_OnePerViewer_OtherKindClosedFirst_TextsKeptInTheSlot() {
    EditViewer* v = Viewer("one two one");
    QVERIFY(!v->Action(kViewerFindNext)->isEnabled());
    QPointer<FindDialog> find = v->OpenFindDialog(FindKind::Find);
    QCOMPARE(v->OpenFindDialog(FindKind::Find), find.data());
    find->FindEdit()->setText("one");
    QVERIFY(v->Action(kViewerFindNext)->isEnabled());
    QPointer<FindDialog> replace = v->OpenFindDialog(FindKind::Replace);
    QVERIFY(find.isNull());
    QCOMPARE(replace->FindEdit()->text(), QString("one"));
    replace->ReplaceEdit()->setText("1");
    emit replace->replaceAll();
    QCOMPARE(v->Text(), std::string("1 two 1"));
    const int slot = v->SlotIndex();
    delete v;
    QVERIFY(replace.isNull());
    QCOMPARE(pool_->Slot(slot).request.replaceWith, QString("1"));
  }

  void menuGreying_FollowsSelectionClipboardAndModifiedFlag() {
    EditViewer* v = Viewer("hello world");
    QVERIFY(!v->Action(kViewerSave)->isEnabled());
    QVERIFY(!v->Action(kViewerCut)->isEnabled());
    QVERIFY(!v->Action(kViewerNew)->isEnabled());
    QVERIFY(v->Action(kViewerPrint)->isEnabled());
    SetSelection(v, 0, 5);
    QVERIFY(v->Action(kViewerCopy)->isEnabled());
    QVERIFY(v->Action(kViewerDelete)->isEnabled());
    v->Action(kViewerDelete)->trigger();
    QCOMPARE(v->Text(), std::string(" world"));
    QVERIFY(v->Action(kViewerSave)->isEnabled());
    QVERIFY(v->Action(kViewerUndo)->isEnabled());
    QApplication::clipboard()->setText("x");
    v->UpdateMenuState();
    QVERIFY(v->Action(kViewerPaste)->isEnabled());
  }

  void saveAs_ProposesSafeName_RemembersFolder_KeepsNamePerViewer() {
    test::TempDir dir;
    QCOMPARE(ProposedSaveName("MY/FILE   "), QString("MY@FILE.txt"));
    QCOMPARE(ProposedSaveName("A:B*C?D|E\"F"), QString("A@B@C@D@E@.txt"));
    QCOMPARE(ProposedSaveName(""), QString(".txt"));

    EditViewer* first = Viewer("first\r\nline");
    EditViewer* second = Viewer("second");
    first->SetTiName("MY/FILE");
    QString seenFolder, seenName;
    first->chooseSavePath = [&](QWidget*, const QString& folder, const QString& name) {
      seenFolder = folder;
      seenName = name;
      return QString::fromStdString(dir.path() + "/first.txt");
    };
    EditViewer::LastSaveFolder().clear();
    QVERIFY(first->SaveAs());
    QCOMPARE(seenName, QString("MY@FILE.txt"));
    QVERIFY(!seenFolder.isEmpty());
    std::vector<uint8_t> saved;
    QVERIFY(ReadWholeFile(dir.path() + "/first.txt", saved));
    QCOMPARE(std::string(saved.begin(), saved.end()), std::string("first\r\nline"));
    QCOMPARE(first->windowTitle(), QString::fromStdString("Korvane - " + dir.path() + "/first.txt"));
    QCOMPARE(EditViewer::LastSaveFolder(), QString::fromStdString(dir.path()));

    // The other viewer has no file name of its own: its close question asks
    // for a new one rather than writing over the first viewer's file.
    second->Control()->insertPlainText("more ");
    bool asked = false;
    second->chooseSavePath = [&](QWidget*, const QString& folder, const QString&) {
      asked = true;
      seenFolder = folder;
      return QString();
    };
    reporter_->answers = {Answer::Yes};
    QVERIFY(!second->MayClose());
    QVERIFY(asked);
    QCOMPARE(seenFolder, QString::fromStdString(dir.path()));
    QCOMPARE(reporter_->questions.back().text, std::string("Save current changes? "));
    QVERIFY(ReadWholeFile(dir.path() + "/first.txt", saved));
    QCOMPARE(std::string(saved.begin(), saved.end()), std::string("first\r\nline"));

    // A file that cannot be written keeps the text modified.
    QVERIFY(!second->SaveTo(QString::fromStdString(dir.path() + "/no/such/dir.txt")));
    QCOMPARE(reporter_->errors.back(), "Can't write to file <" + dir.path() + "/no/such/dir.txt>");
    QVERIFY(second->Control()->document()->isModified());
  }

  void closeQuestion_CancelKeepsTheWindow_YesSavesToTheKnownName_NoDiscards() {
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.path() + "/t.txt");
    EditViewer* v = Viewer("text");
    v->chooseSavePath = [&](QWidget*, const QString&, const QString&) { return path; };
    QVERIFY(v->SaveAs());
    v->show();
    QPointer<EditViewer> alive = v;
    QVERIFY(v->close());  // unmodified: no question
    QApplication::processEvents();
    QVERIFY(alive.isNull() || !alive->isVisible());
    QCOMPARE(reporter_->questions.size(), size_t{0});

    v = Viewer("text");
    v->chooseSavePath = [&](QWidget*, const QString&, const QString&) { return path; };
    QVERIFY(v->SaveAs());
    v->Control()->insertPlainText("new ");
    reporter_->answers = {Answer::Cancel, Answer::Yes};
    QVERIFY(!v->close());
    QCOMPARE(reporter_->questions[0].caption, std::string("Korvane"));
    QCOMPARE(reporter_->questions[0].text, "Save current changes? " + path.toStdString());
    QCOMPARE(v->Text(), std::string("new text"));
    QVERIFY(v->MayClose());
    std::vector<uint8_t> saved;
    QVERIFY(ReadWholeFile(path.toStdString(), saved));
    QCOMPARE(std::string(saved.begin(), saved.end()), std::string("new text"));

    v->Control()->insertPlainText("x");
    reporter_->answers = {Answer::No};
    QVERIFY(v->MayClose());
  }

  void save_WritesTheLineEndsAndBytesTheTextHeld() {
    test::TempDir dir;
    const std::string path = dir.path() + "/saved.txt";
    const std::string nbsp = std::string("a\xA0") + "b";
    for (const std::string& text : {std::string("one\ntwo\n"), std::string("one\rtwo\r"),
                                    std::string("crlf\r\nlf\ncr\rend"), nbsp + "\r\n", std::string("\n\n"),
                                    std::string("no line end")}) {
      EditViewer* v = Viewer(text);
      QCOMPARE(v->Text(), text);
      QVERIFY(v->SaveTo(QString::fromStdString(path)));
      QCOMPARE(test::ReadFile(path), std::vector<uint8_t>(text.begin(), text.end()));
      // Saved again, the same bytes.
      QCOMPARE(v->Text(), text);
      delete v;
    }
    // A line typed in gets the line end the text already uses; the lines
    // around it keep theirs. Replace All leaves the line ends alone too.
    EditViewer* v = Viewer("x\ny\rz");
    QTextCursor c = v->Control()->textCursor();
    c.movePosition(QTextCursor::End);
    v->Control()->setTextCursor(c);
    v->Control()->insertPlainText("\nnew");
    QCOMPARE(v->Text(), std::string("x\ny\rz\nnew"));
    Request(v).findWhat = "y";
    Request(v).replaceWith = QString(QChar(0xA0));
    v->ReplaceAll();
    QCOMPARE(v->Text(), std::string("x\n\xA0\rz\nnew"));
    QVERIFY(reporter_->errors.empty());
  }

  void pcFile_LoadsUpToTheFirstZeroByte_CrLfKept_UnreadableGivesNothing() {
    test::TempDir dir;
    const std::string path = dir.path() + "/read.me";
    const std::string bytes = std::string("line 1\r\nline 2\r\n") + '\0' + "hidden";
    QVERIFY(WriteWholeFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end())));
    std::string text;
    QVERIFY(ReadPcFileText(path, text));
    QCOMPARE(text, std::string("line 1\r\nline 2\r\n"));
    EditViewer* v = Viewer(text);
    QCOMPARE(v->Text(), text);
    QVERIFY(!v->Control()->isReadOnly());
    QVERIFY(!ReadPcFileText(dir.path() + "/missing", text));
    QVERIFY(reporter_->errors.empty());
    // High bytes survive the round trip through the control.
    const std::string high = "\xA9 caf\xE9\r\n";
    QCOMPARE(FromControlText(ToControlText(high)), high);
  }

  void pictureWindow_SizesFromTheBitmap_EscCloses_SavesPng() {
    QCOMPARE(PictureClientSize(QSize(276, 212)), QSize(552, 424));
    QCOMPARE(PictureClientSize(QSize(276, 232)), QSize(552, 464));
    QCOMPARE(PictureClientSize(QSize(532, 232)), QSize(532, 464));

    RgbImage image(276, 212, kPictureGrey);
    image.Set(10, 10, Rgb{255, 0, 0});
    PictureViewer* p = PictureViewer::Open(*pool_);
    p->SetPicture(image, "Korvane - pic", "PIC/1");
    p->show();
    QCOMPARE(p->size(), QSize(552, 424));
    QCOMPARE(p->Image().pixelColor(10, 10), QColor(255, 0, 0));
    QCOMPARE(p->grab().toImage().pixelColor(21, 21), QColor(255, 0, 0));  // stretched twice

    test::TempDir dir;
    QString proposed;
    p->choosePngPath = [&](QWidget*, const QString& name) {
      proposed = name;
      return QString::fromStdString(dir.path() + "/pic.png");
    };
    p->SavePngAs();
    QVERIFY(proposed.endsWith("/PIC@1.png"));
    QImage back(QString::fromStdString(dir.path() + "/pic.png"));
    QCOMPARE(back.size(), QSize(276, 212));
    QCOMPARE(back.pixelColor(10, 10), QColor(255, 0, 0));

    QPointer<PictureViewer> alive = p;
    QTest::keyClick(p, Qt::Key_Escape);
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(alive.isNull());
    QCOMPARE(pool_->OpenCount(), 0);
  }
};

QTEST_MAIN(ViewerWindowsTest)
#include "viewer_windows_test.moc"
