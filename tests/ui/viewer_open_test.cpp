// The view commands' windows on real pane contents: a TI file inside a disk
// image shown read-only, a PC file loaded as editable text, the listing of a
// pane, a row whose view fails leaving no window behind, and the picture
// viewer processes of GIF rows collected when the program ends.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <signal.h>
#include <sys/wait.h>

#include "catalog/listing.h"
#include "fileops/locations.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "ui/commands.h"
#include "ui/edit_viewer.h"
#include "ui/viewer_open.h"
#include "viewers/view_builder.h"

using namespace korvane;
using namespace korvane::ui;

class ViewerOpenTest : public QObject {
  Q_OBJECT

 private:
  Settings settings_;
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::RecordingReporter> reporter_;

  ViewerSlots& Pool() { return SharedViewerSlots(settings_); }
  EditViewer* Only() {
    EditViewer* found = nullptr;
    for (int i = 0; i < kViewerSlots; ++i)
      if (Pool().InUse(i)) found = qobject_cast<EditViewer*>(Pool().Slot(i).window.data());
    return found;
  }
  static int RowNamed(const PaneState& p, const std::string& name) {
    for (int i = 0; i < p.RowCount(); ++i)
      if (p.rows[static_cast<size_t>(i)].sourceName == name || p.rows[static_cast<size_t>(i)].tiName.rfind(name, 0) == 0)
        return i;
    return -1;
  }
  PaneState Pane() {
    PaneState p;
    p.locationPath = dir_->path();
    ReadLocation(p);
    return p;
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    reporter_ = std::make_unique<test::RecordingReporter>();
    dir_->Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HELLO", "WORLD"})).Build());
    const std::string notes = std::string("one\r\ntwo\r\n") + '\0' + "gone";
    dir_->Write("notes.txt", test::Bytes(notes.begin(), notes.end()));
  }
  void cleanup() {
    for (int i = 0; i < kViewerSlots; ++i)
      if (Pool().InUse(i)) delete Pool().Slot(i).window.data();
    reporter_.reset();
    dir_.reset();
  }

  void pcFileRow_OpensEditableText_UpToTheZeroByte() {
    const PaneState p = Pane();
    const int row = RowNamed(p, "notes.txt");
    QVERIFY(row >= 0);
    ViewRow(settings_, p, row, kViewHex);  // a PC file is text whatever the mode
    EditViewer* v = Only();
    QVERIFY(v);
    QCOMPARE(v->Text(), std::string("one\r\ntwo\r\n"));
    QVERIFY(!v->Control()->isReadOnly());
    QCOMPARE(v->windowTitle(), QString("Korvane - notes.txt"));
  }

  void tiFileInsideImage_ShowsItsViewReadOnly_WithTheCoreText() {
    PaneState p = Pane();
    QVERIFY(EnterRow(p, RowNamed(p, "GAMES.dsk")));
    const int row = RowNamed(p, "README");
    QVERIFY(row >= 0);
    ViewRow(settings_, p, row, kViewDefault);
    EditViewer* v = Only();
    QVERIFY(v);
    const TextView expected = BuildView(p, p.rows[static_cast<size_t>(row)], kViewDefault);
    QCOMPARE(v->Text(), expected.text);
    QVERIFY(v->Text().find("HELLO") != std::string::npos);
    QVERIFY(v->Control()->isReadOnly());
    QCOMPARE(v->windowTitle().toStdString(), expected.title);
    // Save As proposes the row's TI name.
    QString proposed;
    v->chooseSavePath = [&](QWidget*, const QString&, const QString& name) {
      proposed = name;
      return QString();
    };
    v->SaveAs();
    QCOMPARE(proposed, QString("README.txt"));
  }

  void feedFileList_ShowsThePaneListing_Editable() {
    const PaneState p = Pane();
    FeedFileList(settings_, p);
    EditViewer* v = Only();
    QVERIFY(v);
    QCOMPARE(v->Text(), DirectoryListing(p));
    QCOMPARE(v->windowTitle().toStdString(), DirectoryListingTitle(p));
    QVERIFY(!v->Control()->isReadOnly());
  }

  void seventeenthView_IsRefusedWithoutTouchingTheOthers() {
    const PaneState p = Pane();
    for (int i = 0; i < kViewerSlots; ++i) FeedFileList(settings_, p);
    QCOMPARE(Pool().OpenCount(), kViewerSlots);
    ViewRow(settings_, p, RowNamed(p, "notes.txt"), kViewDefault);
    QCOMPARE(Pool().OpenCount(), kViewerSlots);
    QCOMPARE(reporter_->errors.back(), std::string("No more viewers available"));
  }

  void viewKeys_OpenViewersOnTextRows_BeepOnContainers() {
    QWidget window;
    Commands c(settings_, &window);
    for (int side : {kLeft, kRight}) {
      c.Pane(side).startPath = dir_->path();
      c.Pane(side).state.locationPath = dir_->path();
    }
    c.FirstRead();
    PaneState& p = c.Active().state;
    p.cursor = RowNamed(p, "GAMES.dsk");
    c.F4();  // a disk image beeps
    c.F8(false);
    QCOMPARE(Pool().OpenCount(), 0);
    p.cursor = RowNamed(p, "notes.txt");
    c.F3();
    QCOMPARE(Pool().OpenCount(), 1);
    QCOMPARE(Only()->Text(), std::string("one\r\ntwo\r\n"));
    c.FeedFileList();
    QCOMPARE(Pool().OpenCount(), 2);
    p.cursor = RowNamed(p, "GAMES.dsk");
    c.F3();
    QCOMPARE(Pool().OpenCount(), 2);
    QCOMPARE(c.Active().state.locationType, kLocFloppy);
    p.cursor = RowNamed(c.Active().state, "README");
    c.F4();
    QCOMPARE(Pool().OpenCount(), 3);
  }

  void gifViewers_AreCollectedWhenTheProgramEnds_WithoutWaitingForRunningOnes() {
    test::TiFile gif = test::DisFixFile("PIC", 128, {});
    gif.data.assign(256, 0);
    std::copy_n("GIF89a", 6, gif.data.begin());
    gif.recordsPerSector = 2;
    gif.level3 = 2;
    dir_->Write("PIC", test::V9t9File(gif));
    const PaneState p = Pane();
    const int row = RowNamed(p, "PIC");
    QVERIFY(row >= 0);
    // One viewer that is still running at the end and one that ends at once.
    // The running one goes first: each start collects those that have ended.
    settings_.picViewer = "sh -c \"sleep 20\" viewer";
    ShowGifOfRow(settings_, p, row);
    settings_.picViewer = "true";
    ShowGifOfRow(settings_, p, row);
    QCOMPARE(StartedPictureViewers().size(), size_t{2});
    const pid_t running = StartedPictureViewers()[0], ended = StartedPictureViewers()[1];
    // Wait until the first has ended and is left as a zombie.
    const auto state = [](pid_t pid) {
      QFile stat(QString("/proc/%1/stat").arg(pid));
      if (!stat.open(QIODevice::ReadOnly)) return QChar();
      const QString text = QString::fromLatin1(stat.readAll());
      return text.mid(text.lastIndexOf(')') + 2, 1).at(0);
    };
    QTRY_COMPARE_WITH_TIMEOUT(state(ended), QChar('Z'), 10000);

    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();  // ends as the main window's closing ends it
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(StartedPictureViewers(), std::vector<pid_t>{running});
    QVERIFY(state(ended).isNull());  // collected: no zombie left

    kill(running, SIGTERM);
    QCOMPARE(waitpid(running, nullptr, 0), running);
  }
};

QTEST_MAIN(ViewerOpenTest)
#include "viewer_open_test.moc"
