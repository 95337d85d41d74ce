// The five sort orders of a pane. Every order first groups UPRDIR rows, then
// SUBDIR rows, then all others; keys 5 and above leave the order unchanged.
#pragma once

#include "catalog/entry.h"

namespace korvane {

enum SortKey : int { kSortPcName = 0, kSortTiName = 1, kSortSize = 2, kSortType = 3, kSortAttr = 4, kSortNone = 5 };

void SortRows(FileList& rows, int key);

}  // namespace korvane
