// The tool commands driven from their menu items: set file attributes and
// create a new floppy image, each through its dialog, against real files;
// and their refusal while another long command runs.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "catalog/sort.h"
#include "support/arc_builder.h"
#include "support/disk_builder.h"
#include "support/imgtool_check.h"
#include "support/pc99_builder.h"
#include "support/recording_reporter.h"
#include "main_window_support.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

using namespace korvane;
using namespace korvane::ui;
using test::Enabled;
using test::PutCursor;

class ToolsCommandsTest : public QObject, private test::MainWindowScene {
  Q_OBJECT

 private:

  std::unique_ptr<MainWindow> Open(const std::string& path, const std::string& right = {}) {
    return test::OpenMainWindow(settings_, *dir_, path, right);
  }
  static PaneModel& Left(MainWindow& w) { return w.Cmds().Pane(kLeft); }
  // Answers the next modal dialog: `prepare` works on its controls, then
  // the button with the text `button` is pressed. `seen` tells whether a
  // dialog came up at all.
  static void AnswerDialog(const QString& button, std::function<void(QWidget*)> prepare, bool* seen = nullptr) {
    QTimer::singleShot(50, [button, prepare, seen] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (seen) *seen = dialog != nullptr;
      if (!dialog) return;
      if (prepare) prepare(dialog);
      for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == button) b->click();
    });
  }
  static QCheckBox* Box(QWidget* dialog, const QString& text) {
    for (QCheckBox* b : dialog->findChildren<QCheckBox*>())
      if (b->text() == text) return b;
    return nullptr;
  }
  std::vector<uint8_t> Bytes(const std::string& name) { return test::ReadFile(dir_->path() + "/" + name); }
  // imgtool reads the image as the test support's own walker does.
  void ExpectImgtoolAgrees(const std::string& name) {
    const std::string path = dir_->path() + "/" + name;
    std::string text;
    for (const std::string& p : test::ImgtoolDifferences(path, test::FilesOnImage(test::ReadFile(path)))) text += p + "\n";
    QVERIFY2(text.empty(), text.c_str());
  }

 private slots:
  void init() {
    Begin();
    settings_.sortBy = kSortPcName;
    dir_->Write("HELLO", test::V9t9File(test::DisVarFile("HELLO", 80, {"HI"})));
    dir_->Write("WORLD", test::TifilesFile(test::DisVarFile("WORLD", 80, {"THERE"})));
    dir_->Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
  }
  void cleanup() {
    End();
  }

  void setAttributesWritesTheStatusByteOfEachHeaderKind() {
    auto w = Open(dir_->path());
    PutCursor(*w, kLeft, "HELLO");
    QVERIFY(Enabled(*w, kCmdAttributes));
    QCOMPARE(Bytes("HELLO")[0x0c] & 0x08, 0);
    QString text;
    // The cursor row's bits are the starting states; one click sets the
    // protection, three clicks on Archive go clear -> set -> leave -> clear.
    AnswerDialog("Set", [&text](QWidget* d) {
      text = d->findChild<QLabel*>()->text();
      QCheckBox* protect = Box(d, "Write protect");
      QCheckBox* archive = Box(d, "Archive");
      QVERIFY(protect && archive);
      QCOMPARE(protect->checkState(), Qt::Unchecked);
      protect->click();
      QCOMPARE(protect->checkState(), Qt::Checked);
      archive->click();
      archive->click();
      QCOMPARE(archive->checkState(), Qt::PartiallyChecked);
      archive->click();
      QCOMPARE(archive->checkState(), Qt::Unchecked);
    });
    w->Actions(kCmdAttributes).front()->trigger();
    QCOMPARE(text, QString("Do you really wish to set attributes for <HELLO>"));
    QCOMPARE(HelloBits(), uint8_t{0x08});
    QVERIFY(w->menuBar()->isEnabled());

    // Both files marked: the boxes start at "leave"; setting Archive touches
    // byte 10 of the TIFILES header and byte 12 of the V9T9 header, and
    // keeps the protection set above.
    for (CatalogEntry& r : Left(*w).state.rows) r.marked = r.sourceName == "HELLO" || r.sourceName == "WORLD";
    AnswerDialog("Set", [](QWidget* d) {
      QCheckBox* archive = Box(d, "Archive");
      QCOMPARE(archive->checkState(), Qt::PartiallyChecked);
      archive->click();  // leave -> clear
      archive->click();  // clear -> set
    });
    w->Actions(kCmdAttributes).front()->trigger();
    QCOMPARE(HelloBits(), uint8_t{0x18});
    QCOMPARE(Bytes("WORLD")[0x0a] & 0x18, 0x10);
    for (const CatalogEntry& r : Left(*w).state.rows) QVERIFY2(!r.marked, "processed rows are unmarked");
    QVERIFY(reporter_->errors.empty());
  }

  void setAttributesIsGreyedAndRefusedInsideAnImage() {
    auto w = Open(dir_->path());
    PutCursor(*w, kLeft, "GAMES.dsk");
    w->Cmds().OpenRow();
    QCOMPARE(Left(*w).state.locationType, kLocFloppy);
    QVERIFY(!Enabled(*w, kCmdAttributes));
    QVERIFY(!Enabled(*w, kCmdCreateImage));
    bool seen = true;
    AnswerDialog("Cancel", {}, &seen);
    w->Cmds().Attributes();  // reached past the greying: refused with its message
    QTest::qWait(100);
    QVERIFY(!seen);
    QCOMPARE(reporter_->errors.size(), size_t{1});
    QVERIFY(QString::fromStdString(reporter_->errors[0]).contains("Can only set attributes of files in a directory"));
  }

  void createImageWritesAnEmptyImageOfTheChosenSize() {
    auto w = Open(dir_->path());
    QVERIFY(Enabled(*w, kCmdCreateImage));
    AnswerDialog("Create", [](QWidget* d) {
      QRadioButton* sssd = nullptr;
      for (QRadioButton* r : d->findChildren<QRadioButton*>()) {
        if (r->text().startsWith("DSSD: 40")) QVERIFY2(r->isChecked(), "DSSD 40 tracks is preselected");
        if (r->text() == "SSSD: 40 tracks 9 sectors/track 360 sectors") sssd = r;
      }
      QVERIFY(sssd);
      sssd->click();
      QTest::keyClicks(d->findChild<QLineEdit*>(), "my disk.x");  // space and dot are not taken
    });
    w->Actions(kCmdCreateImage).front()->trigger();
    const std::vector<uint8_t> image = Bytes("mydiskx.dsk");
    QCOMPARE(image.size(), size_t{360 * 256});
    QCOMPARE(std::string(image.begin(), image.begin() + 10), std::string("MYDISKX   "));
    QCOMPARE((image[10] << 8) | image[11], 360);
    QCOMPARE(image[2 * 256], uint8_t{0xe5});
    ExpectImgtoolAgrees("mydiskx.dsk");
    bool listed = false;
    for (const CatalogEntry& r : Left(*w).state.rows) listed |= r.sourceName == "mydiskx.dsk";
    QVERIFY2(listed, "the pane is re-read");
    QVERIFY(reporter_->errors.empty());
  }

  void createImageWithoutALabelAsksAgainAndWritesNothing() {
    auto w = Open(dir_->path());
    QString message;
    bool dialogStayed = false;
    AnswerDialog("Create", {});  // the label is still empty
    QTimer::singleShot(200, [&message] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box);
      message = box->windowTitle() + ": " + box->text();
      box->accept();
    });
    QTimer::singleShot(350, [&dialogStayed] {
      QWidget* d = QApplication::activeModalWidget();
      dialogStayed = d && d->windowTitle() == "Create new DSK image";
      if (!d) return;
      for (QPushButton* b : d->findChildren<QPushButton*>())
        if (b->text() == "Cancel") b->click();
    });
    w->Actions(kCmdCreateImage).front()->trigger();
    QCOMPARE(message, QString("Korvane: Please enter a volumelabel"));
    QVERIFY(dialogStayed);
    QCOMPARE(Left(*w).state.RowCount(), 3);
    QVERIFY(reporter_->errors.empty());
  }

  void headerConversionsRewriteTheHeaderBothWays() {
    auto w = Open(dir_->path());
    PutCursor(*w, kLeft, "HELLO");
    QVERIFY(Enabled(*w, kCmdV9t9ToTifiles));
    QVERIFY2(!Enabled(*w, kCmdTifilesToV9t9), "HELLO has a V9T9 header");
    QString title;
    AnswerDialog("Convert", [&title](QWidget* d) { title = d->windowTitle(); });
    w->Actions(kCmdV9t9ToTifiles).front()->trigger();
    QCOMPARE(title, QString("Convert to TIFILES format"));
    const std::vector<uint8_t> hello = Bytes("HELLO");
    QCOMPARE(std::string(hello.begin(), hello.begin() + 8), std::string("\aTIFILES"));

    PutCursor(*w, kLeft, "WORLD");
    QVERIFY(Enabled(*w, kCmdTifilesToV9t9));
    AnswerDialog("Convert", [&title](QWidget* d) { title = d->windowTitle(); });
    w->Actions(kCmdTifilesToV9t9).front()->trigger();
    QCOMPARE(title, QString("Convert to V9T9 format"));
    const std::vector<uint8_t> world = Bytes("WORLD");
    QCOMPARE(std::string(world.begin(), world.begin() + 10), std::string("WORLD     "));
    PutCursor(*w, kLeft, "WORLD");
    QVERIFY2(Enabled(*w, kCmdV9t9ToTifiles), "the row shows its new header kind");
    QVERIFY(reporter_->errors.empty());
  }

  // A PC99 image and an archive in the left pane, an empty directory in the
  // right one.
  std::unique_ptr<MainWindow> OpenWithOutput() {
    const test::Bytes sectors = test::DiskBuilder::Sssd("TRACKS").Add(test::DisVarFile("NOTE", 80, {"PC99"})).Build();
    dir_->Write("TRACKS.pc", test::BuildPc99(sectors, test::Pc99Options{}));
    dir_->Write("ARCH", test::V9t9File(test::ArchiveFile(
                            "ARCH", {test::DisVarFile("ONE", 80, {"1"}), test::DisVarFile("TWO", 80, {"2"})}, false)));
    dir_->Mkdir("OUT");
    return Open(dir_->path(), dir_->path() + "/OUT");
  }

  void pc99ImagesBecomeV9t9ImagesInTheOtherPane() {
    auto w = OpenWithOutput();
    PutCursor(*w, kLeft, "TRACKS.pc");
    QVERIFY(Enabled(*w, kCmdPc99ToV9t9));
    QString text;
    AnswerDialog("Convert", [&text](QWidget* d) { text = d->findChild<QLabel*>()->text(); });
    w->Actions(kCmdPc99ToV9t9).front()->trigger();
    QCOMPARE(text, QString("Convert PC99 disk <TRACKS> to"));
    const std::vector<uint8_t> out = Bytes("OUT/TRACKS.pc");
    QCOMPARE(out.size(), size_t{360 * 256});
    QCOMPARE(std::string(out.begin(), out.begin() + 6), std::string("TRACKS"));
    bool listed = false;
    for (const CatalogEntry& r : w->Cmds().Pane(kRight).state.rows) listed |= r.sourceName == "TRACKS.pc";
    QVERIFY2(listed, "the destination pane is re-read");
    QVERIFY(reporter_->errors.empty());
  }

  void archivesAreExtractedAndTurnedIntoImagesInTheOtherPane() {
    auto w = OpenWithOutput();
    PutCursor(*w, kLeft, "ARCH");
    QVERIFY(Enabled(*w, kCmdExtractAll));
    QVERIFY(Enabled(*w, kCmdArcToImage));
    AnswerDialog("Extract", {});
    w->Actions(kCmdExtractAll).front()->trigger();
    QVERIFY(!Bytes("OUT/ARCH/ONE").empty());
    QVERIFY(!Bytes("OUT/ARCH/TWO").empty());

    PutCursor(*w, kLeft, "ARCH");
    AnswerDialog("Convert", {});
    w->Actions(kCmdArcToImage).front()->trigger();
    const std::vector<uint8_t> image = Bytes("OUT/ARCH.dsk");
    QCOMPARE(image.size(), size_t{720 * 256});
    QCOMPARE(std::string(image.begin(), image.begin() + 10), std::string("ARCH      "));
    QVERIFY2(image[256] != 0 || image[257] != 0, "the FDIR lists the copied members");
    ExpectImgtoolAgrees("OUT/ARCH.dsk");
    QVERIFY(reporter_->errors.empty());
  }

  void toolCommandsAreRefusedWhileALongOneRuns() {
    auto w = Open(dir_->path());
    PutCursor(*w, kLeft, "HELLO");
    bool seenAttrib = true, seenImage = true;
    QVERIFY(w->Cmds().RunLong([&] {
      AnswerDialog("Cancel", {}, &seenAttrib);
      w->Cmds().Attributes();
      QTest::qWait(100);
      AnswerDialog("Cancel", {}, &seenImage);
      w->Cmds().CreateDskImage();
      QTest::qWait(100);
    }));
    QVERIFY(!seenAttrib);
    QVERIFY(!seenImage);
    QCOMPARE(Bytes("HELLO")[0x0c] & 0x18, 0);
  }

 private:
  uint8_t HelloBits() { return static_cast<uint8_t>(Bytes("HELLO")[0x0c] & 0x18); }
};

QTEST_MAIN(ToolsCommandsTest)
#include "tools_commands_test.moc"
