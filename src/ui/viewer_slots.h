// The sixteen viewer slots shared by text and picture windows. A slot is
// taken while its window is open; its placement (kept in the settings as
// EDIT01 ... EDIT16) and its find/replace texts outlive the window and serve
// the next window that takes the slot.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <string>

#include "platform/settings.h"

namespace korvane::ui {

// Which find dialog a viewer has open.
enum class FindKind { None, Find, Replace };

// The texts and options of the last find or replace dialog of a slot.
struct FindRequest {
  QString findWhat;
  QString replaceWith;
  bool down = false;  // a fresh slot searches upwards, as the dialog first shows
  bool matchCase = false;
  bool wholeWord = false;
};

// The find texts are limited like the dialog's buffers.
inline constexpr int kFindTextLimit = 79;

struct ViewerSlot {
  QPointer<QWidget> window;      // null: the slot is free
  QPointer<QWidget> findDialog;  // the open find or replace dialog
  FindKind findKind = FindKind::None;
  FindRequest request;
  std::string tiName;  // name of the row that was opened, for Save As
};

class ViewerSlots {
 public:
  // The placements live in the settings, which write them at the end.
  explicit ViewerSlots(std::array<Placement, kViewerSlots>& placements) : placements_(placements) {}

  // The first free slot, or -1 after reporting "No more viewers available".
  int Take(QWidget* window);
  // Frees the slot of `window` (nothing when it holds none).
  void Release(QWidget* window);
  bool InUse(int slot) const { return !slots_[Index(slot)].window.isNull(); }
  int OpenCount() const;

  ViewerSlot& Slot(int slot) { return slots_[Index(slot)]; }
  Placement& PlacementOf(int slot) { return placements_[Index(slot)]; }

  // Applies the slot's placement to a window: its position, and its outer
  // size unless `keepSize`.
  void Place(int slot, QWidget* window, bool keepSize = false);
  // Records the window's position and outer size, frame included (its
  // normal, not maximised, state).
  void Follow(int slot, const QWidget* window);
  // On a window's first show, once the window system knows its frame:
  // places it again and records where it stands (a picture window's first
  // size is its picture's).
  void Shown(int slot, QWidget* window, bool keepSize);

 private:
  static size_t Index(int slot) { return static_cast<size_t>(slot < 0 ? 0 : slot >= kViewerSlots ? kViewerSlots - 1 : slot); }

  std::array<Placement, kViewerSlots>& placements_;
  std::array<ViewerSlot, kViewerSlots> slots_;
};

// The slots of the running program, bound to the settings' placements the
// first time they are asked for.
ViewerSlots& SharedViewerSlots(Settings& settings);

}  // namespace korvane::ui
