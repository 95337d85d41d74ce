// What the panes draw and how scrolling, the wheel setting, recent
// directories, going to the root and opening in the other pane behave in the
// running window.
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

using namespace korvane;
using namespace korvane::ui;

class PaneViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::TempDir> home_;  // holds the settings file, apart from the listed files
  std::unique_ptr<test::RecordingReporter> reporter_;
  Settings settings_;

  std::unique_ptr<MainWindow> Open(int height = 600) {
    auto w = std::make_unique<MainWindow>(settings_, SettingsPath(), dir_->path(), dir_->path());
    w->resize(900, height);
    w->show();
    w->Cmds().FirstRead();
    return w;
  }
  std::string SettingsPath() const { return home_->path() + "/Korvane.ini"; }
  static PaneModel& Pane(MainWindow& w, int side) { return w.Cmds().Pane(side); }
  static QColor PixelOfRow(MainWindow& w, int side, int row) {
    const QImage image = w.View(side)->viewport()->grab().toImage();
    const int lh = w.View(side)->LineHeight();
    return image.pixelColor(2 * image.devicePixelRatio(), (row * lh + lh / 2) * image.devicePixelRatio());
  }
  static void Wheel(QWidget* target, int delta) {
    const QPointF at(10, 10);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    home_ = std::make_unique<test::TempDir>();
    reporter_ = std::make_unique<test::RecordingReporter>();
    settings_ = Settings{};
    settings_.sortBy = 0;
    dir_->Mkdir("SUB");
    dir_->Write("SUB/INNER", test::V9t9File(test::DisVarFile("INNER", 80, {"X"})));
    for (int i = 0; i < 40; ++i)
      dir_->Write(QString("F%1").arg(i, 2, 10, QChar('0')).toStdString(),
                  test::V9t9File(test::DisVarFile("F", 80, {"X"})));
  }
  void cleanup() {
    reporter_.reset();
    dir_.reset();
    home_.reset();
  }

  void onlyTheActivePaneDrawsTheCursorBarInTheSettingsColours() {
    settings_.textColor = 0x000000;
    settings_.backColor = 0xC2C2C2;
    auto w = Open();
    QCOMPARE(PixelOfRow(*w, kLeft, 0), QColor(0, 0, 0));
    QCOMPARE(PixelOfRow(*w, kLeft, 1), QColor(0xC2, 0xC2, 0xC2));
    QCOMPARE(PixelOfRow(*w, kRight, 0), QColor(0xC2, 0xC2, 0xC2));
    // A new background colour (0x00BBGGRR) shows at once in both panes.
    settings_.backColor = 0x000080;
    w->ApplyLook();
    QCOMPARE(PixelOfRow(*w, kLeft, 1), QColor(0x80, 0, 0));
    QCOMPARE(PixelOfRow(*w, kRight, 0), QColor(0x80, 0, 0));
    QTest::keyClick(w.get(), Qt::Key_Tab);
    QCOMPARE(PixelOfRow(*w, kLeft, 0), QColor(0x80, 0, 0));
    QCOMPARE(PixelOfRow(*w, kRight, 0), QColor(0, 0, 0));
  }

  void scrollBarAndWheelMoveTheTopButNotTheCursor() {
    auto w = Open(300);
    PaneModel& left = Pane(*w, kLeft);
    QVERIFY(left.state.rowsPerPage < 41);
    QVERIFY(w->View(kLeft)->verticalScrollBar()->isVisible());
    w->View(kLeft)->verticalScrollBar()->setValue(5);
    QCOMPARE(left.state.topRow, 5);
    QCOMPARE(left.state.cursor, 0);
    // Without the setting the wheel moves the pane under the pointer.
    Wheel(w->View(kRight)->viewport(), -120);
    QVERIFY(Pane(*w, kRight).state.topRow > 0);
    QCOMPARE(left.state.topRow, 5);
    // With it, every wheel step scrolls the active pane two lines.
    settings_.mouseWheel = 1;
    w->ApplyLook();
    const int rightTop = Pane(*w, kRight).state.topRow;
    Wheel(w->View(kRight)->viewport(), -120);
    QCOMPARE(left.state.topRow, 7);
    Wheel(w->View(kRight)->viewport(), 120);
    Wheel(w->View(kRight)->viewport(), 120);
    QCOMPARE(left.state.topRow, 3);
    QCOMPARE(Pane(*w, kRight).state.topRow, rightTop);
    QCOMPARE(left.state.cursor, 0);
  }

  void recentDirectoryAndGotoRootMoveThePaneWithoutReorderingTheList() {
    IniFile ini;
    AddRecentDirectory(ini, "/nowhere/else");
    AddRecentDirectory(ini, dir_->path() + "/SUB");
    ini.Save(SettingsPath());
    auto w = Open();
    w->UpdateMenuState();
    w->Actions(kCmdRecent1).front()->trigger();
    QCOMPARE(Pane(*w, kLeft).startPath, dir_->path() + "/SUB");
    QCOMPARE(Pane(*w, kLeft).state.RowCount(), 1);
    ini.Load(SettingsPath());
    QCOMPARE(ReadRecentDirectories(ini)[1], std::string("/nowhere/else"));

    Pane(*w, kLeft).startPath = dir_->path();
    w->Cmds().GotoRoot();
    QTest::keyClick(w.get(), Qt::Key_Return);  // into SUB
    QCOMPARE(Pane(*w, kLeft).state.directoryDepth, 1);
    w->Cmds().GotoRoot();
    QCOMPARE(Pane(*w, kLeft).state.directoryDepth, 0);
    QCOMPARE(Pane(*w, kLeft).state.RowCount(), 41);
    QCOMPARE(Pane(*w, kLeft).state.cursor, 0);
    QVERIFY(reporter_->errors.empty());
  }

  void openingAFileInTheOtherPaneLeavesThatPaneAlone() {
    auto w = Open();
    QTest::keyClick(w.get(), Qt::Key_Return, Qt::ControlModifier);  // SUB, in the right pane
    QCOMPARE(Pane(*w, kRight).state.RowCount(), 2);
    QCOMPARE(Pane(*w, kLeft).state.RowCount(), 41);
    QCOMPARE(w->Cmds().ActiveSide(), kLeft);
    QTest::keyClick(w.get(), Qt::Key_End);
    QTest::keyClick(w.get(), Qt::Key_Return, Qt::ControlModifier);  // a TI file: nothing to open
    QCOMPARE(Pane(*w, kRight).state.RowCount(), 2);
    QCOMPARE(Pane(*w, kRight).state.directoryDepth, 1);
  }
};

QTEST_MAIN(PaneViewTest)
#include "pane_view_test.moc"
