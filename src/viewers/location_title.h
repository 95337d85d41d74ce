// The window title that names a row of a pane for viewer and picture
// windows: "Korvane - " followed by where the row lives and its TI name as
// stored (10 characters).
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane {

std::string LocationTitle(const PaneState& pane, const CatalogEntry& row);

// The title suffix of a text longer than 60 KB, the most a viewer window's
// text control is sized for.
inline constexpr size_t kViewTextLimit = 61440;
inline constexpr char kTruncatedSuffix[] = " (truncated to 60Kb)";

}  // namespace korvane
