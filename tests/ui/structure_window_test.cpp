// The sector-structure windows driven through their public methods: the
// command from the Tools menu, field formats, greyed buttons, navigation
// down to the hex view of a file's block, and windows that do not open.
#include "ui/structure_window.h"

#include <fmt/printf.h>

#include <QApplication>
#include <QStyle>
#include <QTest>

#include "support/card_builder.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"

using namespace korvane;
using namespace korvane::ui;

class StructureWindowTest : public QObject {
  Q_OBJECT

 private:
  static QList<StructureWindow*> OpenStructureWindows() {
    QList<StructureWindow*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* s = qobject_cast<StructureWindow*>(w); s && s->isVisible()) windows << s;
    return windows;
  }

  static void CloseAll() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible()) w->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  static test::Bytes Sectors(uint8_t fill, size_t n) { return test::Bytes(256 * n, fill); }

  // The viewer slots bind to the first settings they see: one object for
  // the whole run.
  Settings settings_;

 private slots:
  void init() { StructureWindow::ResetCascade(); }
  void cleanup() { CloseAll(); }

  void theToolsCommandOpensTheVibAndWalksDownToTheHexView() {
    test::TempDir dir;
    test::TiFile file = test::DisVarFile("LETTER", 80, {});
    file.data = Sectors('a', 6);
    file.fragments = {4, 2};
    dir.Write("work.dsk", test::DiskBuilder::Sssd("WORKDISK").Add(file).Build());
    dir.Write("NOTES", test::V9t9File(test::DisVarFile("NOTES", 80, {"HI"})));
    MainWindow w(settings_, dir.path() + "/Korvane.ini", dir.path(), dir.path());
    w.show();
    w.Cmds().FirstRead();
    test::RecordingReporter reporter;

    PaneState& p = w.Cmds().Pane(kLeft).state;
    for (int i = 0; i < p.RowCount(); ++i)
      if (p.rows[static_cast<size_t>(i)].sourceName == "NOTES") p.cursor = i;
    w.UpdateMenuState();
    QVERIFY(!w.Actions(kCmdShowStructure).front()->isEnabled());
    for (int i = 0; i < p.RowCount(); ++i)
      if (p.rows[static_cast<size_t>(i)].sourceName == "work.dsk") p.cursor = i;
    w.UpdateMenuState();
    QVERIFY(w.Actions(kCmdShowStructure).front()->isEnabled());
    w.Actions(kCmdShowStructure).front()->trigger();

    QCOMPARE(OpenStructureWindows().size(), 1);
    StructureWindow* vib = OpenStructureWindows().front();
    QCOMPARE(vib->windowTitle(), QString("FloppyDisk VIB - Sector >0000"));
    QCOMPARE(vib->FieldText("Total number of sectors"), QString(">0168"));
    QCOMPARE(vib->FieldText("Disk marker 2"), QString(">53 (S)"));
    QCOMPARE(vib->FieldText("Directory 1 FDIR sector"), QString(">0000"));
    QCOMPARE(vib->ListLines().size(), 200);
    QVERIFY(vib->ButtonEnabled(1159));
    QVERIFY(!vib->ButtonEnabled(1166));
    QVERIFY(!vib->ButtonEnabled(1168));
    QVERIFY(!vib->ButtonEnabled(1169));
    QCOMPARE(vib->PressButton(1166), nullptr);

    auto* fdir = qobject_cast<StructureWindow*>(vib->PressButton(1159));
    QVERIFY(fdir);
    QCOMPARE(fdir->windowTitle(), QString("FloppyDisk FDIR - Sector >0001"));
    QCOMPARE(fdir->ListLines().at(0), QString(" 000\t>0002\tLETTER"));
    // Each new window a caption height right and down of the one before.
    const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    QCOMPARE(fdir->pos() - vib->pos(), QPoint(step, step));

    QCOMPARE(fdir->PressButton(1161), nullptr);  // nothing selected yet
    fdir->SelectLine(0);
    auto* fdr = qobject_cast<StructureWindow*>(fdir->PressButton(1161));
    QVERIFY(fdr);
    QCOMPARE(fdr->windowTitle(), QString("FloppyDisk FDR - Sector >0002"));
    QCOMPARE(fdr->FieldText("File name"), QString("LETTER    "));
    QCOMPARE(fdr->FieldText("Number of level 3 records allocated"), QString(">0001"));
    QCOMPARE(fdr->ListLines(), QStringList({">1C\t>022\t>003", ">1F\t>027\t>005"}));
    QVERIFY(fdr->ListEnabled());

    QWidget* hex = fdr->ActivateLine(1);
    QVERIFY(hex);
    QVERIFY(!qobject_cast<StructureWindow*>(hex));
    QVERIFY2(hex->windowTitle().contains("LETTER    : FirstSector: >0027  NumberOfSectors: >0002"),
             qPrintable(hex->windowTitle()));
    QCOMPARE(OpenStructureWindows().size(), 3);  // all three stay open
    QVERIFY(reporter.errors.empty());
  }

  void aPartitionTableLeadsThroughVibDdrAndFdirToAnFdr() {
    test::RecordingReporter reporter;
    test::TempDir dir;
    test::TiFile manual;
    manual.name = "MANUAL";
    manual.recordLength = 128;
    manual.data = Sectors('m', 2);
    test::HardDiskBuilder builder("FIRSTPART", 400);
    builder.Root().AddDir("DOCS").Add(manual);
    const test::HdImage volume = builder.Build();
    const uint16_t ddrAu = volume.dirAu.at("DOCS");
    const std::string image = dir.Write("disk.hd", test::PartitionedImage(201, {{1, volume.bytes}, {201, {}}}));

    auto* pt = qobject_cast<StructureWindow*>(
        StructureWindow::Open(*FirstStructureOf(kKindPtImg, image), settings_, nullptr));
    QVERIFY(pt);
    QCOMPARE(pt->windowTitle(), QString("HardDisk PTI - Sector >0000"));
    QCOMPARE(pt->FieldText("Partition 1 : offset"), QString(">00000001"));
    QCOMPARE(pt->FieldText("Table marker 1"), QString(">50 (P)"));
    QVERIFY(pt->ButtonEnabled(1236));
    QVERIFY(!pt->ButtonEnabled(1237));  // an offset but no size
    QVERIFY(!pt->ButtonEnabled(1238));

    auto* vib = qobject_cast<StructureWindow*>(pt->PressButton(1236));
    QVERIFY(vib);
    QCOMPARE(vib->FieldText("Volume name"), QString("FIRSTPART "));
    QCOMPARE(vib->FieldText("Date and time of creation"), QString(">5A3C2C6F (hms) 11:17:56 (ymd) 22-03-15"));
    QVERIFY(!vib->ButtonEnabled(1190));
    vib->SelectLine(0);
    auto* ddr = qobject_cast<StructureWindow*>(vib->PressButton(1196));
    QVERIFY(ddr);
    QCOMPARE(ddr->windowTitle(),
             QString::fromStdString(fmt::sprintf("HardDisk DDR - AU >%04X - Sector >%04X", ddrAu, ddrAu)));
    auto* fdir = qobject_cast<StructureWindow*>(ddr->PressButton(1209));
    QVERIFY(fdir);
    auto* fdr = qobject_cast<StructureWindow*>(fdir->ActivateLine(0));
    QVERIFY(fdr);
    QCOMPARE(fdr->FieldText("File name"), QString("MANUAL    "));
    QCOMPARE(fdr->FieldText("FDR marker 2"), QString(">49 (I)"));
    QCOMPARE(fdr->FieldText("Date and time of last update"),
             QString(">5A3C2C6F (hms) 11:17:56 (ymd) 22-03-15"));
    QWidget* hex = fdr->ActivateLine(0);
    QVERIFY(hex);
    QVERIFY(hex->windowTitle().contains("MANUAL    : FirstSector:"));
    QVERIFY(reporter.errors.empty());
  }

  void aCardVolumeListOpensOnlyFormattedVolumes() {
    test::RecordingReporter reporter;
    test::TempDir dir;
    const test::Bytes vol1 = test::DiskBuilder("CARD1", 1600, 20, 40, 2, 1).Build();
    const std::string image = dir.Write("card.cf7", test::CardImageFile("CARD", {{vol1, {}}}));
    auto* list = qobject_cast<StructureWindow*>(
        StructureWindow::Open(*FirstStructureOf(kKindCardImg, image), settings_, nullptr));
    QVERIFY(list);
    QCOMPARE(list->windowTitle(), QString("Cf7a+ Volume list"));
    QCOMPARE(list->ListLines(), QStringList({" 0001\t000000\tCARD1", " 0002\t001600\tUNFORMATED"}));
    QCOMPARE(list->ActivateLine(1), nullptr);
    auto* vib = qobject_cast<StructureWindow*>(list->ActivateLine(0));
    QVERIFY(vib);
    QCOMPARE(vib->windowTitle(), QString("CF7a+ VIB - Volume 1 - Sector >0000"));
    QCOMPARE(vib->FieldText("Volume name"), QString("CARD1     "));
  }

  // A pane listing a directory through a name pattern ("dir/*.dsk") reads
  // the image from that directory.
  void aPaneWithANamePatternOpensTheImageFromItsDirectory() {
    test::TempDir dir;
    dir.Write("work.dsk", test::DiskBuilder::Sssd("WORKDISK").Build());
    MainWindow w(settings_, dir.path() + "/Korvane.ini", dir.path() + "/*.dsk", dir.path());
    w.show();
    w.Cmds().FirstRead();
    test::RecordingReporter reporter;
    PaneState& p = w.Cmds().Pane(kLeft).state;
    for (int i = 0; i < p.RowCount(); ++i)
      if (p.rows[static_cast<size_t>(i)].sourceName == "work.dsk") p.cursor = i;
    w.UpdateMenuState();
    w.Actions(kCmdShowStructure).front()->trigger();
    QCOMPARE(OpenStructureWindows().size(), 1);
    QCOMPARE(OpenStructureWindows().front()->FieldText("Total number of sectors"), QString(">0168"));
    QVERIFY(reporter.errors.empty());
  }

  void unreadableTargetsOpenNoWindow() {
    test::RecordingReporter reporter;
    test::TempDir dir;
    const std::string image = dir.Write("work.dsk", test::DiskBuilder::Sssd("W").Build());
    StructureTarget t = *FirstStructureOf(kKindDsk, dir.path() + "/missing.dsk");
    QCOMPARE(StructureWindow::Open(t, settings_, nullptr), nullptr);
    t.context.imagePath = image;
    t.kind = StructureKind::FloppyFdr;
    t.context.number = 360;
    QCOMPARE(StructureWindow::Open(t, settings_, nullptr), nullptr);
    QCOMPARE(OpenStructureWindows().size(), 0);
    QCOMPARE(reporter.errors.size(), size_t{2});
    QCOMPARE(QString::fromStdString(reporter.errors[1]),
             QString::fromStdString("Can't read sector <360> from <" + image + ">"));
  }

  void theCascadeStartsOnTheMainWindowsScreenAndWrapsItsHeight() {
    QWidget main;
    main.show();
    const QPoint origin = main.screen()->geometry().topLeft();
    const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    QCOMPARE(StructureWindow::NextCascadePosition(&main), origin + QPoint(100, 100));
    QPoint last;
    for (int i = 1; i < 100; ++i) {
      last = StructureWindow::NextCascadePosition(&main);
      QVERIFY(last.y() - origin.y() < 300);
      QVERIFY(last.y() - origin.y() >= 100);
    }
    QCOMPARE(last.x() - origin.x(), 100 + 99 * step);  // the width keeps growing
  }
};

QTEST_MAIN(StructureWindowTest)
#include "structure_window_test.moc"
