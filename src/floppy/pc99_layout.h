// The track and sector layout of a PC99 image as text: one line per track
// with its side, track number and the sector numbers in the order in which
// they lie on the track.
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane {

// Builds the layout text of the PC99 image row `imageRow` lying in
// `directory`. Errors (1, 6, 9, 13) are reported; a sector record that
// cannot be read ends the text there. False when no text could be made.
bool Pc99LayoutText(const CatalogEntry& imageRow, const std::string& directory, std::string& text);

// The viewer caption: "Korvane - <pane path>", or "Korvane - <path>-><inner
// path>" when the pane shows the inside of a container.
std::string Pc99LayoutCaption(const PaneState& pane);

}  // namespace korvane
