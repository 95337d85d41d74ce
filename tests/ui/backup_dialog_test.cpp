// Backup and Restore from the main window against files standing in for
// removable drives: the labels, the refusals, the remembered folders, a
// backup restored onto another card, and Cancel in the middle of a run.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <sys/stat.h>

#include "card_ui_support.h"
#include "platform/ini_file.h"
#include "support/card_builder.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"
#include "main_window_support.h"
#include "ui/backup_dialog.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

using namespace korvane;
using namespace korvane::ui;
using test::Bytes;
using test::WhenUp;

namespace {

uint64_t FileSize(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

}  // namespace

class BackupDialogTest : public QObject, private test::MainWindowScene {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> Open() { return test::OpenMainWindow(settings_, *dir_, dir_->path()); }
  std::string Ini() const { return dir_->path() + "/Korvane.ini"; }

 private slots:
  void init() {
    Begin();
  }
  void cleanup() {
    End();
  }

  void cardBackupRestoredOntoAnotherCardGivesTheSameSectors() {
    const Bytes source = test::RawCard(test::TwoVolumeCard());
    const test::HdImage hd = test::HardDiskBuilder("HARDONE", 400, 2).Build();
    test::DriveStandIns drives(*dir_, {{"card.raw", source},
                                       {"hd.raw", hd.bytes},
                                       {"target.raw", Bytes(source.size() + 512 * 40, 0x11)},
                                       {"small.raw", Bytes(source.size() - 512, 0x33)}});
    auto w = Open();
    const std::string image = dir_->path() + "/my card.cf7";
    QStringList labels;
    QString title, action, clearedTo = "not cleared";
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      title = d->windowTitle();
      action = d->ActionButton()->text();
      for (int i = 0; i < d->Drives()->count(); ++i) labels << d->Drives()->itemText(i);
      test::Press(d, "Save disk image");  // no drive chosen
      d->Drives()->setCurrentIndex(0);
      test::Press(d, "Save disk image");  // no name
      d->ImageName()->setText(QString::fromStdString(image));
      d->Drives()->setCurrentIndex(1);  // another drive: the name goes
      clearedTo = d->ImageName()->text();
      d->Drives()->setCurrentIndex(0);
      d->ImageName()->setText(QString::fromStdString(image));
      test::Press(d, "Save disk image");
    });
    w->Actions(kCmdBackupDrive).front()->trigger();
    QCOMPARE(title, QString("Backup Scsi / Ide / Wds or Cf7a+ disk image"));
    QCOMPARE(action, QString("Save disk image"));
    QCOMPARE(labels.size(), 4);
    QCOMPARE(labels[0], QString("A: CF7A+     [1Mb] [CARDONE   ]"));
    QCOMPARE(labels[1], QString("B: DSKIMG [0Mb] [HARDONE   ]"));
    QCOMPARE(clearedTo, QString());
    QCOMPARE(reporter_->questions.size(), size_t{2});
    QCOMPARE(reporter_->questions[0].text, std::string("Select a disk to save."));
    QCOMPARE(reporter_->questions[1].text, std::string("Select a filename for the image to save."));
    QVERIFY(reporter_->errors.empty());
    QCOMPARE(test::ReadFile(image), test::CardImageFile("MY CARD", test::TwoVolumeCard()));
    // The pane showing the folder lists the new image.
    bool listed = false;
    for (const CatalogEntry& r : w->Cmds().Pane(kLeft).state.rows)
      listed = listed || (r.sourceName == "my card.cf7" && r.kind == kKindCardImg);
    QVERIFY(listed);

    // Restored onto the third drive: the card's sectors, mount record
    // included; the rest of the larger drive is untouched.
    reporter_->questions.clear();
    QStringList restoreLabels;
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      title = d->windowTitle();
      for (int i = 0; i < d->Drives()->count(); ++i) restoreLabels << d->Drives()->itemText(i);
      d->Drives()->setCurrentIndex(2);
      test::Press(d, "Restore disk image");  // no image
      d->ImageName()->setText(QString::fromStdString(image));
      test::Press(d, "Restore disk image");
    });
    w->Actions(kCmdRestoreDrive).front()->trigger();
    QCOMPARE(title, QString("Restore Scsi / Ide / Wds or Cf7a+ disk image"));
    QCOMPARE(restoreLabels[0], QString("A: CF7A+      [1Mb] [CARDONE   ]"));
    QCOMPARE(reporter_->questions.size(), size_t{1});
    QCOMPARE(reporter_->questions[0].text, std::string("Select an image to restore."));
    QVERIFY(reporter_->errors.empty());
    const Bytes restored = test::ReadFile(drives.paths[2]);
    const Bytes sectors = test::CompactRawCard(source);
    const Bytes compact = test::CompactRawCard(restored);
    QVERIFY(std::equal(sectors.begin(), sectors.end(), compact.begin()));
    QCOMPARE(restored[source.size()], uint8_t{0x11});

    // A drive too small for the image: the message comes from the copy's
    // thread to the window, and nothing is written.
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      d->Drives()->setCurrentIndex(3);
      d->ImageName()->setText(QString::fromStdString(image));
      test::Press(d, "Restore disk image");
    });
    w->Actions(kCmdRestoreDrive).front()->trigger();
    QCOMPARE(reporter_->errors.size(), size_t{1});
    QVERIFY2(reporter_->errors[0].find("Not enough capacity on TI disk <E:>") == 0, reporter_->errors[0].c_str());
    QCOMPARE(test::ReadFile(drives.paths[3]), Bytes(source.size() - 512, 0x33));
  }

  void hardDiskBackupCopiesTheFormattedSize() {
    const test::HdImage hd = test::HardDiskBuilder("HARDONE", 400, 2).Build();
    Bytes drive = hd.bytes;
    drive.resize(drive.size() + 512 * 10, 0x77);  // past the TI disk: not saved
    test::DriveStandIns drives(*dir_, {{"hd.raw", drive}});
    auto w = Open();
    const std::string image = dir_->path() + "/hd.img";
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      QCOMPARE(d->Drives()->currentIndex(), 0);  // the only drive is chosen
      d->ImageName()->setText(QString::fromStdString(image));
      test::Press(d, "Save disk image");
    });
    w->Actions(kCmdBackupDrive).front()->trigger();
    QVERIFY(reporter_->errors.empty());
    QCOMPARE(test::ReadFile(image), hd.bytes);
  }

  void cancelStopsBetweenSectorsAndTheWindowKeepsGoing() {
    // A card of 256 MB (sparse): many runs of sectors.
    Bytes card = test::RawCard([] {
      test::CardLayout l;
      l.volumes = {test::FormattedVolume("BIGCARD")};
      return l;
    }());
    test::DriveStandIns drives(*dir_, {{"big.raw", card}});
    test::MakeSparseFile(drives.paths[0], uint64_t{256} << 20);
    auto w = Open();
    const std::string image = dir_->path() + "/big.cf7";
    BackupResult result = BackupResult::Done;
    QString seen;
    int ticks = 0;
    qint64 answeredIn = -1;
    QElapsedTimer clock;
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      d->ImageName()->setText(QString::fromStdString(image));
      // While the copy runs the window's timers fire; Cancel is pressed
      // once the text shows a sector past the first run.
      auto* poll = new QTimer(d);
      QObject::connect(poll, &QTimer::timeout, d, [&, d, poll] {
        ++ticks;
        const QString text = d->ProgressText()->text();
        if (!d->Running() || !text.startsWith("reading sector ") || text.startsWith("reading sector 0 ")) return;
        seen = text;
        poll->stop();
        clock.start();
        test::Press(d, "Cancel");
      });
      poll->start(5);
      QObject::connect(d, &QDialog::finished, [&, d] {
        answeredIn = clock.isValid() ? clock.elapsed() : -1;
        result = d->Result();
      });
      test::Press(d, "Save disk image");
    });
    w->Actions(kCmdBackupDrive).front()->trigger();
    QVERIFY2(!seen.isEmpty(), "the progress text showed the sectors");
    QVERIFY(seen.endsWith(QString(" of %1").arg((uint64_t{256} << 20) / 512)));
    QVERIFY(ticks > 1);
    QCOMPARE(static_cast<int>(result), static_cast<int>(BackupResult::Cancelled));
    QVERIFY2(answeredIn >= 0 && answeredIn < 1000, qPrintable(QString::number(answeredIn)));
    // Whole runs of sectors were written, not the whole card.
    const uint64_t size = FileSize(image);
    QVERIFY(size > 128 && size < 128 + (uint64_t{256} << 20) / 2);
    QCOMPARE((size - 128) % (2048 * 256), uint64_t{0});
    QVERIFY(reporter_->errors.empty());
  }

  void fileDialogStartsInTheRememberedFolderAndRemembersTheNewOne() {
    test::DriveStandIns drives(*dir_, {{"card.raw", test::RawCard(test::TwoVolumeCard())}});
    const std::string images = dir_->Mkdir("images");
    const std::string other = dir_->Mkdir("other");
    IniFile ini;
    ini.SetString("Korvane", "cf7a_img_path", images);
    QVERIFY(ini.Save(Ini()));
    auto w = Open();
    QString fileTitle, startFolder, chosen;
    WhenUp<BackupDialog>([&](BackupDialog* d) {
      WhenUp<QFileDialog>([&](QFileDialog* f) {
        fileTitle = f->windowTitle();
        startFolder = f->directory().absolutePath();
        // Typed as a user would: selectFile() leaves the name field alone
        // once it has the focus, which the dialog gives it when it shows.
        f->setDirectory(QString::fromStdString(other));
        auto* name = f->findChild<QLineEdit*>("fileNameEdit");
        QVERIFY(name);
        name->setText("new.cf7");
        QMetaObject::invokeMethod(f, "accept");
      });
      d->Browse();
      chosen = d->ImageName()->text();
      test::Press(d, "Cancel");
    });
    w->Actions(kCmdBackupDrive).front()->trigger();
    QCOMPARE(fileTitle, QString("Save Cf7a+ image as ..."));
    QCOMPARE(startFolder, QString::fromStdString(images));
    QCOMPARE(chosen, QString::fromStdString(other + "/new.cf7"));
    IniFile after;
    after.Load(Ini());
    QCOMPARE(after.GetString("Korvane", "cf7a_img_path"), other);
    QCOMPARE(after.GetString("Korvane", "hdsk_img_path", "none"), std::string("none"));
  }
};

QTEST_MAIN(BackupDialogTest)
#include "backup_dialog_test.moc"
