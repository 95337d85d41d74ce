// The main window driven as a user drives it: keys, clicks and header clicks
// against the pane model, menu greying for typical rows, refusing commands
// while a long one runs, and the Configuration dialog's switches.
#include <QApplication>
#include <QCheckBox>
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
#include "ui/command_ids.h"
#include "ui/config_dialog.h"
#include "ui/main_window.h"
#include "ui/menu_rules.h"

using namespace korvane;
using namespace korvane::ui;

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  // A directory with a sub-directory, a floppy image, a TI file and a PC file.
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::RecordingReporter> reporter_;
  Settings settings_;

  std::unique_ptr<MainWindow> Open(const std::string& path) {
    auto w = std::make_unique<MainWindow>(settings_, dir_->path() + "/Korvane.ini", path, path);
    w->resize(900, 600);
    w->show();
    w->Cmds().FirstRead();
    return w;
  }
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
  static bool Enabled(MainWindow& w, int id) {
    w.UpdateMenuState();
    return w.Actions(id).front()->isEnabled();
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    reporter_ = std::make_unique<test::RecordingReporter>();
    settings_ = Settings{};
    settings_.sortBy = kSortPcName;  // SUB, GAMES.dsk, notes.txt
    dir_->Mkdir("SUB");
    dir_->Write("SUB/INNER", test::V9t9File(test::DisVarFile("INNER", 80, {"X"})));
    dir_->Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
    dir_->Write("notes.txt", {'h', 'i', '\n'});
  }
  void cleanup() {
    reporter_.reset();
    dir_.reset();
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
