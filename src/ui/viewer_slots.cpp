#include "ui/viewer_slots.h"

#include "catalog/errors.h"

#include <algorithm>

namespace korvane::ui {

int ViewerSlots::Take(QWidget* window) {
  for (int i = 0; i < kViewerSlots; ++i) {
    ViewerSlot& s = slots_[static_cast<size_t>(i)];
    if (!s.window.isNull()) continue;
    s.window = window;
    s.findDialog = nullptr;
    s.findKind = FindKind::None;
    s.tiName.clear();
    return i;
  }
  ReportError(kErrNoViewers);
  return -1;
}

void ViewerSlots::Release(QWidget* window) {
  for (ViewerSlot& s : slots_) {
    if (s.window != window) continue;
    if (s.findDialog) s.findDialog->deleteLater();
    s.window = nullptr;
    s.findDialog = nullptr;
    s.findKind = FindKind::None;
  }
}

int ViewerSlots::OpenCount() const {
  int n = 0;
  for (const ViewerSlot& s : slots_) n += s.window.isNull() ? 0 : 1;
  return n;
}

void ViewerSlots::Place(int slot, QWidget* window, bool keepSize) {
  // A copy: moving the window records its placement again.
  const Placement p = PlacementOf(slot);
  if (p.left != kUseDefaultPosition && p.top != kUseDefaultPosition) window->move(p.left, p.top);
  if (keepSize || p.width <= 0 || p.height <= 0) return;
  // The placement is the outer size; the frame the window system draws
  // around the window is taken off for its inside.
  const QSize frame = window->frameGeometry().size() - window->size();
  window->resize(std::max(1, p.width - frame.width()), std::max(1, p.height - frame.height()));
}

void ViewerSlots::Follow(int slot, const QWidget* window) {
  if (window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) return;
  Placement& p = PlacementOf(slot);
  const QRect outer = window->frameGeometry();
  p.left = outer.x();
  p.top = outer.y();
  p.width = outer.width();
  p.height = outer.height();
}

void ViewerSlots::Shown(int slot, QWidget* window, bool keepSize) {
  Place(slot, window, keepSize);
  Follow(slot, window);
}

ViewerSlots& SharedViewerSlots(Settings& settings) {
  static ViewerSlots pool(settings.viewers);
  return pool;
}

}  // namespace korvane::ui
