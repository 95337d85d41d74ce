#include "ui/gui_progress.h"

#include <QCoreApplication>

namespace korvane::ui {
namespace {
// Progress bars count in ints; large totals are scaled down to this range.
constexpr uint64_t kBarMax = 1u << 30;
int BarValue(uint64_t done, uint64_t total) {
  if (total <= kBarMax) return static_cast<int>(done);
  return static_cast<int>(done / (total / kBarMax + 1));
}
}  // namespace

GuiProgress::~GuiProgress() { End(); }

void GuiProgress::Begin(uint64_t total, const std::string& text) {
  End();
  total_ = total;
  cancelled_ = false;
  dialog_ = new QProgressDialog(QString::fromStdString(text), "Cancel", 0, BarValue(total, total), parent_);
  dialog_->setWindowTitle("Korvane");
  dialog_->setWindowModality(Qt::WindowModal);
  dialog_->setMinimumDuration(300);
  dialog_->setAutoClose(false);
  dialog_->setAutoReset(false);
  dialog_->setValue(0);
}

bool GuiProgress::Step(uint64_t done) {
  if (dialog_) dialog_->setValue(BarValue(done, total_));
  // One pass through the waiting events: repaint, and let Cancel be pressed.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !Cancelled();
}

void GuiProgress::SetText(const std::string& text) {
  if (dialog_) dialog_->setLabelText(QString::fromStdString(text));
}

bool GuiProgress::Cancelled() const { return cancelled_ || (dialog_ && dialog_->wasCanceled()); }

void GuiProgress::End() {
  if (!dialog_) return;
  cancelled_ = dialog_->wasCanceled();
  dialog_->close();
  dialog_->deleteLater();
  dialog_ = nullptr;
}

}  // namespace korvane::ui
