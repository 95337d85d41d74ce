#include "harddisk/cf7_pane.h"

#include "catalog/catalog_paths.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "harddisk/cf7_card.h"
#include "harddisk/cf7_volumes.h"
#include "platform/progress.h"

namespace korvane {
namespace {

bool ListVolumes(PaneState& pane) {
  pane.rows.clear();
  pane.locationType = kLocCardImage;
  pane.containerLevel = 1;
  pane.innerName.clear();
  CardImage card;
  if (!card.Open(pane.locationPath, false)) return false;
  pane.cardVolumeCount = static_cast<int>(card.VolumeCount());
  const bool ok = ListCardVolumes(card, true, pane.rows, NoProgress());
  SortRows(pane.rows, pane.sortKey);
  return ok;
}

bool ListVolume(PaneState& pane, const CatalogEntry& volumeRow) {
  FileList rows;
  if (!ListCardVolumeFiles(pane.locationPath, volumeRow, rows)) return false;
  pane.rows = std::move(rows);
  pane.locationType = kLocCardImageVolume;
  pane.container = volumeRow;
  pane.innerName = SafePcName(volumeRow.tiName);
  SortRows(pane.rows, pane.sortKey);
  return true;
}

}  // namespace

bool EnterCardImage(PaneState& pane, const CatalogEntry& row) {
  if (row.kind != kKindCardImg) return false;
  pane.topRow = 0;
  if (pane.locationType == kLocPcDirectory) pane.locationPath = JoinPath(pane.locationPath, row.sourceName);
  pane.PushLevel();
  pane.container = row;
  ListVolumes(pane);
  return true;
}

bool EnterCardImageVolume(PaneState& pane, const CatalogEntry& row) {
  if (row.kind != kKindCardVolume || pane.locationType != kLocCardImage) return false;
  // The list is read first: a volume that cannot be shown leaves the pane
  // where it was.
  if (!ListVolume(pane, row)) return false;
  pane.topRow = 0;
  pane.PushLevel();
  return true;
}

bool LeaveCardImageVolume(PaneState& pane) {
  if (pane.locationType != kLocCardImageVolume) return false;
  ListVolumes(pane);
  pane.PopLevel();
  return true;
}

bool RefreshCardImage(PaneState& pane) {
  if (pane.locationType == kLocCardImageVolume) {
    const CatalogEntry volume = pane.container;
    return ListVolume(pane, volume);
  }
  return ListVolumes(pane);
}

}  // namespace korvane
