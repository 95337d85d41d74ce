// "Check image": when the command is offered. The rule lives beside the
// command rather than with the long-standing menu rules, as the command is
// an addition to the menus.
#pragma once

#include "catalog/pane_model.h"

namespace korvane::ui {

// Enabled on a container row of a PC directory: a floppy image (V9T9 or
// PC99), a hard-disk image (plain or partitioned), a card image, or a TI
// file kept with a header (archives are such files).
bool CheckImageEnabled(const PaneModel& active);

}  // namespace korvane::ui
