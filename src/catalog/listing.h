// The location text of a pane (its caption line) and the "Directory of"
// listing text of its rows.
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane {

// " %s", " %s->%s" or " %s->%s->%s": the location line above a pane. It
// begins with a space.
std::string LocationText(const PaneState& pane);

// The directory listing, CR LF line ends, rows in the pane's order.
std::string DirectoryListing(const PaneState& pane);

// The window title of a listing: "Korvane - " and the location text.
std::string DirectoryListingTitle(const PaneState& pane);

}  // namespace korvane
