// "Check image": checks the cursor row's container with a progress window
// whose Cancel stops the walk, shows the report in a text viewer, and, when
// the check found faults the repair can mend, asks, repairs (keeping the
// original as IMAGE.bak) and re-reads the pane.
#include "ui/commands_check.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <fmt/printf.h>

#include "fileops/locations.h"
#include "fileops/container_check.h"
#include "ui/commands.h"
#include "ui/gui_progress.h"
#include "ui/viewer_open.h"

namespace korvane::ui {
namespace {

const CatalogEntry* CursorRowOf(const PaneModel& pane) {
  const PaneState& p = pane.state;
  if (!pane.hasRows || p.cursor < 0 || p.cursor >= p.RowCount()) return nullptr;
  return &p.rows[static_cast<size_t>(p.cursor)];
}

// A small window with the file's name, a bar and Cancel, shown while the
// check runs; the progress lets window events through at every step.
class CheckWindow : public QDialog {
 public:
  CheckWindow(QWidget* parent, const std::string& path) : QDialog(parent) {
    setWindowTitle("Check image");
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(QString::fromStdString(fmt::sprintf("Checking <%s>", path)), this);
    bar_ = new QProgressBar(this);
    auto* cancel = new QPushButton("Cancel", this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    connect(cancel, &QPushButton::clicked, this, [this] { progress_.Cancel(); });
    progress_ = GuiProgress(bar_, nullptr);
  }
  Progress& Run() { return progress_; }
  void reject() override { progress_.Cancel(); }

 private:
  QLabel* text_;
  QProgressBar* bar_;
  GuiProgress progress_{nullptr, nullptr};
};

std::string RepairText(const std::string& path, const RepairOutcome& outcome) {
  std::string text = fmt::sprintf("Repair of %s\r\n\r\n", path);
  for (const std::string& a : outcome.actions) text += "mended: " + a + "\r\n";
  if (!outcome.backupPath.empty()) text += fmt::sprintf("\r\nThe original is kept as %s.\r\n", outcome.backupPath);
  text += "\r\nAfter the repair:\r\n";
  return text + CheckReportText(outcome.after);
}

}  // namespace

bool CheckImageEnabled(const PaneModel& active) {
  const CatalogEntry* r = CursorRowOf(active);
  if (!r || active.state.locationType != kLocPcDirectory) return false;
  switch (r->kind) {
    case kKindDsk: case kKindPc99Sd: case kKindPc99Dd: case kKindPtImg: case kKindHdImg: case kKindCardImg:
      return true;
    default:
      return IsTiFileKind(r->kind) && r->containerKind == 0 && !r->archiveMember && r->headerKind != kHeaderNone;
  }
}

void Commands::CheckImage() {
  if (busy_ || !CheckImageEnabled(Active())) return;
  const PaneState& p = Active().state;
  const std::string path = RowPcPath(p, *CursorRowOf(Active()));

  ContainerCheck result;
  bool repairable = false;
  RunLong([&] {
    CheckWindow window(window_, path);
    window.show();
    QApplication::processEvents();
    result = CheckPcFile(path, true, window.Run());
    repairable = !window.Run().Cancelled() && result.report.Errors() + result.report.Warnings() > 0 &&
                 HasRepairs(path);
  });
  ShowTextView(settings_, CheckReportText(result.report), "Check image - " + path, "");
  if (!repairable) return;

  const QString question =
      QString::fromStdString(fmt::sprintf("The check found faults in <%s> that can be mended.\n\n"
                                          "Repair the image now? The original is kept as <%s.bak>.",
                                          path, path));
  if (QMessageBox::question(window_, "Korvane", question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
      QMessageBox::Yes)
    return;
  RepairOutcome outcome;
  RunLong([&] {
    outcome = RepairPcFile(path, true);
    if (outcome.written) {
      Refresh(Active().state);
      AfterOpen(Active());
    }
  });
  if (outcome.failed) {
    QMessageBox::critical(window_, "ERROR",
                          QString::fromStdString(fmt::sprintf("<%s> was not repaired: %s", path, outcome.refusal)));
    return;
  }
  if (outcome.written) ShowTextView(settings_, RepairText(path, outcome), "Repair - " + path, "");
}

}  // namespace korvane::ui
