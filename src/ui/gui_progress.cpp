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

void GuiProgress::Begin(uint64_t total, const std::string& text) {
  total_ = total;
  if (bar_) {
    bar_->setRange(0, std::max(1, BarValue(total, total)));
    bar_->setValue(0);
  }
  if (!text.empty()) SetText(text);
  QCoreApplication::processEvents();
}

bool GuiProgress::Step(uint64_t done) {
  if (bar_) bar_->setValue(std::min(bar_->maximum(), BarValue(done, total_)));
  // One pass through the waiting events: repaint, and let Cancel be pressed.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return !cancelled_;
}

void GuiProgress::SetText(const std::string& text) {
  if (text_) text_->setText(QString::fromStdString(text));
}

}  // namespace korvane::ui
