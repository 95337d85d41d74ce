// "Check image" from the Tools menu and the container rows' pop-up: offered
// on image rows, the report in a viewer window, and the repair asked for
// first, mending the image with IMAGE.bak kept, or leaving it as it was.
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "catalog/sort.h"
#include "support/damage.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "main_window_support.h"
#include "ui/command_ids.h"
#include "ui/edit_viewer.h"
#include "ui/main_window.h"
#include "ui/viewer_slots.h"

using namespace korvane;
using namespace korvane::ui;
using test::Enabled;
using test::PutCursor;

class CheckCommandTest : public QObject, private test::MainWindowScene {
  Q_OBJECT

 private:
  test::Bytes damaged_;

  std::unique_ptr<MainWindow> Open() { return test::OpenMainWindow(settings_, *dir_, dir_->path()); }
  // The texts of the open viewer windows, closing them.
  QStringList TakeViewerTexts() {
    QStringList texts;
    ViewerSlots& pool = SharedViewerSlots(settings_);
    for (int i = 0; i < kViewerSlots; ++i)
      if (pool.InUse(i))
        if (auto* v = qobject_cast<EditViewer*>(pool.Slot(i).window.data())) {
          texts << QString::fromStdString(v->Text());
          v->close();
        }
    QApplication::processEvents();
    return texts;
  }
  // Presses `button` on the question box when it comes; `asked` gets its text.
  static void Answer(QMessageBox::StandardButton button, QString* asked) {
    QTimer::singleShot(50, [button, asked] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      *asked = box->windowTitle() + "|" + box->text();
      box->button(button)->click();
    });
  }
  std::string Path(const std::string& name) const { return dir_->path() + "/" + name; }

 private slots:
  void init() {
    Begin();
    settings_.sortBy = kSortPcName;
    const test::Bytes good = test::DiskBuilder::Sssd("GOOD")
                                 .Add(test::DisVarFile("README", 80, {"HI"}))
                                 .Add(test::ProgramFile("GAME", test::Bytes(700, 5)))
                                 .Build();
    dir_->Write("GOOD.dsk", good);
    damaged_ = good;
    test::SwapFdirEntries(damaged_, 1, 0, 1);
    test::SetBitmapBitOfSector(damaged_, test::FdrSectorOf(damaged_, "GAME"), false);
    dir_->Write("BAD.dsk", damaged_);
    dir_->Write("HELLO", test::V9t9File(test::DisVarFile("HELLO", 80, {"HI"})));
    dir_->Write("notes.txt", test::Bytes(40, 'x'));
  }
  void cleanup() {
    TakeViewerTexts();
    End();
  }

  void offeredOnContainerRowsInToolsAndPopup() {
    auto w = Open();
    QAction* tools = w->Actions(kCmdCheckImage).front();
    QCOMPARE(tools->text(), QString("Check image"));
    QCOMPARE(w->Actions(kCmdCheckImage).size(), size_t{2});
    bool inPopup = false;
    for (QAction* a : w->Popup(2)->actions()) inPopup = inPopup || a == w->Actions(kCmdCheckImage).back();
    QVERIFY(inPopup);
    PutCursor(*w, kLeft, "GOOD.dsk");
    QVERIFY(Enabled(*w, kCmdCheckImage));
    PutCursor(*w, kLeft, "HELLO");
    QVERIFY(Enabled(*w, kCmdCheckImage));
    PutCursor(*w, kLeft, "notes.txt");
    QVERIFY(!Enabled(*w, kCmdCheckImage));
  }

  void soundImageReportsNoErrorsAndAsksNothing() {
    auto w = Open();
    PutCursor(*w, kLeft, "GOOD.dsk");
    w->Actions(kCmdCheckImage).front()->trigger();
    const QStringList texts = TakeViewerTexts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].contains("No errors found."), qPrintable(texts[0]));
  }

  void repairAfterYesMendsAndKeepsTheOriginal() {
    auto w = Open();
    PutCursor(*w, kLeft, "BAD.dsk");
    QString asked;
    Answer(QMessageBox::Yes, &asked);
    w->Actions(kCmdCheckImage).front()->trigger();
    QVERIFY2(asked.startsWith("Korvane|"), qPrintable(asked));
    const QStringList texts = TakeViewerTexts();
    QCOMPARE(texts.size(), 2);  // the report, then what the repair did
    const QString report = texts.filter("Check of").value(0);
    QVERIFY2(report.contains("error: FDIR sector 1"), qPrintable(report));
    QVERIFY2(report.contains("error: bitmap"), qPrintable(report));
    QVERIFY(texts.filter("Repair of").value(0).contains("No errors found."));
    QCOMPARE(test::ReadFile(Path("BAD.dsk.bak")), damaged_);
    QVERIFY(test::ReadFile(Path("BAD.dsk")) != damaged_);
    // The pane was read again: it now lists the backup as well.
    bool listed = false;
    for (const CatalogEntry& r : w->Cmds().Pane(kLeft).state.rows) listed = listed || r.sourceName == "BAD.dsk.bak";
    QVERIFY(listed);
    QVERIFY(reporter_->errors.empty());
  }

  void noLeavesTheImageByteIdentical() {
    auto w = Open();
    PutCursor(*w, kLeft, "BAD.dsk");
    QString asked;
    Answer(QMessageBox::No, &asked);
    w->Actions(kCmdCheckImage).front()->trigger();
    QVERIFY(!asked.isEmpty());
    QCOMPARE(TakeViewerTexts().size(), 1);
    QCOMPARE(test::ReadFile(Path("BAD.dsk")), damaged_);
    QVERIFY(!QFile::exists(QString::fromStdString(Path("BAD.dsk.bak"))));
  }
};

QTEST_MAIN(CheckCommandTest)
#include "check_command_test.moc"
