// The conversion dialogs driven as a user drives them: proposals from the
// settings file, the type rules and typing filters, refused choices that keep
// the dialog open, conversions in both directions checked byte for byte, a
// plain PC file copied into a disk image through the dialog, and the
// refusals of Ctrl+F6.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>

#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/conversion_settings.h"
#include "support/arc_builder.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"
#include "support/recording_reporter.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

using namespace korvane;
using namespace korvane::ui;

namespace {

// What a step waits for: a dialog, a message box, or nothing (it runs at
// its turn whatever is up, to see whether something opened).
enum class Want { Dialog, Box, Nothing };
struct Step {
  template <typename F>
  Step(F f, Want w = Want::Dialog) : want(w), run(std::move(f)) {}
  Want want;
  std::function<void(QWidget*)> run;
};

// "AB", CR LF, CR LF, "Z" as DIS/VAR 80 records: AB, an empty one, Z, end mark.
const test::Bytes kPoemRecords{2, 'A', 'B', 0, 1, 'Z', 0xff};

void Click(QWidget* dialog, const QString& button) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>())
    if (b->text() == button) b->click();
}

// Picks an entry of a list as the user does: the list closes after a choice.
void Choose(QWidget* dialog, const char* list, int index) {
  auto* box = dialog->findChild<QComboBox*>(list);
  QVERIFY(box);
  box->setCurrentIndex(index);
  emit box->activated(index);
}

QLineEdit* Field(QWidget* dialog, const char* name) { return dialog->findChild<QLineEdit*>(name); }
QComboBox* List(QWidget* dialog, const char* name) { return dialog->findChild<QComboBox*>(name); }
bool HasLabel(QWidget* dialog, const QString& text) {
  for (QLabel* l : dialog->findChildren<QLabel*>())
    if (l->text() == text) return true;
  return false;
}

// Answers a message box: its caption, icon and text go to `seen`.
Step Acknowledge(QString* seen) {
  return Step(
      [seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        const bool error = box->icon() == QMessageBox::Critical;
        *seen = box->windowTitle() + (error ? " (error): " : ": ") + box->text();
        box->accept();
      },
      Want::Box);
}

}  // namespace

class ConvertDialogTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  std::unique_ptr<test::TempDir> scratch_;
  std::unique_ptr<test::RecordingReporter> reporter_;
  Settings settings_;

  std::unique_ptr<MainWindow> Open(const std::string& right) {
    auto w = std::make_unique<MainWindow>(settings_, dir_->path() + "/Korvane.ini", dir_->path(), right);
    w->resize(900, 600);
    w->show();
    w->Cmds().FirstRead();
    return w;
  }
  static PaneModel& Pane(MainWindow& w, int side) { return w.Cmds().Pane(side); }
  static int RowOf(MainWindow& w, int side, const std::string& name) {
    const PaneState& p = Pane(w, side).state;
    for (int i = 0; i < p.RowCount(); ++i) {
      const CatalogEntry& r = p.rows[static_cast<size_t>(i)];
      if (r.sourceName == name || TrimTiName(r.tiName) == name) return i;
    }
    return -1;
  }
  static void PutCursor(MainWindow& w, int side, const std::string& name) {
    const int row = RowOf(w, side, name);
    QVERIFY2(row >= 0, name.c_str());
    Pane(w, side).state.cursor = row;
  }
  // Opens the floppy image NOTES.dsk in the pane `side`.
  static void EnterImage(MainWindow& w, int side) {
    w.Cmds().Activate(side);
    PutCursor(w, side, "NOTES.dsk");
    w.Cmds().OpenRow();
    QCOMPARE(Pane(w, side).state.locationType, kLocFloppy);
    w.Cmds().Activate(kLeft);
  }
  static bool Enabled(MainWindow& w, int id) {
    w.UpdateMenuState();
    return w.Actions(id).front()->isEnabled();
  }
  // Runs the steps in turn on the modal widget that is up: each waits (up to
  // 3 s) for the widget it wants, and the next starts 60 ms after it at the
  // earliest, so a message box one step opens is there for the next. A step
  // may block in that box; the timer still runs. When a wanted widget never
  // comes, whatever is open is closed so that a failing test cannot hang.
  static void Steps(MainWindow& w, std::vector<Step> steps) {
    auto* timer = new QTimer(&w);
    timer->setSingleShot(true);
    auto next = std::make_shared<size_t>(0);
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, steps = std::move(steps), next, waited] {
      if (*next >= steps.size()) return;
      const Step& step = steps[*next];
      QWidget* up = QApplication::activeModalWidget();
      const bool box = qobject_cast<QMessageBox*>(up) != nullptr;
      const bool ready = step.want == Want::Nothing || (step.want == Want::Box ? box : up && !box);
      if (!ready && ++*waited < 60) return timer->start(50);
      if (!ready) {
        for (int i = 0; i < 5 && QApplication::activeModalWidget(); ++i)
          QApplication::activeModalWidget()->close();
        QFAIL("the expected dialog did not come up");
      }
      ++*next;
      *waited = 0;
      timer->start(60);
      step.run(up);
    });
    timer->start(60);
  }

 private slots:
  void init() {
    dir_ = std::make_unique<test::TempDir>();
    scratch_ = std::make_unique<test::TempDir>();
    setenv("TMPDIR", scratch_->path().c_str(), 1);  // "ti_tmp.$$$" of this test only
    reporter_ = std::make_unique<test::RecordingReporter>();
    settings_ = Settings{};
    settings_.sortBy = kSortPcName;
    dir_->Write("Korvane.ini", [] {
      const std::string ini =
          "[Ti_Pc_File_Conversion]\r\nDIS/VAR80=txt,AddCrLf\r\n"
          "[Pc_Ti_File_Conversion]\r\n.txt=dis/var80, removecrandorlf\r\n";
      return test::Bytes(ini.begin(), ini.end());
    }());
    dir_->Write("NOTES.dsk", test::DiskBuilder::Sssd("NOTES")
                                 .Add(test::DisVarFile("NOTES", 80, {"LINE ONE", "", "LINE 3"}))
                                 .Add(test::ProgramFile("PROG", test::Bytes(300, 0x11)))
                                 .Build());
    dir_->Write("HELLO", test::V9t9File(test::DisVarFile("HELLO", 80, {"HI"})));
    dir_->Write("poem.txt", {'A', 'B', '\r', '\n', '\r', '\n', 'Z'});
    dir_->Write("second.txt", {'S', '\n'});
    dir_->Mkdir("OUT");
    dir_->Mkdir("SUB");
  }
  void cleanup() {
    reporter_.reset();
    unsetenv("TMPDIR");
    scratch_.reset();
    dir_.reset();
  }

  void tiToPcProposesFromSettingsRefusesAndWritesLines() {
    auto w = Open(dir_->path() + "/OUT");
    EnterImage(*w, kLeft);
    PutCursor(*w, kLeft, "NOTES");
    QVERIFY(Enabled(*w, kCmdTiToPc));
    QVERIFY(!Enabled(*w, kCmdPcToTi));
    QString caption, proposed, firstRefusal, secondRefusal;
    bool nameFocused = false, methodFocused = false;
    Steps(*w, {[&](QWidget* d) {
                 caption = d->windowTitle();
                 proposed = Field(d, "name")->text();
                 QVERIFY(HasLabel(d, "PC-file name"));
                 QCOMPARE(List(d, "type")->currentText(), QString("DIS/VAR"));
                 QCOMPARE(List(d, "recordLength")->currentText(), QString(" 80"));
                 QCOMPARE(List(d, "method")->currentText(), QString("Add CR/LF (EDITOR/ASM)"));
                 QVERIFY(!List(d, "type")->isEnabled() && !List(d, "recordLength")->isEnabled());
                 QVERIFY(List(d, "method")->isEnabled());
                 QVERIFY(!d->findChild<QCheckBox*>()->isEnabled() && !Field(d, "word1")->isEnabled());
                 Field(d, "name")->clear();
                 Click(d, "Convert");
               },
               Acknowledge(&firstRefusal),
               [&](QWidget* d) {
                 nameFocused = d->focusWidget() == Field(d, "name");
                 QTest::keyClicks(Field(d, "name"), "my notes.txt");  // the blank is not taken
                 Choose(d, "method", 0);
                 Click(d, "Convert");
               },
               Acknowledge(&secondRefusal),
               [&](QWidget* d) {
                 methodFocused = d->focusWidget() == List(d, "method");
                 Choose(d, "method", 1);
                 Click(d, "Convert");
               }});
    w->Actions(kCmdTiToPc).front()->trigger();
    QCOMPARE(caption, QString("Convert TI file [NOTES] to"));
    QCOMPARE(proposed, QString("notes.txt"));
    QCOMPARE(firstRefusal, QString("Korvane (error): Please enter a filename"));
    QCOMPARE(secondRefusal, QString("Korvane (error): Please select a conversion methode"));
    QVERIFY(nameFocused && methodFocused);
    const test::Bytes text = test::ReadFile(dir_->path() + "/OUT/mynotes.txt");
    QCOMPARE(std::string(text.begin(), text.end()), std::string("LINE ONE\r\n\r\nLINE 3\r\n"));
    QVERIFY2(RowOf(*w, kRight, "mynotes.txt") >= 0, "the destination pane is re-read");
    QVERIFY(reporter_->errors.empty());
  }

  void archiveMemberIsExtractedBeforeItsRecordsAreConverted() {
    dir_->Write("ARCH",
                test::V9t9File(test::ArchiveFile("ARCH", {test::DisVarFile("ONE", 80, {"1", "22"})}, true)));
    auto w = Open(dir_->path() + "/OUT");
    PutCursor(*w, kLeft, "ARCH");
    w->Cmds().OpenRow();
    QCOMPARE(Pane(*w, kLeft).state.locationType, kLocArchive);
    PutCursor(*w, kLeft, "ONE");
    Steps(*w, {[](QWidget* d) { Click(d, "Convert"); }});
    QTest::keyClick(w.get(), Qt::Key_F6, Qt::ControlModifier);
    const test::Bytes text = test::ReadFile(dir_->path() + "/OUT/one.txt");
    QCOMPARE(std::string(text.begin(), text.end()), std::string("1\r\n22\r\n"));
    QVERIFY(reporter_->errors.empty());
  }

  void programRowConvertsOnlyWithAMethodFromTheSettings() {
    auto w = Open(dir_->path() + "/OUT");
    EnterImage(*w, kLeft);
    PutCursor(*w, kLeft, "PROG");
    QString refusal;
    bool methodLocked = false, lengthEmpty = false;
    Steps(*w, {[&](QWidget* d) {
                 methodLocked = !List(d, "method")->isEnabled() && List(d, "method")->currentIndex() == 0;
                 lengthEmpty = List(d, "recordLength")->currentIndex() == -1;
                 QCOMPARE(Field(d, "name")->text(), QString("prog"));
                 Click(d, "Convert");
               },
               Acknowledge(&refusal), [](QWidget* d) { Click(d, "Cancel"); }});
    QTest::keyClick(w.get(), Qt::Key_F6, Qt::ControlModifier);
    QVERIFY(methodLocked && lengthEmpty);
    QCOMPARE(refusal, QString("Korvane (error): Please select a conversion methode"));
    QVERIFY(!QFile::exists(QString::fromStdString(dir_->path() + "/OUT/prog")));
  }

  void pcToTiFollowsTypeRulesFiltersAndWritesRecords() {
    auto w = Open(dir_->path() + "/OUT");
    PutCursor(*w, kLeft, "poem.txt");
    QVERIFY(Enabled(*w, kCmdPcToTi));
    QString caption, refusal;
    bool lengthFocused = false;
    Steps(*w, {[&](QWidget* d) {
                 caption = d->windowTitle();
                 QVERIFY(HasLabel(d, "TI-file name"));
                 QCOMPARE(Field(d, "name")->text(), QString("POEM"));
                 QCOMPARE(List(d, "type")->currentText(), QString("DIS/VAR"));
                 QCOMPARE(List(d, "recordLength")->currentText(), QString(" 80"));
                 QCOMPARE(List(d, "method")->currentText(), QString("Remove CR and/or LF (EDITOR/ASM)"));
                 auto* box = d->findChild<QCheckBox*>();
                 QCOMPARE(box->text(), QString("Add  3 words (6 bytes) data header"));
                 QVERIFY(!box->isEnabled() && !Field(d, "word1")->isEnabled());
                 Field(d, "name")->clear();
                 QTest::keyClicks(Field(d, "name"), "A.B");
                 QCOMPARE(Field(d, "name")->text(), QString("AB"));

                 // PROGRAM: no record length, binary only, the data header on offer.
                 Choose(d, "type", kPcTiProgram);
                 QCOMPARE(List(d, "recordLength")->currentIndex(), -1);
                 QVERIFY(!List(d, "recordLength")->isEnabled());
                 QCOMPARE(List(d, "method")->currentIndex(), int{kPcTiBinary});
                 QVERIFY(!List(d, "method")->isEnabled());
                 QVERIFY(box->isEnabled() && !Field(d, "word3")->isEnabled());
                 box->click();
                 QVERIFY(Field(d, "word3")->isEnabled());
                 QTest::keyClicks(Field(d, "word1"), "1g2x34");
                 QCOMPARE(Field(d, "word1")->text(), QString("1234"));

                 // Back to records: a length is asked for again.
                 Choose(d, "type", kPcTiDisVar);
                 QCOMPARE(List(d, "recordLength")->currentIndex(), 0);
                 QVERIFY(List(d, "recordLength")->isEnabled() && List(d, "method")->isEnabled());
                 QVERIFY(!box->isEnabled() && !Field(d, "word1")->isEnabled());
                 Choose(d, "recordLength", 255);
                 Choose(d, "method", kPcTiRemoveCrLf);
                 Click(d, "Convert");
               },
               Acknowledge(&refusal),
               [&](QWidget* d) {
                 lengthFocused = d->focusWidget() == List(d, "recordLength");
                 Choose(d, "recordLength", 80);
                 Click(d, "Convert");
               }});
    QTest::keyClick(w.get(), Qt::Key_F6, Qt::ControlModifier);
    QCOMPARE(caption, QString("Convert PC file [poem.txt] to"));
    QCOMPARE(
        refusal,
        QString(
            "Korvane (error): Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes"));
    QVERIFY(lengthFocused);

    // Header: name, DIS/VAR, 255 / 81 records per sector, 1 sector, end mark
    // at 6, length 80, level 3 = 1 sector (low byte first).
    const test::Bytes b = test::ReadFile(dir_->path() + "/OUT/AB");
    QCOMPARE(b.size(), size_t{128 + 256});
    const test::Bytes header{'A', 'B', ' ',  ' ', ' ', ' ', ' ', ' ', ' ', ' ',
                             0,   0,   0x80, 3,   0,   1,   6,   80,  1,   0};
    QCOMPARE(test::Bytes(b.begin(), b.begin() + 20), header);
    QCOMPARE(test::Bytes(b.begin() + 128, b.begin() + 135), kPoemRecords);
    QVERIFY(RowOf(*w, kRight, "AB") >= 0);
    QVERIFY(reporter_->errors.empty());
  }

  void copyIntoAnImageConvertsPcFilesAndCancelSkipsOnlyThatFile() {
    auto w = Open(dir_->path());
    EnterImage(*w, kRight);
    PutCursor(*w, kLeft, "poem.txt");
    QString caption;
    Steps(*w, {[](QWidget* d) { Click(d, "Copy"); },
               [&](QWidget* d) {
                 caption = d->windowTitle();
                 Click(d, "Convert");
               }});
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(caption, QString("Convert PC file [poem.txt] to"));
    const test::Bytes image = test::ReadFile(dir_->path() + "/NOTES.dsk");
    QCOMPARE(test::CheckFloppyConsistency(image), std::vector<std::string>{});
    const test::Bytes poem = test::ReadFileThroughChain(image, "POEM");
    QVERIFY(poem.size() >= 7);
    QCOMPARE(test::Bytes(poem.begin(), poem.begin() + 7), kPoemRecords);
    std::string problems;
    for (const std::string& p : test::ImgtoolDifferences(dir_->path() + "/NOTES.dsk", test::FilesOnImage(image)))
      problems += p + "\n";
    QVERIFY2(problems.empty(), problems.c_str());
    const int row = RowOf(*w, kRight, "POEM");
    QVERIFY(row >= 0);
    QCOMPARE(Pane(*w, kRight).state.rows[static_cast<size_t>(row)].kind, uint16_t{kKindDisVar});
    QVERIFY(reporter_->errors.empty());

    // Two files marked; Cancel in the first one's dialog skips that file and
    // the copy goes on: the second is converted and added, and both rows
    // are unmarked as processed.
    for (CatalogEntry& r : Pane(*w, kLeft).state.rows)
      r.marked = r.sourceName == "poem.txt" || r.sourceName == "second.txt";
    QString secondCaption;
    Steps(*w, {[](QWidget* d) { Click(d, "Copy"); }, [](QWidget* d) { Click(d, "Cancel"); },
               [&](QWidget* d) {
                 secondCaption = d->windowTitle();
                 Click(d, "Convert");
               }});
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(secondCaption, QString("Convert PC file [second.txt] to"));
    QVERIFY(RowOf(*w, kRight, "SECOND") >= 0);
    QCOMPARE(Pane(*w, kLeft).state.MarkedCount(), 0);
    const test::Bytes after = test::ReadFile(dir_->path() + "/NOTES.dsk");
    QCOMPARE(test::CheckFloppyConsistency(after), std::vector<std::string>{});
    QCOMPARE(test::ReadFileThroughChain(after, "POEM"), poem);  // the cancelled file was not written again
    QVERIFY(reporter_->errors.empty());
  }

  void convertKeyRefusesOtherRowsAndImageDestinations() {
    auto w = Open(dir_->path());
    // A dialog that should not open is seen (and closed) by a timer that
    // fires in its event loop.
    bool seen = false;
    auto pressCtrlF6 = [&] {
      QTimer::singleShot(0, w.get(), [&seen] {
        if (QWidget* d = QApplication::activeModalWidget()) seen = true, Click(d, "Cancel");
      });
      QTest::keyClick(w.get(), Qt::Key_F6, Qt::ControlModifier);
    };
    PutCursor(*w, kLeft, "SUB");
    pressCtrlF6();
    QCOMPARE(reporter_->errors.size(), size_t{1});
    QVERIFY(QString::fromStdString(reporter_->errors[0]).contains("Can only convert TI-files to PC-files"));

    EnterImage(*w, kRight);
    for (const char* name : {"HELLO", "poem.txt"}) {
      PutCursor(*w, kLeft, name);
      pressCtrlF6();
    }
    QTest::qWait(50);
    QVERIFY(!seen);
    QCOMPARE(reporter_->errors.size(), size_t{3});
    for (size_t i : {1u, 2u})
      QVERIFY(QString::fromStdString(reporter_->errors[i])
                  .contains("Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card"));
  }
};

QTEST_MAIN(ConvertDialogTest)
#include "convert_dialog_test.moc"
