// Walking every directory of a hard-disk volume, for listings of a whole
// disk. The DDR pointers of a damaged disk may loop (a sub-directory naming
// an ancestor, or itself): each directory record is visited once, and the
// walk is bounded by the volume's AU count and a depth cap, so it always
// ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "harddisk/hd_rows.h"

namespace korvane {

// Deepest level the walk descends to: far beyond any real disk, and small
// enough that a crafted chain of directories cannot take long.
inline constexpr int kMaxWalkDepth = 64;

// `path` is the directory's inner path ("" for the root, "TOOLS.TEXT" for a
// sub-directory of TOOLS); `dir` what the reader found. Return false to stop.
using HardDiskVisitor = std::function<bool(const std::string& path, const HardDiskDirectory& dir)>;

// Lists the root of the volume at `baseSector`, then each enterable
// sub-directory depth first, in the order the records name them. Returns
// false when the root could not be read or the visitor stopped the walk.
bool WalkHardDiskTree(const std::string& imagePath, uint32_t baseSector, const HardDiskVisitor& visit);

}  // namespace korvane
