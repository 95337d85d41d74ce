#include "harddisk/hd_pane.h"

#include <algorithm>

#include "catalog/catalog_paths.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "harddisk/hd_rows.h"

namespace korvane {

int PushHardDiskLevel(HardDiskLevelNames& names, int depth, const std::string& tiName) {
  if (depth < 0) depth = 0;
  if (depth < kMaxHdLevels) names[static_cast<size_t>(depth)] = (depth > 1 ? "." : "") + SafePcName(tiName);
  return depth + 1;
}

std::string HardDiskInnerPath(const HardDiskLevelNames& names, int depth) {
  std::string path;
  const int last = std::min(depth, kMaxHdLevels);
  for (int level = 1; level < last; ++level) path += names[static_cast<size_t>(level)];
  return path;
}

namespace {

// The image's name, which every row read from it carries.
std::string ImageName(const PaneState& pane) { return LastComponent(pane.locationPath); }

void SetDepth(PaneState& pane, int depth) {
  pane.hdLevel = depth + 1;
  pane.innerName = HardDiskInnerPath(pane.hdNames, depth);
}

// Lists one directory of the volume at `base` into the pane and remembers it
// as the directory shown.
bool ShowDirectory(PaneState& pane, uint32_t base, uint16_t ownAu, int depth) {
  pane.locationType = base != 0 ? kLocPtImage : kLocHdImage;
  pane.containerLevel = 1;
  SetDepth(pane, depth);
  HardDiskDirectory dir;
  const bool ok = ReadHardDiskDirectory(pane.locationPath, ImageName(pane), base, ownAu, depth, true, dir);
  // Even after a failure the pane must know where it is, to read it again.
  dir.shown.statusFlags = static_cast<uint16_t>(depth);
  dir.shown.hdFields[hdrow::kOwnAu] = ownAu;
  dir.shown.volumePosition = static_cast<int32_t>(base);
  pane.rows = std::move(dir.rows);
  pane.container = std::move(dir.shown);
  SortRows(pane.rows, pane.sortKey);
  return ok;
}

bool ShowPartitionList(PaneState& pane) {
  pane.locationType = kLocPtImage;
  pane.containerLevel = 1;
  SetDepth(pane, 1);
  CatalogEntry table;
  table.kind = kKindPtImg;
  table.sourceName = ImageName(pane);
  table.tiName = "*TI99FSPT*";
  pane.container = table;
  const bool ok = ReadPartitionList(pane.locationPath, ImageName(pane), 1, true, pane.rows);
  SortRows(pane.rows, pane.sortKey);
  return ok;
}

}  // namespace

bool EnterHardDiskImage(PaneState& pane, const CatalogEntry& row) {
  if (row.kind != kKindPtImg && row.kind != kKindHdImg) return false;
  pane.topRow = 0;
  if (pane.locationType == kLocPcDirectory) pane.locationPath = JoinPath(pane.locationPath, row.sourceName);
  pane.PushLevel();
  pane.rows.clear();
  const int depth = PushHardDiskLevel(pane.hdNames, RowDepth(row), row.tiName);
  if (row.kind == kKindPtImg) {
    ShowPartitionList(pane);
    pane.container = row;
  } else {
    ShowDirectory(pane, 0, 0, depth);
  }
  return true;
}

bool EnterHardDiskRow(PaneState& pane, const CatalogEntry& row) {
  const bool partition = row.kind == kKindHdImg && pane.locationType == kLocPtImage;
  const bool subdir = row.kind == kKindSubdir && (pane.locationType == kLocHdImage || pane.locationType == kLocPtImage);
  if (!partition && !subdir) return false;
  pane.PushLevel();
  const int depth = PushHardDiskLevel(pane.hdNames, RowDepth(row), row.tiName);
  ShowDirectory(pane, RowBase(row), subdir ? row.hdFields[hdrow::kOwnAu] : 0, depth);
  return true;
}

HardDiskUpStep HardDiskUpAction(const PaneState& pane) {
  if (pane.locationType == kLocPtImage && pane.hdLevel == 3) return HardDiskUpStep::PartitionList;
  if ((pane.locationType == kLocHdImage && pane.hdLevel > 2) || (pane.locationType == kLocPtImage && pane.hdLevel > 3))
    return HardDiskUpStep::ParentDirectory;
  return HardDiskUpStep::LeaveImage;
}

bool HardDiskUp(PaneState& pane) {
  switch (HardDiskUpAction(pane)) {
    case HardDiskUpStep::PartitionList:
      ShowPartitionList(pane);
      break;
    case HardDiskUpStep::ParentDirectory: {
      // The ".." row leads to the parent record named by the directory shown.
      const CatalogEntry shown = pane.container;
      ShowDirectory(pane, RowBase(shown), shown.hdFields[hdrow::kParentAu], pane.hdLevel - 2);
      break;
    }
    case HardDiskUpStep::LeaveImage:
      return false;
  }
  pane.PopLevel();
  return true;
}

bool RefreshHardDisk(PaneState& pane) {
  if (pane.locationType == kLocPtImage && pane.hdLevel <= 2) {
    const CatalogEntry table = pane.container;
    const bool ok = ShowPartitionList(pane);
    pane.container = table;
    return ok;
  }
  const CatalogEntry shown = pane.container;
  return ShowDirectory(pane, RowBase(shown), shown.hdFields[hdrow::kOwnAu], RowDepth(shown));
}

}  // namespace korvane
