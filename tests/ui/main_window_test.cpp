// The main window driven as a user drives it: keys, clicks and header clicks
// against the pane model, menu greying for typical rows, refusing commands
// while a long one runs, and the Configuration dialog's switches.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTextBrowser>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <sys/stat.h>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

#include "catalog/sort.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "main_window_support.h"
#include "ui/command_ids.h"
#include "ui/config_dialog.h"
#include "ui/main_window.h"
#include "ui/menu_rules.h"
#include "ui/about_help.h"
#include "ui/folder_browser.h"

using namespace korvane;
using namespace korvane::ui;
using test::Enabled;

class MainWindowTest : public QObject, private test::MainWindowScene {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> Open(const std::string& path) { return test::OpenMainWindow(settings_, *dir_, path); }
  static PaneModel& Left(MainWindow& w) { return w.Cmds().Pane(kLeft); }
  static int RowY(MainWindow& w, int row) { return row * w.View(kLeft)->LineHeight() + 2; }
  static void ClickRow(MainWindow& w, int row, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::mouseClick(w.View(kLeft)->viewport(), Qt::LeftButton, m, QPoint(10, RowY(w, row)));
  }
  static std::vector<int> Marked(const PaneModel& m) {
    std::vector<int> out;
    for (int i = 0; i < m.state.RowCount(); ++i)
      if (m.state.rows[static_cast<size_t>(i)].marked) out.push_back(i);
    return out;
  }

 private slots:
  // The scratch folder holds a sub-directory, a floppy image, a TI file and
  // a PC file.
  void init() {
    Begin();
    settings_.sortBy = kSortPcName;  // SUB, GAMES.dsk, notes.txt
    dir_->Mkdir("SUB");
    dir_->Write("SUB/INNER", test::V9t9File(test::DisVarFile("INNER", 80, {"X"})));
    dir_->Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
    dir_->Write("notes.txt", {'h', 'i', '\n'});
  }
  void cleanup() {
    End();
  }

  void pageDownOnAShortPaneGoesToTheLastRowWithoutScrollBar() {
    auto w = Open(dir_->path());
    QCOMPARE(Left(*w).state.RowCount(), 3);
    QVERIFY(Left(*w).state.rowsPerPage > 3);
    QVERIFY(!w->View(kLeft)->verticalScrollBar()->isVisible());
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    QCOMPARE(Left(*w).state.cursor, 2);
    QTest::keyClick(w.get(), Qt::Key_Home);
    QCOMPARE(Left(*w).state.cursor, 0);
    QVERIFY(reporter_->errors.empty());
  }

  void grayPlusOnASubdirMovesWithoutMarkingAndMarksFilesAfterIt() {
    auto w = Open(dir_->path());
    QCOMPARE(Left(*w).state.rows[0].kind, static_cast<uint16_t>(kKindSubdir));
    QTest::keyClick(w.get(), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(Left(*w).state.cursor, 1);
    QVERIFY(Marked(Left(*w)).empty());
    QTest::keyClick(w.get(), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(Marked(Left(*w)), std::vector<int>{1});
    QTest::keyClick(w.get(), Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
    QCOMPARE(Marked(Left(*w)), (std::vector<int>{1, 2}));
    QCOMPARE(w->StatusLineOf(kLeft)->text(), QString(" 360 / 360 sectors in 1 / 1 TI-file(s)"));
    QTest::keyClick(w.get(), Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier);
    QVERIFY(Marked(Left(*w)).empty());
  }

  void shiftClickMarksTheRangeAndClearsOtherMarks() {
    auto w = Open(dir_->path());
    ClickRow(*w, 2, Qt::ControlModifier);
    QCOMPARE(Marked(Left(*w)), std::vector<int>{2});
    ClickRow(*w, 0);
    QVERIFY(Marked(Left(*w)).empty());
    ClickRow(*w, 1, Qt::ShiftModifier);
    QCOMPARE(Marked(Left(*w)), (std::vector<int>{0, 1}));
    QCOMPARE(Left(*w).state.cursor, 1);
    // A click in the right pane makes it active; the left keeps its cursor.
    QTest::mouseClick(w->View(kRight)->viewport(), Qt::LeftButton, {}, QPoint(10, 2));
    QCOMPARE(w->Cmds().ActiveSide(), kRight);
    QTest::keyClick(w.get(), Qt::Key_Tab);
    QCOMPARE(w->Cmds().ActiveSide(), kLeft);
  }

  void headerClicksSortAndDescriptionKeepsTheOrder() {
    settings_.columnWidths = {60, 60, 40, 60, 30, 60};
    auto w = Open(dir_->path());
    QHeaderView* header = w->View(kLeft)->Header();
    auto clickColumn = [&](int c) {
      QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(c) + 8, 5));
    };
    std::vector<std::string> before;
    for (const CatalogEntry& r : Left(*w).state.rows) before.push_back(r.sourceName);
    QTest::keyClick(w.get(), Qt::Key_End);
    clickColumn(5);
    QCOMPARE(Left(*w).state.sortKey, static_cast<int>(kSortNone));
    QCOMPARE(Left(*w).state.cursor, 0);
    for (size_t i = 0; i < before.size(); ++i) QCOMPARE(Left(*w).state.rows[i].sourceName, before[i]);
    clickColumn(1);  // a PC file has no TI name and sorts first
    QCOMPARE(Left(*w).state.sortKey, static_cast<int>(kSortTiName));
    QCOMPARE(Left(*w).state.rows[1].sourceName, std::string("notes.txt"));
    QCOMPARE(Left(*w).state.rows[2].sourceName, std::string("GAMES.dsk"));
  }

  void enterWalksIntoDirectoriesAndImagesAndBackOut() {
    auto w = Open(dir_->path());
    QTest::keyClick(w.get(), Qt::Key_Return);  // SUB
    QCOMPARE(Left(*w).state.RowCount(), 2);
    QCOMPARE(Left(*w).state.rows[0].kind, static_cast<uint16_t>(kKindUprdir));
    QTest::keyClick(w.get(), Qt::Key_Return);  // ..
    QCOMPARE(Left(*w).state.RowCount(), 3);
    QCOMPARE(Left(*w).state.cursor, 0);
    QTest::keyClick(w.get(), Qt::Key_Down);
    QTest::mouseDClick(w->View(kLeft)->viewport(), Qt::LeftButton, {}, QPoint(10, RowY(*w, 1)));
    QCOMPARE(Left(*w).state.locationType, kLocFloppy);
    QVERIFY(w->LocationLineOf(kLeft)->text().endsWith("GAMES.dsk"));
    // Ctrl+Enter on ".." opens the parent in the right pane; the left stays.
    QTest::keyClick(w.get(), Qt::Key_Home);
    QTest::keyClick(w.get(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(Left(*w).state.locationType, kLocFloppy);
    QCOMPARE(w->Cmds().Pane(kRight).state.locationType, kLocPcDirectory);
    QCOMPARE(w->Cmds().Pane(kRight).state.RowCount(), 3);
    QTest::keyClick(w.get(), Qt::Key_U);  // swap: the left side now shows the directory
    QCOMPARE(Left(*w).state.locationType, kLocPcDirectory);
    QVERIFY(reporter_->errors.empty());
  }

  // F3, F4, F8, F9 and Enter on every row kind, each with no modifier, Shift
  // and Ctrl. The expectation is the key table written out as its rules:
  // view modes 0 text, 2 hex, 7 Forth; picture modes 3 TI-Artist, 4 and 5
  // MYART, 6 character set. Shift counts only without Ctrl.
  void viewKeysFollowTheKeyTableForEveryRowKindAndModifier() {
    using W = RowAction::What;
    struct RowCase {
      uint16_t kind;
      uint16_t recordLength;
    };
    std::vector<RowCase> rows;
    for (uint16_t kind = kKindVolume; kind <= kKindDos; ++kind) rows.push_back({kind, 80});
    rows.push_back({kKindDisFix, 128});
    rows.push_back({kKindIntFix, 128});
    rows.push_back({kKindProgram, 0});
    auto opensByF3 = [](int k) {
      return k == 6 || k == 7 || k == 9 || k == 10 || k == 11 || k == 12 || k == 13 || k == 15 || k == 16;
    };
    auto beepsOnF4 = [](int k) { return k == 6 || k == 7 || k == 9 || k == 10 || k == 11 || k == 12; };
    auto expected = [&](int key, Qt::KeyboardModifiers m, const RowCase& r) -> RowAction {
      const bool ctrl = m & Qt::ControlModifier;
      const bool shift = (m & Qt::ShiftModifier) && !ctrl;
      const bool disFix128 = r.kind == kKindDisFix && r.recordLength == 128;
      const bool program = r.kind == kKindProgram;
      switch (key) {
        case Qt::Key_F3:
          if (opensByF3(r.kind)) return {ctrl ? W::OpenOpposite : W::Open, 0};
          return {W::View, shift && disFix128 ? 7 : 0};
        case Qt::Key_F4: return beepsOnF4(r.kind) ? RowAction{W::Beep, 0} : RowAction{W::View, 2};
        case Qt::Key_F8: return disFix128 ? RowAction{W::Picture, shift ? 5 : 4} : RowAction{W::Beep, 0};
        case Qt::Key_F9:
          if (shift) return program ? RowAction{W::Picture, 6} : RowAction{W::Beep, 0};
          if (program) return {W::Picture, 3};
          return disFix128 ? RowAction{W::Gif, 0} : RowAction{W::Beep, 0};
        default: return {ctrl ? W::OpenOpposite : W::Open, 0};  // Enter
      }
    };

    auto w = Open(dir_->path());
    std::vector<RowAction> seen;
    w->Cmds().actionSink = [&seen](const RowAction& a) { seen.push_back(a); };
    int checked = 0;
    for (const RowCase& r : rows) {
      for (int key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F8, Qt::Key_F9, Qt::Key_Return}) {
        for (Qt::KeyboardModifiers m : {Qt::KeyboardModifiers(), Qt::KeyboardModifiers(Qt::ShiftModifier),
                                        Qt::KeyboardModifiers(Qt::ControlModifier)}) {
          CatalogEntry row;
          row.kind = r.kind;
          row.recordLength = r.recordLength;
          row.sourceName = row.tiName = "ROW";
          Left(*w).state.rows = {row};
          Left(*w).state.cursor = 0;
          seen.clear();
          QTest::keyClick(w.get(), static_cast<Qt::Key>(key), m);
          const RowAction want = expected(key, m, r);
          const QByteArray what = QString("kind %1/%2, key %3, modifiers %4: got %5 actions, first %6/%7, want %8/%9")
                                      .arg(r.kind).arg(r.recordLength).arg(QKeySequence(key).toString())
                                      .arg(static_cast<int>(m)).arg(seen.size())
                                      .arg(seen.empty() ? -1 : static_cast<int>(seen[0].what))
                                      .arg(seen.empty() ? -1 : seen[0].mode)
                                      .arg(static_cast<int>(want.what)).arg(want.mode)
                                      .toUtf8();
          QVERIFY2(seen.size() == 1 && seen[0] == want, what.constData());
          ++checked;
        }
      }
    }
    QCOMPARE(checked, 21 * 5 * 3);
    QCOMPARE(w->Cmds().Pane(kRight).state.RowCount(), 3);  // nothing was really opened
  }

  void menuItemsAreGreyedByTheCursorRow() {
    auto w = Open(dir_->path());
    QVERIFY(Enabled(*w, kCmdOpenRow));  // SUBDIR
    QVERIFY(Enabled(*w, kCmdMark));
    QVERIFY(Enabled(*w, kCmdAbout));
    QTest::keyClick(w.get(), Qt::Key_End);  // notes.txt, a DOS row
    QVERIFY(!Enabled(*w, kCmdOpenRow));
    QVERIFY2(!Enabled(*w, kCmdCopy), "both panes show the same directory");
    QVERIFY(Enabled(*w, kCmdFeedFileList));
    QVERIFY2(!Enabled(*w, kCmdViewHex), "a PC file has no hex view");
    QCOMPARE(w->PopupAt(w->View(kLeft)->viewport()->mapTo(w.get(), QPoint(5, RowY(*w, 2)))), w->Popup(1));
    QTest::keyClick(w.get(), Qt::Key_Up);  // GAMES.dsk
    QCOMPARE(w->PopupAt(w->View(kLeft)->viewport()->mapTo(w.get(), QPoint(5, 5))), w->Popup(2));
    QCOMPARE(w->PopupAt(w->LocationLineOf(kLeft)->mapTo(w.get(), QPoint(5, 5))), w->Popup(0));
    QVERIFY(w->PopupAt(w->LocationLineOf(kRight)->mapTo(w.get(), QPoint(5, 5))) == nullptr);

    // The recent list shows "&n path" and greys empty entries.
    IniFile ini;
    AddRecentDirectory(ini, "/tmp/ti");
    ini.Save(dir_->path() + "/Korvane.ini");
    w->UpdateMenuState();
    QCOMPARE(w->Actions(kCmdRecent1).front()->text(), QString("&1 /tmp/ti"));
    QVERIFY(w->Actions(kCmdRecent1).front()->isEnabled());
    QCOMPARE(w->Actions(kCmdRecent1 + 2).front()->text(), QString("&3 "));
    QVERIFY(!w->Actions(kCmdRecent1 + 2).front()->isEnabled());
  }

  void rulesLookAtMarkedRowsAndAtRowsBeforeTheFirstRead() {
    PaneModel active, other;
    CatalogEntry text, pc99;
    text.kind = kKindDisVar;
    pc99.kind = kKindPc99Sd;
    active.state.rows = {text, pc99, text};
    QVERIFY2(!RuleEnables(kCmdPc99ToV9t9, active, other), "no row array yet");
    active.hasRows = true;
    QVERIFY(!RuleEnables(kCmdPc99ToV9t9, active, other));
    active.state.rows[1].marked = active.state.rows[2].marked = true;
    QVERIFY2(RuleEnables(kCmdPc99ToV9t9, active, other), "a marked PC99 row counts");
    QVERIFY2(!RuleEnables(kCmdPc99Layout, active, other), "the cursor row is not PC99");
    QVERIFY(RuleEnables(kCmdTiToPc, active, other));
    QVERIFY(RuleEnables(kCmdMakeDirectory, active, other));
    active.state.locationType = kLocFloppy;
    QVERIFY(!RuleEnables(kCmdMakeDirectory, active, other));
    QVERIFY(RuleEnables(kCmdDelete, active, other));
    active.state.locationType = kLocArchive;
    QVERIFY(!RuleEnables(kCmdDelete, active, other));
  }

  void commandsAreRefusedWhileALongOneRuns() {
    auto w = Open(dir_->path());
    bool ran = false, nested = true;
    QVERIFY(w->Cmds().RunLong([&] {
      ran = true;
      QVERIFY(!w->menuBar()->isEnabled());
      QVERIFY(!w->Tools()->isEnabled());
      QTest::keyClick(w.get(), Qt::Key_Down);
      QTest::keyClick(w.get(), Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier);
      w->Cmds().OpenRow();
      nested = w->Cmds().RunLong([] {});
    }));
    QVERIFY(ran);
    QVERIFY(!nested);
    QCOMPARE(Left(*w).state.cursor, 0);
    QVERIFY(Marked(Left(*w)).empty());
    QCOMPARE(Left(*w).state.locationType, kLocPcDirectory);
    QCOMPARE(Left(*w).state.RowCount(), 3);
    QVERIFY(w->menuBar()->isEnabled());
  }

  void missingStartPathIsReportedOnceAndKeysDoNothing() {
    auto w = Open(dir_->path() + "/gone");
    QCOMPARE(reporter_->errors.size(), size_t{2});  // one per pane
    QVERIFY(QString::fromStdString(reporter_->errors[0]).contains("gone"));
    QTest::keyClick(w.get(), Qt::Key_Down);
    QCOMPARE(Left(*w).state.cursor, 0);
    // The pane has no list: everything that works on rows is greyed, the
    // rest stays.
    for (int id : {kCmdViewFile, kCmdInfo, kCmdFeedFileList, kCmdMark, kCmdMarkAll, kCmdViewHex, kCmdCopy})
      QVERIFY2(!Enabled(*w, id), QByteArray::number(id).constData());
    QVERIFY(Enabled(*w, kCmdSelectDirectory));
    QVERIFY(Enabled(*w, kCmdOptions));
    QCOMPARE(w->StatusLineOf(kLeft)->text(), QString());
  }

  void theSplashGivesWayToTheFirstMessageBox() {
    auto w = Open(dir_->path());
    w->ShowSplash();
    QVERIFY(w->SplashShown());
    bool splashDuringBox = true;
    QTimer::singleShot(100, [&] {
      splashDuringBox = w->SplashShown();
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    QMessageBox::critical(w.get(), "ERROR", "Can't read directory <gone>");
    QVERIFY(!splashDuringBox);
  }

  void helpShowsTheKeyList() {
    QTextBrowser* help = ShowHelp(nullptr);
    QVERIFY(help);
    const QString text = help->toPlainText();
    QVERIFY2(text.contains("Keys") && text.contains("Shift+F3"), qPrintable(text.left(200)));
    help->close();
  }

  // Exit with the help window and a viewer open ends the run at once (the
  // program writes its settings when the loop ends).
  void closingTheMainWindowEndsTheRunWithOtherWindowsOpen() {
    auto w = Open(dir_->path());
    bool ranOut = false;
    QTimer::singleShot(0, w.get(), [&] {
      w->Actions(kCmdHelp).front()->trigger();
      w->Actions(kCmdFeedFileList).front()->trigger();
      QTimer::singleShot(100, w.get(), [&] { w->close(); });
    });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
      ranOut = true;
      QCoreApplication::exit(1);
    });
    guard.start(5000);
    const int code = QApplication::exec();
    guard.stop();
    QVERIFY2(!ranOut, "the run went on after its main window closed");
    QCOMPARE(code, 0);
    QVERIFY(reporter_->errors.empty());
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != w.get() && top->isVisible() && !qobject_cast<QMenu*>(top)) top->close();
  }

  void renameOffersThePcNameAsItIs() {
    dir_->Write("my file.txt", {'x'});
    auto w = Open(dir_->path());
    int row = -1;
    for (int i = 0; i < Left(*w).state.RowCount(); ++i)
      if (Left(*w).state.rows[static_cast<size_t>(i)].sourceName == "my file.txt") row = i;
    QVERIFY(row >= 0);
    Left(*w).state.cursor = row;
    QString offered, afterTyping;
    QTimer::singleShot(50, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      QVERIFY(dialog);
      QLineEdit* field = dialog->findChild<QLineEdit*>();
      QVERIFY(field);
      offered = field->text();
      field->setCursorPosition(2);  // after "my": the blank already there stays
      QTest::keyClicks(field, "b c");
      afterTyping = field->text();
      field->setText(offered);
      for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == "Rename") b->click();
    });
    QTest::keyClick(w.get(), Qt::Key_F6);
    QCOMPARE(offered, QString("my file.txt"));
    QCOMPARE(afterTyping, QString("mybc file.txt"));
    struct stat st;
    QVERIFY(stat((dir_->path() + "/my file.txt").c_str(), &st) == 0);
    QVERIFY(stat((dir_->path() + "/myfile.txt").c_str(), &st) != 0);
  }

  void folderBrowserIsCentredOnTheActivePaneAndNamesTheSelection() {
    auto w = Open(dir_->path());
    QWidget* list = w->View(kRight)->viewport();
    w->Cmds().Activate(kRight);
    QPoint centre, listCentre = list->mapToGlobal(list->rect().center());
    QString startFolder, status;
    QTimer::singleShot(100, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      centre = dialog->frameGeometry().center();
      QLabel* label = dialog->findChild<QLabel*>("status");
      QVERIFY(label);
      status = label->text();
      dialog->reject();
    });
    std::string path = dir_->path() + "/SUB";
    QVERIFY(!BrowseForFolder(w.get(), path, list));
    QVERIFY2((centre - listCentre).manhattanLength() <= 4,
             qPrintable(QString("%1,%2 vs %3,%4").arg(centre.x()).arg(centre.y()).arg(listCentre.x()).arg(listCentre.y())));
    QCOMPARE(status, QString::fromStdString(dir_->path() + "/SUB"));
    // Nothing known, or a start path that is gone: the nearest folder that
    // exists, else the home folder, never an empty list.
    QCOMPARE(BrowserStartFolder(""), QDir::homePath());
    QCOMPARE(BrowserStartFolder(dir_->path() + "/SUB/gone/deeper"), QString::fromStdString(dir_->path() + "/SUB"));
  }

  void storedSettingsKeepTheLeftPaneColumnsSortAndPaths() {
    settings_.columnWidths = {80, 90, 100, 100, 100, 100};
    auto w = Open(dir_->path());
    QCOMPARE(w->View(kLeft)->Header()->sectionSize(1), 90);
    w->View(kLeft)->Header()->resizeSection(2, 70);
    QCOMPARE(Left(*w).columnWidths[2], 70);
    w->Cmds().SortBy(kLeft, kSortSize);
    w->StoreSettings();
    QCOMPARE(settings_.columnWidths[2], 70);
    QCOMPARE(settings_.sortBy, static_cast<int>(kSortSize));
    QCOMPARE(settings_.defaultPathRight, dir_->path());
    QVERIFY(settings_.window.width >= 460);
  }

  // Answers the next modal dialog: types `name` into its field when given,
  // then presses the button with the text `button`.
  static void AnswerDialog(const QString& button, const QString& name = {}) {
    QTimer::singleShot(50, [button, name] {
      QWidget* dialog = QApplication::activeModalWidget();
      QVERIFY(dialog);
      if (!name.isEmpty()) {
        QLineEdit* field = dialog->findChild<QLineEdit*>();
        QVERIFY(field);
        QTest::keyClicks(field, name);
      }
      for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == button) b->click();
    });
  }

  void fileCommandsRunThroughTheirDialogs() {
    auto w = Open(dir_->path());
    AnswerDialog("Create", "new.dir");  // the dot is not taken in a directory name
    QTest::keyClick(w.get(), Qt::Key_F7);
    struct stat st;
    QVERIFY(stat((dir_->path() + "/newdir").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    QCOMPARE(Left(*w).state.RowCount(), 4);

    QTest::keyClick(w.get(), Qt::Key_End);  // notes.txt
    QCOMPARE(Left(*w).state.rows[3].sourceName, std::string("notes.txt"));
    AnswerDialog("Delete");
    QTest::keyClick(w.get(), Qt::Key_Delete);
    QVERIFY(stat((dir_->path() + "/notes.txt").c_str(), &st) != 0);
    QCOMPARE(Left(*w).state.RowCount(), 3);
    QVERIFY(w->menuBar()->isEnabled());

    // Deleting in a directory is refused inside an archive-like location: the
    // refusal is reported and nothing is asked.
    Left(*w).state.locationType = kLocArchive;
    QTest::keyClick(w.get(), Qt::Key_Delete);
    QCOMPARE(reporter_->errors.size(), size_t{1});
  }

  void configurationSwitchesTakeEffectAtOnce() {
    settings_.driveLetters = 3;
    ConfigDialog dialog(settings_);
    QCheckBox* a = nullptr;
    QCheckBox* c = nullptr;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
      if (box->text() == "A:") a = box;
      if (box->text() == "C:") c = box;
    }
    QVERIFY(a && c);
    QVERIFY(a->isChecked());
    QVERIFY(!c->isEnabled());
    a->click();
    QCOMPARE(settings_.driveLetters, 2u);
    settings_.fontName = "Courier New";
    settings_.fontHeight = -12;
    settings_.fontWeight = 700;
    settings_.fontItalic = true;
    QCOMPARE(ConfigDialog::FontDescription(settings_), QString("Courier New, 12, B, I"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
