// A pane inside a hard-disk image: entering the image, its partitions and
// directories, walking up, reading again.
//
// The pane keeps: the image path as its location path (container level 1,
// so that leaving cuts it off again), LocationType 4 for a plain image and
// 5 for a partitioned one, the level count, a stack of 20 level names with
// the inner path built from them (shown behind the image path with "->"),
// and in its container row the directory being shown.
//
// Levels: the image row itself is level 0 (its volume name, or "*TI99FSPT*"
// for a partitioned image), a partition's volume name level 1, and each
// sub-directory one more, prefixed with "." from level 2 on. The inner path
// joins levels 1 up to the one shown: "TOOLS.TEXT" in a plain image,
// "FIRSTPART.DOCS" inside a partition. Names past level 20 are not kept,
// but walking down and up again still works.
#pragma once

#include <array>
#include <string>

#include "catalog/pane.h"

namespace korvane {

using HardDiskLevelNames = std::array<std::string, kMaxHdLevels>;

// Stores the level name of `tiName` at `depth` (when below 20) and returns
// the depth one level down.
int PushHardDiskLevel(HardDiskLevelNames& names, int depth, const std::string& tiName);

// The inner path at `depth`: levels 1 to depth - 1 (as far as they are
// kept) joined; "" above level 2.
std::string HardDiskInnerPath(const HardDiskLevelNames& names, int depth);

// Opens a hard-disk image row of a PC directory: kind 13 lists the volume's
// root, kind 12 the partition list. Errors are reported; the pane then shows
// what could be read. Returns true when the pane now shows the image.
bool EnterHardDiskImage(PaneState& pane, const CatalogEntry& row);

// Opens a row of a hard-disk pane: a partition (kind 13) of the partition
// list, or a sub-directory (kind 6). Rows of other kinds are not entered.
bool EnterHardDiskRow(PaneState& pane, const CatalogEntry& row);

// What ".." does in a hard-disk pane.
enum class HardDiskUpStep {
  PartitionList,    // from a partition's root back to the partition list
  ParentDirectory,  // up one directory
  LeaveImage,       // from the root of a plain image, or the partition list, to the PC directory
};
HardDiskUpStep HardDiskUpAction(const PaneState& pane);

// Performs the ".." step for PartitionList and ParentDirectory and returns
// true; for LeaveImage it changes nothing and returns false, and the caller
// leaves the container as for any other.
bool HardDiskUp(PaneState& pane);

// Reads the directory or partition list the pane shows again.
bool RefreshHardDisk(PaneState& pane);

}  // namespace korvane
