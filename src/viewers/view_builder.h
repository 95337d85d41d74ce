// The text view of a TI file row (kinds 1-5): a BASIC listing, a hex dump, a
// record-by-record text or Forth blocks, with the title of its window. The
// GUI's viewer window and `korvane-cli view` show the same bytes.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "viewers/ti_data.h"

namespace korvane {

enum ViewMode : int {
  kViewDefault = 0,
  kViewHex = 2,
  kViewForth = 7,
};

struct TextView {
  bool ok = false;    // false: nothing to show (the failure was reported)
  std::string text;   // CR LF line ends, handed over whole
  std::string title;  // location title, " (truncated to 60Kb)" past 61440 characters
};

// Builds the view of `row` of `pane` in `mode`.
TextView BuildView(const PaneState& pane, const CatalogEntry& row, int mode);

// The text of the view of a file's data already opened (the choice of view
// without the source and the title). False when the view was given up.
bool BuildViewText(TiData& data, const CatalogEntry& row, int mode, std::string& text);

// The window title of a view text: `locationTitle` and the 60 KB suffix when
// the text is longer than 61440 characters.
std::string ViewTitle(const std::string& locationTitle, const std::string& text);

}  // namespace korvane
