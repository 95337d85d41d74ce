// Printing a viewer's text: page geometry from resolution, margins and font
// metrics, lines cut to the printable width, and whole jobs printed into a
// PDF file whose pages are counted.
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>

#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "ui/viewer_print.h"

using namespace korvane;
using namespace korvane::ui;

namespace {

// Pages of a PDF written by Qt: its page objects.
int PdfPages(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray data = f.readAll();
  return static_cast<int>(QString::fromLatin1(data).count(QRegularExpression("/Type\\s*/Page[^s]")));
}

QStringList Numbered(int count) {
  QStringList lines;
  for (int i = 1; i <= count; ++i) lines << QString("line %1").arg(i);
  return lines;
}

}  // namespace

class ViewerPrintTest : public QObject {
  Q_OBJECT

 private slots:
  void geometry_FromMarginsResolutionAndFont() {
    // A US letter page at 600 dpi with the default margins and a 100-pixel line.
    const PrintGeometry g = ComputePrintGeometry(5100, 6600, 600, 600, {780, 590, 780, 590}, 100, 50);
    QCOMPARE(g.linesPerPage, 57);
    QCOMPARE(g.left, 468);
    QCOMPARE(g.top, 354);
    QCOMPARE(g.charsPerLine, (5100 - 468 - 468) / 50 - 1);
    QCOMPARE(MarginsInThousandths({2000, 1500, 2000, 1500}, true), (PageMargins{787, 590, 787, 590}));
    QCOMPARE(MarginsInThousandths({780, 590, 780, 590}, false), (PageMargins{780, 590, 780, 590}));
    // Margins larger than the page still leave one line of one character.
    const PrintGeometry tiny = ComputePrintGeometry(100, 100, 600, 600, {780, 590, 780, 590}, 100, 50);
    QCOMPARE(tiny.linesPerPage, 1);
    QCOMPARE(tiny.charsPerLine, 1);
  }

  void printLines_CutLongLines_KeepEmptyOnes_ClampRange() {
    const QStringList lines{"abcdefg", "", "xy"};
    QCOMPARE(PrintLines(lines, 0, 2, 3), (QStringList{"abc", "def", "g", "", "xy"}));
    QCOMPARE(PrintLines(lines, 2, 99, 3), (QStringList{"xy"}));
    QCOMPARE(PrintLines(lines, -5, 0, 10), (QStringList{"abcdefg"}));
  }

  void pdfJobs_AllPagesSelectionRangeAndCopies() {
    test::TempDir dir;
    test::RecordingReporter reporter;
    const auto print = [&](const QString& name, const QStringList& lines, const PrintJob& job) {
      QPrinter printer(QPrinter::HighResolution);
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setPageSize(QPageSize(QPageSize::Letter));
      const QString path = QString::fromStdString(dir.path()) + "/" + name;
      printer.setOutputFileName(path);
      const int printed = PrintText(printer, lines, {780, 590, 780, 590}, false, job);
      return std::make_pair(printed, PdfPages(path));
    };
    // Find the lines per page of this printer and font from a one-page job.
    const QStringList many = Numbered(200);
    const auto all = print("all.pdf", many, PrintJob{});
    QVERIFY(all.first >= 2);
    QCOMPARE(all.second, all.first);

    PrintJob selection;
    selection.range = PrintRange::Selection;
    selection.selectionFirstLine = 3;
    selection.selectionLastLine = 5;
    QCOMPARE(print("sel.pdf", many, selection), std::make_pair(1, 1));

    PrintJob pages;
    pages.range = PrintRange::Pages;
    pages.fromPage = 2;
    pages.toPage = 2;
    pages.copies = 3;
    QCOMPARE(print("pages.pdf", many, pages), std::make_pair(3, 3));
    pages.collate = true;
    pages.toPage = 3;
    const auto collated = print("collated.pdf", many, pages);
    QCOMPARE(collated.first, 6);
    QCOMPARE(collated.second, 6);

    QCOMPARE(print("empty.pdf", {}, PrintJob{}), std::make_pair(1, 1));
    QVERIFY(reporter.messages.empty());
  }
};

QTEST_MAIN(ViewerPrintTest)
#include "viewer_print_test.moc"
