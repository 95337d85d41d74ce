// The CF7A+ card commands driven from the main window against files that
// stand in for card readers: reading a card's volume list, initializing a
// volume, the mount record, F5 onto and off volumes, and the greying of the
// card items.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "catalog/sort.h"
#include "card_ui_support.h"
#include "harddisk/cf7_volumes.h"
#include "support/card_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"
#include "support/recording_reporter.h"
#include "main_window_support.h"
#include "ui/card_copy_dialog.h"
#include "ui/card_format_dialog.h"
#include "ui/card_mount_dialog.h"
#include "ui/card_reader_dialog.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"
#include "ui/operation_dialog.h"

using namespace korvane;
using namespace korvane::ui;
using test::Enabled;
using test::PutCursor;
using test::Bytes;
using test::WhenUp;

namespace {

// TI sectors `first` .. first + count - 1 of a card image file.
Bytes ImageSectors(const Bytes& image, uint64_t first, uint64_t count) {
  return test::Slice(image, 128 + first * 256, count * 256);
}

}  // namespace

class CardDialogsTest : public QObject, private test::MainWindowScene {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> Open() { return test::OpenMainWindow(settings_, *dir_, dir_->path()); }
  static PaneState& Pane(MainWindow& w, int side) { return w.Cmds().Pane(side).state; }
  static const CatalogEntry* Row(MainWindow& w, int side, const std::string& sourceName) {
    for (const CatalogEntry& r : Pane(w, side).rows)
      if (r.sourceName == sourceName) return &r;
    return nullptr;
  }
  // Reads the card in the stand-in drive A: into the active pane.
  void ReadCardA(MainWindow& w) {
    WhenUp<CardReaderDialog>([](CardReaderDialog* d) {
      d->Drives()->setCurrentIndex(0);
      test::Press(d, "OK");
    });
    w.Actions(kCmdReadCardDrive).front()->trigger();
    QCOMPARE(Pane(w, w.Cmds().ActiveSide()).locationType, kLocCardDrive);
  }

 private slots:
  void init() {
    Begin();
    settings_.sortBy = kSortPcName;
  }
  void cleanup() {
    End();
  }

  void cardReaderListsTheDrivesAndReadsTheChosenCardIntoThePane() {
    test::DriveStandIns drives(*dir_, {{"card.raw", test::RawCard(test::TwoVolumeCard())}, {"pc.raw", Bytes(512 * 64, 0)}});
    auto w = Open();
    const size_t before = static_cast<size_t>(Pane(*w, kLeft).RowCount());
    QStringList labels;
    WhenUp<CardReaderDialog>([this, &labels](CardReaderDialog* d) {
      QCOMPARE(d->windowTitle(), QString("Read Cf7a+ card"));
      for (int i = 0; i < d->Drives()->count(); ++i) labels << d->Drives()->itemText(i);
      // Two drives: none is chosen for the user.
      QCOMPARE(d->Drives()->currentIndex(), -1);
      test::Press(d, "OK");
      // The PC-formatted drive asks first; "No" returns to the list.
      d->Drives()->setCurrentIndex(1);
      test::Press(d, "OK");
      QVERIFY(d->isVisible());
      QCOMPARE(reporter_->questions.size(), size_t{2});
      d->Drives()->setCurrentIndex(0);
      test::Press(d, "OK");
    });
    w->Actions(kCmdReadCardDrive).front()->trigger();
    QCOMPARE(labels, QStringList({"A: CF7A+ [1Mb] [CARDONE   ]", "B: FAT [0Mb] [-         ]"}));
    QCOMPARE(reporter_->questions[0].text, std::string("Select a CF7A+ disk to read."));
    QVERIFY(reporter_->questions[1].text.find("PC formatted storage device") != std::string::npos);

    const PaneState& p = Pane(*w, kLeft);
    QCOMPARE(p.locationType, kLocCardDrive);
    QCOMPARE(p.RowCount(), 3);  // "..", and the two whole volumes (the 5 sectors after them are no volume)
    QCOMPARE(w->LocationLineOf(kLeft)->text(), QString(" A: CF7A+ [1Mb]"));
    QCOMPARE(Row(*w, kLeft, "VOL #0001")->tiName, std::string("CARDONE   "));
    QCOMPARE(Row(*w, kLeft, "VOL #0002")->kind, uint16_t{kKindCardDrive});
    QVERIFY(reporter_->errors.empty());

    // ".." leads back to the directory the pane came from.
    Pane(*w, kLeft).cursor = 0;
    QTest::keyClick(w.get(), Qt::Key_Return);
    QCOMPARE(Pane(*w, kLeft).locationType, kLocPcDirectory);
    QCOMPARE(static_cast<size_t>(Pane(*w, kLeft).RowCount()), before);
    QCOMPARE(w->LocationLineOf(kLeft)->text(), QString::fromStdString(" " + dir_->path()));
  }

  void noCardDriveIsAWarningAndNoDialog() {
    // A drive that cannot be read is left out of the list.
    test::DriveStandIns drives(*dir_, {});
    ::setenv("KORVANE_DRIVES", (dir_->path() + "/gone.raw").c_str(), 1);
    auto w = Open();
    w->Actions(kCmdReadCardDrive).front()->trigger();
    QCOMPARE(reporter_->questions.size(), size_t{1});
    QCOMPARE(reporter_->questions[0].text, std::string("No physical drive with a CF7A+ image found."));
    QCOMPARE(Pane(*w, kLeft).locationType, kLocPcDirectory);
  }

  void initializeWritesAFreshVolumeOntoTheCardInTheDrive() {
    test::DriveStandIns drives(*dir_, {{"card.raw", test::RawCard(test::TwoVolumeCard())}});
    auto w = Open();
    ReadCardA(*w);
    Pane(*w, kLeft).cursor = 0;
    QVERIFY2(!Enabled(*w, kCmdInitCardVolume), "not on the \"..\" row");
    PutCursor(*w, kLeft, "VOL #0002");
    QVERIFY(Enabled(*w, kCmdInitCardVolume));
    QString title, checked;
    bool geometryFixed = true;
    WhenUp<FormatDialog>([&](FormatDialog* d) {
      title = d->windowTitle();
      for (QAbstractButton* b : d->Choices()->buttons()) {
        geometryFixed = geometryFixed && !b->isEnabled();
        if (b->isChecked()) checked = b->text();
      }
      QTest::keyClicks(d->Label(), "new vol.x");  // blanks and dots are not taken
      test::Press(d, "Initialize");
    });
    w->Actions(kCmdInitCardVolume).front()->trigger();
    QCOMPARE(title, QString("Format CF7A+ Volume #0002"));
    QVERIFY(geometryFixed);
    QCOMPARE(checked, QString("CF7A+: 40 tracks 20 sectors/track 1600 sectors"));
    QVERIFY(reporter_->errors.empty());

    const Bytes raw = test::ReadFile(drives.paths[0]);
    const Bytes card = test::CompactRawCard(raw);
    const Bytes volume = test::Slice(card, 1600 * 256, 1600 * 256);
    QCOMPARE(std::string(volume.begin(), volume.begin() + 10), std::string("NEWVOLX   "));
    QCOMPARE(test::CheckFloppyConsistency(volume), std::vector<std::string>{});
    QCOMPARE(volume[2 * 256 + 17], uint8_t{0xE5});
    QCOMPARE(raw[1600 * 512 + 1], uint8_t{0xE4});  // filler of a volume's first sector
    QCOMPARE(raw[1601 * 512 + 1], uint8_t{0xE5});
    // Volume 1 and the mount record are untouched.
    QCOMPARE(test::Slice(card, 0, 1600 * 256), test::Slice(test::CompactRawCard(test::RawCard(test::TwoVolumeCard())), 0, 1600 * 256));
    QCOMPARE(Row(*w, kLeft, "VOL #0002")->tiName, std::string("NEWVOLX   "));
  }

  void mountRecordIsSetThroughTheDialogOnAnImageAndOnACard() {
    const std::string image = dir_->Write("CARD.cf7", test::CardImageFile("CARD", test::TwoVolumeCard()));
    test::DriveStandIns drives(*dir_, {{"card.raw", test::RawCard(test::TwoVolumeCard())}});
    auto w = Open();
    PutCursor(*w, kLeft, "CARD.cf7");
    QVERIFY(Enabled(*w, kCmdMountCardVolumes));
    QVERIFY2(!Enabled(*w, kCmdInitCardVolume), "a PC directory is no volume list");

    for (int pass = 0; pass < 2; ++pass) {
      QStringList items;
      std::array<int, 3> startedAt{};
      WhenUp<CardMountDialog>([&](CardMountDialog* d) {
        QCOMPARE(d->windowTitle(), QString("Mount CF7A+ volumes"));
        for (int i = 0; i < d->Drive(0)->count(); ++i) items << d->Drive(0)->itemText(i);
        for (int k = 0; k < 3; ++k) startedAt[static_cast<size_t>(k)] = d->Drive(k)->currentIndex();
        d->Drive(0)->setCurrentIndex(0);
        d->Drive(2)->setCurrentIndex(2);
        test::Press(d, "Mount");
      });
      w->Actions(kCmdMountCardVolumes).front()->trigger();
      QCOMPARE(items, QStringList({"--UNDEFINED--", "VOL #001: CARDONE   ", "VOL #002: CARDTWO   "}));
      QCOMPARE(startedAt, (std::array<int, 3>{2, 1, 0}));
      if (pass == 0) {
        const Bytes header = test::Slice(test::ReadFile(image), 20, 8);
        QCOMPARE(header, (Bytes{0xAA, 0x03, 0, 0, 0, 1, 0, 2}));
        ReadCardA(*w);  // the same on the card in drive A:
        QVERIFY(Enabled(*w, kCmdMountCardVolumes));
      } else {
        const Bytes raw = test::ReadFile(drives.paths[0]);
        QCOMPARE(test::Slice(test::CompactRawCard(raw), 20, 8), (Bytes{0xAA, 0x03, 0, 0, 0, 1, 0, 2}));
        QCOMPARE(raw[41], uint8_t{0xE4});
      }
    }
    QVERIFY(reporter_->errors.empty());
  }

  void f5CopiesAnImageOntoTheChosenVolumeAndTheVolumeBackOut() {
    const Bytes games = test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI", "THERE"})).Build();
    dir_->Write("GAMES.dsk", games);
    const std::string image = dir_->Write("CARD.cf7", test::CardImageFile("CARD", test::TwoVolumeCard()));
    auto w = Open();
    // Right pane: the card image's volume list; left: the directory.
    w->Cmds().Activate(kRight);
    PutCursor(*w, kRight, "CARD.cf7");
    QTest::keyClick(w.get(), Qt::Key_Return);
    QCOMPARE(Pane(*w, kRight).locationType, kLocCardImage);
    w->Cmds().Activate(kLeft);
    PutCursor(*w, kLeft, "GAMES.dsk");
    QVERIFY(Enabled(*w, kCmdCopy));

    QString text;
    QStringList volumes;
    bool autoShown = false;
    WhenUp<CardCopyDialog>([&](CardCopyDialog* d) {
      text = d->Text()->text();
      for (int i = 0; i < d->Volume()->count(); ++i) volumes << d->Volume()->itemText(i);
      autoShown = d->AutoCopy()->isVisibleTo(d);
      d->Volume()->setCurrentIndex(1);  // As volume # 2
      test::Press(d, "Copy");
    });
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(text, QString("Copy DSK image <GAMES> to"));
    QCOMPARE(volumes, QStringList({" 1", " 2"}));
    QVERIFY(autoShown);
    QVERIFY(reporter_->errors.empty());

    // Volume 2: the 360 sectors, then E5h; the VIB says 1600 sectors.
    const Bytes card = test::ReadFile(image);
    const Bytes volume = ImageSectors(card, 1600, 1600);
    QCOMPARE(volume[10] * 256 + volume[11], 1600);
    QCOMPARE(test::Slice(volume, 256, 359 * 256), test::Slice(games, 256, 359 * 256));
    QCOMPARE(volume[360 * 256], uint8_t{0xE5});
    QCOMPARE(test::CheckFloppyConsistency(volume), std::vector<std::string>{});
    QCOMPARE(test::ReadFileThroughChain(volume, "README"), test::ReadFileThroughChain(games, "README"));
    QCOMPARE(test::Slice(card, 0, 128 + 1600 * 256), test::Slice(test::CardImageFile("CARD", test::TwoVolumeCard()), 0, 128 + 1600 * 256));
    QCOMPARE(Row(*w, kRight, "VOL #002")->tiName, std::string("GAMES     "));

    // Volume 2 back out: the same 360-sector image, into the directory (an
    // existing file is replaced when the user says so).
    w->Cmds().Activate(kRight);
    PutCursor(*w, kRight, "VOL #002");
    reporter_->answers = {Answer::Yes};
    QString outText;
    WhenUp<OperationDialog>([&outText](OperationDialog* d) {
      outText = d->findChild<QLabel*>()->text();
      test::Press(d, "Copy");
    });
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(outText, QString("Copy DSK image <GAMES> to"));
    QCOMPARE(reporter_->questions.size(), size_t{1});
    QCOMPARE(reporter_->questions[0].text, std::string("DSK image <GAMES> allready exist. Overwrite?"));
    QVERIFY(reporter_->errors.empty());
    const Bytes out = test::ReadFile(dir_->path() + "/GAMES.dsk");
    QCOMPARE(out, games);
    QVERIFY(Row(*w, kLeft, "GAMES.dsk") != nullptr);
    QCOMPARE(test::ImgtoolDifferences(dir_->path() + "/GAMES.dsk", test::FilesOnImage(out)), std::vector<std::string>{});

    // Both volumes marked, "No" for the existing GAMES.dsk: it is skipped
    // and the next volume still goes out.
    reporter_->questions.clear();
    reporter_->answers = {Answer::No};
    for (CatalogEntry& r : Pane(*w, kRight).rows) r.marked = r.kind == kKindCardVolume;
    WhenUp<OperationDialog>([](OperationDialog* d) { test::Press(d, "Copy"); });
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(reporter_->questions.size(), size_t{1});
    QCOMPARE(test::ReadFile(dir_->path() + "/GAMES.dsk"), games);
    // That volume's VIB marks its sectors past 720 as used, so it cannot
    // shrink: all 1600 sectors go out, the data as it was.
    const Bytes one = test::ReadFile(dir_->path() + "/CARDONE.dsk");
    QCOMPARE(one.size(), size_t{1600 * 256});
    QCOMPARE(test::Slice(one, 256, 719 * 256), test::Slice(test::TwoVolumeCard().volumes[0], 256, 719 * 256));
    QCOMPARE(test::ReadFileThroughChain(one, "README"), test::ReadFileThroughChain(test::TwoVolumeCard().volumes[0], "README"));
    for (const CatalogEntry& r : Pane(*w, kRight).rows) QVERIFY(!r.marked);
    QVERIFY(reporter_->errors.empty());
  }

  void autoCopyFillsTheCardThenSaysItIsFullAndWaits() {
    dir_->Write("A1.dsk", test::DiskBuilder::Sssd("A1").Build());
    dir_->Write("A2.dsk", test::DiskBuilder::Sssd("A2").Build());
    dir_->Write("A3.dsk", test::DiskBuilder::Sssd("A3").Build());
    test::DriveStandIns drives(*dir_, {{"card.raw", test::RawCard(test::TwoVolumeCard())}});
    auto w = Open();
    w->Cmds().Activate(kRight);
    ReadCardA(*w);  // reads into the active pane
    QCOMPARE(Pane(*w, kRight).locationType, kLocCardDrive);
    w->Cmds().Activate(kLeft);
    for (CatalogEntry& r : Pane(*w, kLeft).rows) r.marked = r.sourceName != "A2.dsk" && r.kind == kKindDsk;
    PutCursor(*w, kLeft, "A2.dsk");  // the cursor row is not copied when rows are marked

    QString waitingText;
    int waitingAt = -1;
    WhenUp<CardCopyDialog>([&](CardCopyDialog* d) {
      d->AutoCopy()->setChecked(true);
      d->Volume()->setCurrentIndex(1);
      test::Press(d, "Copy");
      // A1 went to volume 2, the last one: the card is full, the choice is
      // back at volume 1 and the dialog waits for the user.
      QTRY_VERIFY(d->CopyButton()->isEnabled());
      waitingText = d->Text()->text();
      waitingAt = d->Volume()->currentIndex();
      test::Press(d, "Copy");
    });
    QTest::keyClick(w.get(), Qt::Key_F5);
    QCOMPARE(waitingText, QString("Copy DSK image <A3> to"));
    QCOMPARE(waitingAt, 0);
    QCOMPARE(reporter_->messages.size(), size_t{1});
    QCOMPARE(reporter_->messages[0].text, std::string("CF7A+ disk full"));
    const Bytes card = test::CompactRawCard(test::ReadFile(drives.paths[0]));
    QCOMPARE(std::string(card.begin() + 1600 * 256, card.begin() + 1600 * 256 + 2), std::string("A1"));
    QCOMPARE(std::string(card.begin(), card.begin() + 2), std::string("A3"));
    // Volume 1 of a card in a drive keeps the card's mount record.
    QCOMPARE(test::Slice(card, 20, 8), (Bytes{0xAA, 0x03, 0, 2, 0, 1, 0, 0}));
    for (const CatalogEntry& r : Pane(*w, kLeft).rows) QVERIFY2(!r.marked, "copied rows are unmarked");
    QCOMPARE(Row(*w, kRight, "VOL #0001")->tiName, std::string("A3        "));
  }

  void cardItemsAreGreyedByTheLocationAndTheCursorRow() {
    dir_->Write("CARD.cf7", test::CardImageFile("CARD", test::TwoVolumeCard()));
    dir_->Write("GAMES.dsk", test::DiskBuilder::Sssd("GAMES").Build());
    dir_->Write("HELLO", test::V9t9File(test::DisVarFile("HELLO", 80, {"HI"})));
    auto w = Open();
    for (int id : {kCmdReadCardDrive, kCmdBackupDrive, kCmdRestoreDrive}) QVERIFY(Enabled(*w, id));
    PutCursor(*w, kLeft, "HELLO");
    QVERIFY(!Enabled(*w, kCmdMountCardVolumes));
    QVERIFY(!Enabled(*w, kCmdInitCardVolume));
    PutCursor(*w, kLeft, "CARD.cf7");
    QVERIFY(Enabled(*w, kCmdMountCardVolumes));
    QVERIFY(Enabled(*w, kCmdShowStructure));

    // Inside the card image: initialize on a volume row only; mount always.
    QTest::keyClick(w.get(), Qt::Key_Return);
    Pane(*w, kLeft).cursor = 0;
    QVERIFY(!Enabled(*w, kCmdInitCardVolume));
    QVERIFY(Enabled(*w, kCmdMountCardVolumes));
    PutCursor(*w, kLeft, "VOL #001");
    QVERIFY(Enabled(*w, kCmdInitCardVolume));
    // Copy onto the card's list: images only.
    w->Cmds().Activate(kRight);
    PutCursor(*w, kRight, "HELLO");
    QVERIFY(!Enabled(*w, kCmdCopy));
    PutCursor(*w, kRight, "GAMES.dsk");
    QVERIFY(Enabled(*w, kCmdCopy));

    // In a volume: the location text names the image and the volume.
    w->Cmds().Activate(kLeft);
    QTest::keyClick(w.get(), Qt::Key_Return);
    QCOMPARE(Pane(*w, kLeft).locationType, kLocCardImageVolume);
    QCOMPARE(w->LocationLineOf(kLeft)->text(), QString::fromStdString(" " + dir_->path() + "/CARD.cf7->CARDONE"));
    QVERIFY(!Enabled(*w, kCmdInitCardVolume));
    QVERIFY(!Enabled(*w, kCmdMountCardVolumes));
  }
};

QTEST_MAIN(CardDialogsTest)
#include "card_dialogs_test.moc"
