#include "ui/viewer_print.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include <algorithm>

#include "platform/reporter.h"
#include "ui/print_abort_dialog.h"

namespace korvane::ui {
namespace {

PageMargins* gMargins = nullptr;
bool gMetric = false;

}  // namespace

void BindPrintMargins(PageMargins* margins, bool metric) {
  gMargins = margins;
  gMetric = metric;
}
PageMargins* BoundPrintMargins() { return gMargins; }
bool BoundMarginsMetric() { return gMetric; }

PageMargins MarginsInThousandths(const PageMargins& m, bool metric) {
  if (!metric) return m;
  PageMargins out{};
  for (size_t i = 0; i < m.size(); ++i) out[i] = m[i] * 100 / 254;
  return out;
}

PrintGeometry ComputePrintGeometry(int width, int height, int dpiX, int dpiY, const PageMargins& t, int lineHeight,
                                   int aveCharWidth) {
  PrintGeometry g;
  const int left = t[0] * dpiX / 1000, top = t[1] * dpiY / 1000;
  const int right = t[2] * dpiX / 1000, bottom = t[3] * dpiY / 1000;
  g.left = left;
  g.top = top;
  g.lineHeight = std::max(1, lineHeight);
  g.linesPerPage = std::max(1, (height - top - bottom) / g.lineHeight - 1);
  g.charsPerLine = std::max(1, (width - left - right) / std::max(1, aveCharWidth) - 1);
  return g;
}

QStringList PrintLines(const QStringList& lines, int first, int last, int charsPerLine) {
  QStringList out;
  first = std::max(first, 0);
  last = std::min(last, static_cast<int>(lines.size()) - 1);
  for (int i = first; i <= last; ++i) {
    const QString& line = lines[i];
    if (line.isEmpty()) out << QString();
    for (qsizetype at = 0; at < line.size(); at += charsPerLine) out << line.mid(at, charsPerLine);
  }
  return out;
}

QFont PrintFont() {
  QFont font("Courier New", 10);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

PrintGeometry PrinterGeometry(QPrinter& printer, const PageMargins& margins, bool metric) {
  printer.setFullPage(true);
  const QFontMetrics fm(PrintFont(), &printer);
  const QRect paper = printer.pageLayout().fullRectPixels(printer.resolution());
  return ComputePrintGeometry(paper.width(), paper.height(), printer.logicalDpiX(), printer.logicalDpiY(),
                              MarginsInThousandths(margins, metric), fm.height() + fm.leading(),
                              fm.averageCharWidth());
}

PrintResult PrintText(QPrinter& printer, const QStringList& lines, const PageMargins& margins, bool metric,
                      const PrintJob& job, Progress& progress) {
  printer.setDocName("PrintFile text");
  const PrintGeometry g = PrinterGeometry(printer, margins, metric);
  const int lastLine = static_cast<int>(lines.size()) - 1;
  const QStringList printLines = job.range == PrintRange::Selection
                                     ? PrintLines(lines, job.selectionFirstLine, job.selectionLastLine, g.charsPerLine)
                                     : PrintLines(lines, 0, lastLine, g.charsPerLine);
  const int totalPages = (static_cast<int>(printLines.size()) + g.linesPerPage - 1) / g.linesPerPage;
  // A page range picks pages of the same wrapped stream that printing all
  // gives, so page 2 alone looks like page 2 of the whole text even when
  // long lines were cut.
  int firstPage = 0, pageCount = totalPages;
  if (job.range == PrintRange::Pages) {
    firstPage = std::max(job.fromPage, 1) - 1;
    pageCount = std::clamp(job.toPage - firstPage, 0, std::max(totalPages - firstPage, 0));
  }
  pageCount = std::max(pageCount, 1);

  PrintResult result;
  QPainter painter;
  if (!painter.begin(&printer)) {
    CurrentReporter().ShowMessage("", "Unable to start print job");
    return result;
  }
  result.started = true;
  const QFont font = PrintFont();
  painter.setFont(font);
  const int ascent = QFontMetrics(font, &printer).ascent();
  const int copies = std::max(job.copies, 1);
  const int runs = job.collate ? copies : 1;
  const int repeats = job.collate ? 1 : copies;
  progress.Begin(static_cast<uint64_t>(pageCount) * static_cast<uint64_t>(copies), "");
  for (int run = 0; run < runs && !result.cancelled; ++run) {
    for (int page = firstPage; page < firstPage + pageCount && !result.cancelled; ++page) {
      for (int r = 0; r < repeats; ++r) {
        if (!progress.Step(static_cast<uint64_t>(result.pages))) {
          result.cancelled = true;
          break;
        }
        if (result.pages > 0) printer.newPage();
        for (int i = 0; i < g.linesPerPage; ++i) {
          const qsizetype n = static_cast<qsizetype>(page) * g.linesPerPage + i;
          if (n >= printLines.size()) break;
          painter.drawText(g.left, g.top + i * g.lineHeight + ascent, printLines[n]);
        }
        ++result.pages;
      }
    }
  }
  if (result.cancelled) printer.abort();
  painter.end();
  progress.End();
  return result;
}

}  // namespace korvane::ui

#include <QPageSetupDialog>
#include <QPrintDialog>

namespace korvane::ui {
namespace {

QPrinter& SharedPrinter() {
  static QPrinter printer(QPrinter::HighResolution);
  return printer;
}

PageMargins CurrentMargins() {
  return gMargins ? *gMargins : PageMargins{780, 590, 780, 590};
}

}  // namespace

void PrintWithDialog(QWidget* parent, const QStringList& lines, int selectionFirst, int selectionLast,
                     const QString& fileName) {
  QPrinter& printer = SharedPrinter();
  PrepareRangeForDialog(printer, selectionFirst >= 0);
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionFirst >= 0);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setOption(QAbstractPrintDialog::PrintCollateCopies, true);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintJob job = JobFromPrinter(printer, selectionFirst, selectionLast);
  // The copies are laid out here, so the printer makes one of each page.
  printer.setCopyCount(1);
  // The busy cursor still lets Cancel in the abort dialog be clicked.
  QApplication::setOverrideCursor(Qt::BusyCursor);
  PrintAbortDialog abort(fileName, parent);
  PrintText(printer, lines, CurrentMargins(), gMetric, job, abort);
  QApplication::restoreOverrideCursor();
  printer.setCopyCount(job.copies);
}

void PrepareRangeForDialog(QPrinter& printer, bool hasSelection) {
  // The printer is shared by all viewers: a "Selection" chosen in one
  // viewer must not print a selection that another viewer does not have.
  if (!hasSelection && printer.printRange() == QPrinter::Selection) printer.setPrintRange(QPrinter::AllPages);
}

PrintJob JobFromPrinter(const QPrinter& printer, int selectionFirst, int selectionLast) {
  PrintJob job;
  switch (printer.printRange()) {
    case QPrinter::Selection:
      if (selectionFirst < 0) break;  // no selection: all
      job.range = PrintRange::Selection;
      job.selectionFirstLine = selectionFirst;
      job.selectionLastLine = selectionLast;
      break;
    case QPrinter::PageRange:
      job.range = PrintRange::Pages;
      job.fromPage = printer.fromPage();
      job.toPage = printer.toPage();
      break;
    default: break;
  }
  job.copies = printer.copyCount();
  job.collate = printer.collateCopies();
  return job;
}

bool LocaleMeasuresMetric(const QLocale& locale) {
  // The C (POSIX) locale names no country: like an unknown one it gets the
  // US margins, although Qt reports it as metric.
  return locale.language() != QLocale::C && locale.measurementSystem() == QLocale::MetricSystem;
}

void ChoosePrinter(QWidget* parent) {
  QPrintDialog dialog(&SharedPrinter(), parent);
  dialog.setWindowTitle("Print Setup");
  dialog.exec();
}

void SetUpPage(QWidget* parent) {
  QPrinter& printer = SharedPrinter();
  const PageMargins m = MarginsInThousandths(CurrentMargins(), gMetric);
  printer.setPageMargins(QMarginsF(m[0] / 1000.0, m[1] / 1000.0, m[2] / 1000.0, m[3] / 1000.0), QPageLayout::Inch);
  QPageSetupDialog dialog(&printer, parent);
  if (dialog.exec() != QDialog::Accepted || !gMargins) return;
  const QMarginsF chosen = printer.pageLayout().margins(gMetric ? QPageLayout::Millimeter : QPageLayout::Inch);
  const double scale = gMetric ? 100.0 : 1000.0;  // hundredths of a millimetre or thousandths of an inch
  *gMargins = {static_cast<int>(chosen.left() * scale + 0.5), static_cast<int>(chosen.top() * scale + 0.5),
               static_cast<int>(chosen.right() * scale + 0.5), static_cast<int>(chosen.bottom() * scale + 0.5)};
}

}  // namespace korvane::ui
