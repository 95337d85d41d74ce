// F2 from the keyboard and the Files menu: the information dialog of the
// cursor row opens with the row's values, and the menu item is offered; on
// a hard-disk image row the Image Information window lists its volumes and
// takes its place in the structure windows' cascade.
#include <map>

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "ui/command_ids.h"
#include "ui/info_dialog.h"
#include "ui/main_window.h"
#include "ui/structure_window.h"

using namespace korvane;
using namespace korvane::ui;

class InfoDialogTest : public QObject {
  Q_OBJECT

 private:
  struct Seen {
    QString title;
    QString size, type, protection;
  };

  // Reads the next modal information dialog and closes it with "OK".
  static void ReadDialog(Seen* seen) {
    QTimer::singleShot(50, [seen] {
      auto* dialog = qobject_cast<InfoDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      seen->title = dialog->windowTitle();
      seen->size = dialog->Value(dialog->windowTitle() == "Disk Information" ? "Size (sectors)" : "Size");
      seen->type = dialog->Value("Type");
      seen->protection = dialog->Value("Media protection");
      dialog->accept();
    });
  }

  static void PutCursor(MainWindow& w, const std::string& sourceName) {
    PaneState& p = w.Cmds().Pane(kLeft).state;
    for (int i = 0; i < p.RowCount(); ++i)
      if (p.rows[static_cast<size_t>(i)].sourceName == sourceName) p.cursor = i;
  }

  struct SeenImage {
    QString title;
    int lines = -1;
    QPoint at;
    std::map<QString, QString> values;
  };

  // Reads the next Image Information window and closes it.
  static void ReadImageDialog(SeenImage* seen, QStringList labels) {
    QTimer::singleShot(50, [seen, labels] {
      auto* dialog = qobject_cast<ImageInfoDialog*>(QApplication::activeModalWidget());
      if (!dialog) {  // another window: close it so that the test fails instead of waiting
        if (QWidget* other = QApplication::activeModalWidget()) other->close();
        return;
      }
      seen->title = dialog->windowTitle();
      seen->lines = dialog->VolumeLineCount();
      seen->at = dialog->pos();
      for (const QString& label : labels) seen->values[label] = dialog->Value(label);
      dialog->accept();
    });
  }

 private slots:
  void f2OpensTheDialogOfTheCursorRow() {
    test::TempDir dir;
    dir.Write("GAMES.dsk", test::DiskBuilder::Dssd("GAMES").Protection('P').Build());
    dir.Write("HELLO", test::V9t9File(test::DisVarFile("HELLO", 80, {"HI"})));
    Settings settings;
    MainWindow w(settings, dir.path() + "/Korvane.ini", dir.path(), dir.path());
    w.show();
    w.Cmds().FirstRead();

    PutCursor(w, "GAMES.dsk");
    Seen disk;
    ReadDialog(&disk);
    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(disk.title, QString("Disk Information"));
    QCOMPARE(disk.size, QString("720"));
    QCOMPARE(disk.protection, QString("Yes"));

    PutCursor(w, "HELLO");
    w.UpdateMenuState();
    QVERIFY(w.Actions(kCmdInfo).front()->isEnabled());
    Seen file;
    ReadDialog(&file);
    w.Actions(kCmdInfo).front()->trigger();
    QCOMPARE(file.title, QString("File Information"));
    QCOMPARE(file.size, QString("1"));
    QCOMPARE(file.type, QString("DIS/VAR"));
  }

  // Partitions 1-3 (4 has offset 0): three lines, each with the free count
  // of its own volume; a plain image shows one line without the
  // partition table's columns.
  void f2OnHardDiskImagesShowsEachVolumeInTheCascade() {
    test::TempDir dir;
    test::HardDiskBuilder first("FIRST", 800, 1);  // as large as partition 4
    test::HardDiskBuilder second("SECOND", 400, 2);
    test::HardDiskBuilder third("THIRD", 800, 1);
    third.Root().Add(test::ProgramFile("BIG", test::Bytes(40 * 256, 0x11)));
    const test::Bytes thirdVolume = third.Build().bytes;
    dir.Write("parts.img", test::PartitionedImage(2000, {{16, first.Build().bytes},
                                                        {500, second.Build().bytes},
                                                        {1200, thirdVolume}}));
    dir.Write("plain.hd", thirdVolume);
    Settings settings;
    MainWindow w(settings, dir.path() + "/Korvane.ini", dir.path(), dir.path());
    w.show();
    w.Cmds().FirstRead();
    StructureWindow::ResetCascade();

    PutCursor(w, "parts.img");
    SeenImage parts;
    ReadImageDialog(&parts, {"Media type", "Filesize", "Partition 1 Offset", "Partition 2 Sectors per AU",
                             "Partition 4 Volume label", "Partition 3 Volume label", "Partition 3 Offset",
                             "Partition 3 Partition size", "Partition 3 Total AU", "Partition 3 Free",
                             "Partition 3 Used", "Partition 1 Free"});
    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(parts.title, QString("Image Information"));
    QCOMPARE(parts.lines, 3);
    QCOMPARE(parts.values["Media type"], QString("PTIMG"));
    QCOMPARE(parts.values["Filesize"], QString("4000"));
    QCOMPARE(parts.values["Partition 1 Offset"], QString(">00000010"));
    QCOMPARE(parts.values["Partition 2 Sectors per AU"], QString("2"));
    QCOMPARE(parts.values["Partition 4 Volume label"], QString());  // no such field
    QCOMPARE(parts.values["Partition 3 Volume label"].trimmed(), QString("THIRD"));
    QCOMPARE(parts.values["Partition 3 Offset"], QString(">000004B0"));
    QCOMPARE(parts.values["Partition 3 Partition size"], QString(">00000190"));
    QCOMPARE(parts.values["Partition 3 Total AU"], QString(">0320"));
    // The file's 40 sectors and its FDR are used in partition 3 only: its
    // bitmap, not partition 1's, was counted.
    const int free3 = parts.values["Partition 3 Free"].toInt();
    QCOMPARE(parts.values["Partition 3 Used"].toInt(), 800 - free3);
    QCOMPARE(parts.values["Partition 1 Free"].toInt() - free3, 41);

    const QScreen* screen = w.screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    QCOMPARE(parts.at, origin + QPoint(100, 100));

    PutCursor(w, "plain.hd");
    SeenImage plain;
    ReadImageDialog(&plain, {"Media type", "Volume label", "Offset", "Size", "Free"});
    QTest::keyClick(&w, Qt::Key_F2);
    QCOMPARE(plain.lines, 1);
    QCOMPARE(plain.values["Media type"], QString("HDIMG"));
    QCOMPARE(plain.values["Volume label"].trimmed(), QString("THIRD"));
    QCOMPARE(plain.values["Offset"], QString());  // no partition table
    QCOMPARE(plain.values["Size"], QString("800"));
    QCOMPARE(plain.values["Free"], QString::number(free3));
    QVERIFY(plain.at.x() > parts.at.x() && plain.at.y() > parts.at.y());  // the next place in the cascade
  }
};

QTEST_MAIN(InfoDialogTest)
#include "info_dialog_test.moc"
