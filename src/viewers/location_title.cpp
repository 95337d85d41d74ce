#include "viewers/location_title.h"

#include <fmt/printf.h>

#include "catalog/header.h"

namespace korvane {

std::string LocationTitle(const PaneState& pane, const CatalogEntry& row) {
  constexpr char kProgram[] = "Korvane";
  const bool inImage = row.fdrSector != 0;
  const bool deep = pane.containerLevel > 1 || pane.hdLevel > 2;
  if (pane.containerInContainer) {
    // A container opened from inside another container: name the outer
    // path, the inner name when there is one level more, and the opened
    // container by its PC-safe name.
    const std::string safe = SafePcName(pane.container.tiName);
    if (!inImage && pane.containerLevel <= 1 && pane.hdLevel <= 2)
      return fmt::sprintf("%s - %s->%s->%s", kProgram, pane.outerPath, safe, row.tiName);
    if (!inImage || deep)
      return fmt::sprintf("%s - %s->%s->%s->%s", kProgram, pane.outerPath, pane.innerName, safe, row.tiName);
    return fmt::sprintf("%s - %s->%s->%s", kProgram, row.sourceName, safe, row.tiName);
  }
  if (!inImage || (pane.containerLevel <= 1 && pane.hdLevel < 3))
    return fmt::sprintf("%s - %s->%s", kProgram, pane.locationPath, row.tiName);
  return fmt::sprintf("%s - %s->%s->%s", kProgram, pane.locationPath, pane.innerName, row.tiName);
}

}  // namespace korvane
