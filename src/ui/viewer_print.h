// Printing the text of a viewer window: page geometry from the printer's
// resolution, the page margins and the font's metrics; each control line is
// cut into print lines of at most the characters that fit on a line.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "platform/progress.h"
#include "platform/settings.h"

class QFont;
class QLocale;
class QPrinter;
class QWidget;

namespace korvane::ui {

struct PrintGeometry {
  int left = 0, top = 0;  // where the text starts, in device units from the paper's corner
  int lineHeight = 1;
  int linesPerPage = 1;
  int charsPerLine = 1;
};

// Margins in thousandths of an inch: metric margins (hundredths of a
// millimetre) are converted with x 100 / 254.
PageMargins MarginsInThousandths(const PageMargins& margins, bool metric);

// Geometry of a page `width` x `height` device units at `dpiX` x `dpiY`.
// Lines per page = (height - top - bottom) / line height - 1; characters per
// line = (width - left - right) / average character width - 1; both at least 1.
PrintGeometry ComputePrintGeometry(int width, int height, int dpiX, int dpiY, const PageMargins& thousandths,
                                   int lineHeight, int aveCharWidth);

// The print lines of control lines [first, last]: each cut into pieces of at
// most `charsPerLine`; an empty line prints as one empty line.
QStringList PrintLines(const QStringList& lines, int first, int last, int charsPerLine);

enum class PrintRange { All, Selection, Pages };

struct PrintJob {
  PrintRange range = PrintRange::All;
  int selectionFirstLine = 0, selectionLastLine = 0;  // control lines
  int fromPage = 1, toPage = 1;
  int copies = 1;
  bool collate = false;
};

struct PrintResult {
  bool started = false;    // false: "Unable to start print job" was shown
  bool cancelled = false;  // the job was stopped between pages
  int pages = 0;           // pages sent to the printer, copies included
};

// The font the text is printed in, and the geometry it gives on `printer`
// with `margins` (as stored, metric when `metric`).
QFont PrintFont();
PrintGeometry PrinterGeometry(QPrinter& printer, const PageMargins& margins, bool metric);

// Prints `lines` (the control's lines) on `printer`. `progress` hears of
// every page before it is started (Begin once the job has started, then
// Step); when it asks to cancel, no further page is started and the job is
// aborted where the printer allows it (a PDF file keeps the pages before).
PrintResult PrintText(QPrinter& printer, const QStringList& lines, const PageMargins& margins, bool metric,
                      const PrintJob& job, Progress& progress = NoProgress());

// The margins the viewers print with, kept in the settings; bound once.
void BindPrintMargins(PageMargins* margins, bool metric);
PageMargins* BoundPrintMargins();
bool BoundMarginsMetric();

}  // namespace korvane::ui

namespace korvane::ui {

// The viewer's File menu: the print dialog (all, selection or pages, copies,
// collation) on the printer shared by all viewers, the printer choice and the
// page margins. `selectionFirst` and `selectionLast` are the control lines of
// the selection's start and end, or -1 without a selection; `fileName` is
// the viewer's file name, shown while printing.
void PrintWithDialog(QWidget* parent, const QStringList& lines, int selectionFirst, int selectionLast,
                     const QString& fileName);
void ChoosePrinter(QWidget* parent);

// Before the print dialog opens: a "Selection" range left on the shared
// printer by another viewer becomes "All" when this viewer has no selection.
void PrepareRangeForDialog(QPrinter& printer, bool hasSelection);
// The job the print dialog chose on `printer`; "Selection" without a
// selection (-1) prints all.
PrintJob JobFromPrinter(const QPrinter& printer, int selectionFirst, int selectionLast);

// Whether the page margins are kept in hundredths of a millimetre: a metric
// locale; the US, other non-metric and unknown locales (C, POSIX) use
// thousandths of an inch.
bool LocaleMeasuresMetric(const QLocale& locale);
void SetUpPage(QWidget* parent);

}  // namespace korvane::ui
