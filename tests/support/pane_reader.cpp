#include "support/pane_reader.h"

#include <gtest/gtest.h>

#include "catalog/sort.h"
#include "fileops/locations.h"

namespace korvane::test {

PaneState ReadSortedPane(const std::string& path) {
  PaneState pane;
  pane.locationPath = path;
  EXPECT_TRUE(ReadLocation(pane)) << path;
  SortRows(pane.rows, pane.sortKey);
  return pane;
}

}  // namespace korvane::test
