// The information dialogs of a row (F2): what the Disk Information and File
// Information dialogs show, as label and value pairs in the dialogs' order.
// Kept free of the GUI so that the command-line tool prints the same values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/pane.h"

namespace korvane {

struct InformationField {
  std::string label;
  std::string value;  // "" for a field the dialog leaves empty
};

struct Information {
  std::string title;  // "Disk Information" or "File Information"
  std::vector<InformationField> fields;
};

// Floppy images, PC99 images and card volumes: the row's disk summary.
Information DiskInformation(const CatalogEntry& row);

// Any other row, as seen in a pane of `locationType`.
Information FileInformation(const CatalogEntry& row, LocationType locationType);

// The dialog F2 opens for the pane's cursor row; none without a cursor row,
// and none for hard-disk and card image rows, whose Image Information is
// read from the image itself.
std::optional<Information> InformationForCursor(const PaneState& pane);

}  // namespace korvane
