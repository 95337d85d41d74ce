// F2: the information dialog of the active pane's cursor row. Hard-disk and
// card image rows get the Image Information, read from the image and placed
// in the cascade the structure windows share; the others Disk or File
// Information.
#include <optional>

#include "ui/commands.h"
#include "ui/info_dialog.h"
#include "ui/structure_window.h"

namespace korvane::ui {

void Commands::Info() {
  if (busy_ || !Active().hasRows) return;
  const PaneState& pane = Active().state;
  if (pane.cursor >= 0 && pane.cursor < pane.RowCount() &&
      HasImageInformation(pane.rows[static_cast<size_t>(pane.cursor)])) {
    const std::optional<ImageInformation> image = ImageInformationForCursor(pane);
    if (!image) return;  // reported while reading the image
    ImageInfoDialog dialog(window_, *image);
    dialog.move(StructureWindow::NextCascadePosition(window_));
    dialog.exec();
    return;
  }
  const std::optional<Information> info = InformationForCursor(pane);
  if (!info) return;
  InfoDialog dialog(window_, *info);
  dialog.exec();
}

}  // namespace korvane::ui
