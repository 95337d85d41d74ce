// F2: the information dialog of the active pane's cursor row.
#include <optional>

#include "ui/commands.h"
#include "ui/info_dialog.h"

namespace korvane::ui {

void Commands::Info() {
  if (busy_ || !Active().hasRows) return;
  const std::optional<Information> info = InformationForCursor(Active().state);
  if (!info) return;
  InfoDialog dialog(window_, *info);
  dialog.exec();
}

}  // namespace korvane::ui
