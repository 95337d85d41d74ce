// When a menu item is enabled: the rules evaluated each time a menu opens,
// from the active pane's rows, its location and the other pane. Kept free of
// Qt so that the rules can be read and tested on their own.
#pragma once

#include "catalog/pane_model.h"

namespace korvane::ui {

// What the rules say for the command `id`: true for items the rules do not
// name (Exit, Options, Help, About, ...).
bool RuleEnables(int id, const PaneModel& active, const PaneModel& other);

// Whether this build carries out the command at all. Items whose work is not
// built yet stay in the menus, greyed.
bool CommandBuilt(int id);

// Both of the above.
inline bool MenuItemEnabled(int id, const PaneModel& active, const PaneModel& other) {
  return CommandBuilt(id) && RuleEnables(id, active, other);
}

}  // namespace korvane::ui
