// Reading a location into a fresh pane the way the program shows it first:
// read, then sorted by the pane's default key.
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane::test {

// The pane of `path`; a read that fails is a test failure (the pane then
// holds what was read).
PaneState ReadSortedPane(const std::string& path);

}  // namespace korvane::test
