// Printing a viewer's text: page geometry from resolution, margins and font
// metrics, lines cut to the printable width, and whole jobs printed into a
// PDF file whose text is read back page by page with pdftotext: wrapping,
// selection and page ranges, copies with and without collation, and Cancel
// between pages through the abort dialog.
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "ui/print_abort_dialog.h"
#include "ui/viewer_print.h"

using namespace korvane;
using namespace korvane::ui;

namespace {

constexpr PageMargins kUsMargins{780, 590, 780, 590};

// The text of each page of a PDF file as pdftotext lays it out, one entry
// per non-empty line with the margin's blanks trimmed. Pages end with a
// form feed.
QList<QStringList> PdfPages(const QString& path) {
  QProcess run;
  run.start("pdftotext", {"-layout", path, "-"});
  if (!run.waitForFinished(30000) || run.exitCode() != 0) return {};
  QStringList pages = QString::fromUtf8(run.readAllStandardOutput()).split('\f');
  if (!pages.isEmpty() && pages.last().trimmed().isEmpty()) pages.removeLast();
  QList<QStringList> out;
  for (const QString& page : pages) {
    QStringList lines;
    for (const QString& line : page.split('\n'))
      if (!line.trimmed().isEmpty()) lines << line.trimmed();
    out << lines;
  }
  return out;
}

// Control line i: "L007-" then letters up to `length` characters, no blanks,
// so that each piece a line is cut into can be recognised.
QString Line(int i, int length) {
  QString s = QString("L%1-").arg(i, 3, 10, QChar('0'));
  while (s.size() < length) s += QChar('a' + static_cast<char>(s.size() % 26));
  return s.left(std::max<qsizetype>(length, 5));
}

// Cancels once `pagesBeforeCancel` pages have been started.
class CancelAfter : public Progress {
 public:
  explicit CancelAfter(int pagesBeforeCancel) : limit_(pagesBeforeCancel) {}
  bool Step(uint64_t done) override {
    steps.push_back(done);
    return done < static_cast<uint64_t>(limit_);
  }
  std::vector<uint64_t> steps;

 private:
  int limit_;
};

}  // namespace

class ViewerPrintTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<test::TempDir> dir_;
  PrintGeometry g_;
  QStringList text_;           // the control's lines
  QList<QStringList> pieces_;  // the print lines of every page of the whole text

  std::unique_ptr<QPrinter> PdfPrinter(const QString& name) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::Letter));
    printer->setOutputFileName(QString::fromStdString(dir_->path()) + "/" + name);
    return printer;
  }
  std::pair<PrintResult, QList<QStringList>> Print(const QString& name, const QStringList& lines, const PrintJob& job,
                                                   Progress& progress = NoProgress()) {
    auto printer = PdfPrinter(name);
    const PrintResult result = PrintText(*printer, lines, kUsMargins, false, job, progress);
    return {result, PdfPages(printer->outputFileName())};
  }

 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
      QFAIL("pdftotext is missing: run scripts/setup.sh (Debian package poppler-utils)");
    dir_ = std::make_unique<test::TempDir>();
    g_ = PrinterGeometry(*PdfPrinter("geometry.pdf"), kUsMargins, false);
    QVERIFY(g_.charsPerLine > 20 && g_.linesPerPage > 10);
    // Two and a half pages of print lines: every third control line is half
    // as long again as a print line and takes two.
    QStringList print;
    for (int i = 0; print.size() < g_.linesPerPage * 5 / 2; ++i) {
      const QString line = Line(i, i % 3 == 0 ? g_.charsPerLine * 3 / 2 : 20);
      text_ << line;
      print << line.left(g_.charsPerLine);
      if (line.size() > g_.charsPerLine) print << line.mid(g_.charsPerLine);
    }
    for (qsizetype at = 0; at < print.size(); at += g_.linesPerPage) pieces_ << print.mid(at, g_.linesPerPage);
    QCOMPARE(pieces_.size(), 3);
  }

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

  void pdfAll_LongLinesWrapAndEachPageHoldsItsLines() {
    test::RecordingReporter reporter;
    const auto [result, pages] = Print("all.pdf", text_, PrintJob{});
    QVERIFY(result.started && !result.cancelled);
    QCOMPARE(result.pages, 3);
    QCOMPARE(pages, pieces_);
    QVERIFY(reporter.messages.empty());
  }

  void pdfSelectionAndPageRanges_PrintTheirLinesOnly() {
    PrintJob selection;
    selection.range = PrintRange::Selection;
    selection.selectionFirstLine = 3;  // long: two print lines
    selection.selectionLastLine = 5;
    const QString& l3 = text_[3];
    QCOMPARE(Print("sel.pdf", text_, selection).second,
             (QList<QStringList>{{l3.left(g_.charsPerLine), l3.mid(g_.charsPerLine), text_[4], text_[5]}}));

    // Page 2 alone is page 2 of the whole text, although lines were cut
    // before it; a range past the end stops at the last page.
    PrintJob pages;
    pages.range = PrintRange::Pages;
    pages.fromPage = 2;
    pages.toPage = 2;
    QCOMPARE(Print("page2.pdf", text_, pages).second, (QList<QStringList>{pieces_[1]}));
    pages.toPage = 9;
    QCOMPARE(Print("page2on.pdf", text_, pages).second, (QList<QStringList>{pieces_[1], pieces_[2]}));
  }

  void pdfCopies_RepeatEachPage_OrTheWholeRangeWhenCollated() {
    PrintJob job;
    job.range = PrintRange::Pages;
    job.fromPage = 2;
    job.toPage = 3;
    job.copies = 2;
    const auto [plain, plainPages] = Print("copies.pdf", text_, job);
    QCOMPARE(plain.pages, 4);
    QCOMPARE(plainPages, (QList<QStringList>{pieces_[1], pieces_[1], pieces_[2], pieces_[2]}));
    job.collate = true;
    QCOMPARE(Print("collated.pdf", text_, job).second,
             (QList<QStringList>{pieces_[1], pieces_[2], pieces_[1], pieces_[2]}));
  }

  void selectionRange_DoesNotOutliveTheViewerThatHadIt() {
    QPrinter printer;
    printer.setPrintRange(QPrinter::Selection);  // chosen in a viewer with a selection
    PrepareRangeForDialog(printer, true);
    QCOMPARE(printer.printRange(), QPrinter::Selection);
    PrintJob job = JobFromPrinter(printer, 3, 5);
    QCOMPARE(job.range, PrintRange::Selection);
    QCOMPARE(job.selectionFirstLine, 3);
    // The next viewer has no selection: its dialog starts at All, and a
    // "Selection" that still comes back prints all.
    PrepareRangeForDialog(printer, false);
    QCOMPARE(printer.printRange(), QPrinter::AllPages);
    printer.setPrintRange(QPrinter::Selection);
    job = JobFromPrinter(printer, -1, -1);
    QCOMPARE(job.range, PrintRange::All);
  }

  void margins_UsOrUnknownLocalesGetInches() {
    QVERIFY(!LocaleMeasuresMetric(QLocale::c()));
    QVERIFY(!LocaleMeasuresMetric(QLocale(QLocale::English, QLocale::UnitedStates)));
    QVERIFY(LocaleMeasuresMetric(QLocale(QLocale::German, QLocale::Germany)));
    Settings s;
    ReadSettings(IniFile{}, LocaleMeasuresMetric(QLocale::c()), s);
    QCOMPARE(s.margins, (PageMargins{780, 590, 780, 590}));
  }

  void pdfEmptyText_PrintsOneBlankPage() {
    const auto [result, pages] = Print("empty.pdf", {}, PrintJob{});
    QCOMPARE(result.pages, 1);
    QCOMPARE(pages, (QList<QStringList>{QStringList{}}));
  }

  void cancelBetweenPages_StopsTheJob_AndSaysSo() {
    CancelAfter progress(1);
    const auto [result, pages] = Print("cancel.pdf", text_, PrintJob{}, progress);
    QVERIFY(result.started);
    QVERIFY(result.cancelled);
    QCOMPARE(result.pages, 1);
    QCOMPARE(progress.steps, (std::vector<uint64_t>{0, 1}));  // asked before every page
    // The PDF engine cannot take back what it wrote: the page before the
    // cancel is all the file holds.
    QCOMPARE(pages, (QList<QStringList>{pieces_[0]}));
  }

  void abortDialog_ShowsItsTexts_BlocksOtherWindows_AndCancelStopsThePrint() {
    QWidget other;
    other.show();
    PrintAbortDialog dialog("/tmp/LISTING.txt");
    QCOMPARE(dialog.windowTitle(), QString("PrntFile"));
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    QCOMPARE(texts, (QStringList{"Sending", "/tmp/LISTING.txt", "to print spooler."}));
    QCOMPARE(dialog.CancelButton()->text(), QString("Cancel"));
    QVERIFY(!dialog.isVisible());

    // Cancel is pressed while the first page is prepared: the dialog is up
    // and modal then; nothing further is printed and the dialog goes.
    bool shownModal = false;
    QTimer::singleShot(0, &dialog, [&] {
      shownModal = dialog.isVisible() && QApplication::activeModalWidget() == &dialog;
      dialog.CancelButton()->click();
    });
    const PrintResult result = Print("dialog.pdf", text_, PrintJob{}, dialog).first;
    QVERIFY(shownModal);
    QVERIFY(result.cancelled);
    QVERIFY(result.pages <= 1);
    QVERIFY(!dialog.isVisible());

    // Esc (or the close button) cancels too, without closing the dialog.
    PrintAbortDialog second("");
    second.Begin(3, "");
    QVERIFY(second.Step(0));
    QTest::keyClick(&second, Qt::Key_Escape);
    QVERIFY(!second.Step(1));
    QVERIFY(second.isVisible());
    second.End();
  }
};

QTEST_MAIN(ViewerPrintTest)
#include "viewer_print_test.moc"
