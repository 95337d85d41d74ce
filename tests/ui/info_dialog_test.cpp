// F2 from the keyboard and the Files menu: the information dialog of the
// cursor row opens with the row's values, and the menu item is offered.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "support/disk_builder.h"
#include "ui/command_ids.h"
#include "ui/info_dialog.h"
#include "ui/main_window.h"

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
};

QTEST_MAIN(InfoDialogTest)
#include "info_dialog_test.moc"
