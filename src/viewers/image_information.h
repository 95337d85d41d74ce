// The Image Information dialog (F2 on a hard-disk image, a partition or a
// card image row): the image's name, size and kind, and for hard disks one
// line per volume with its label, place in the image, geometry and free
// space. Kept free of the GUI so that `korvane-cli info` prints the same
// texts the dialog shows.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "viewers/information.h"

namespace korvane {

// The columns of a volume line, in the dialog's order.
enum ImageColumn { kColLabel, kColOffset, kColPartitionSize, kColTotalAus, kColSpau, kColSize, kColFree, kColUsed,
                   kImageColumnCount };

// The heading of each column ("Volume label", "Offset", ...).
const char* ImageColumnName(int column);

struct ImageVolumeLine {
  int partition = 0;  // 1-4; 0 for a plain image
  // One text per column; "" where the dialog leaves the field empty (the
  // offset and size of a plain image, every VIB value of a partition whose
  // sector 0 is no hard-disk VIB).
  std::string values[kImageColumnCount];
};

struct ImageInformation {
  std::string title = "Image Information";
  std::vector<InformationField> fields;  // "PC name", "Filesize", "Media type"
  bool partitioned = false;
  std::vector<ImageVolumeLine> volumes;  // under "Partition information"

  // Every field as one label and value, the volume lines' fields labelled
  // "Partition N <column>" (just "<column>" on a plain image): the lines
  // `korvane-cli info` prints and the names the dialog gives its fields.
  std::vector<InformationField> AllFields() const;
};

// The label of a volume line's field in AllFields.
std::string ImageFieldLabel(const ImageVolumeLine& line, int column);

// Whether F2 on `row` opens the Image Information dialog.
bool HasImageInformation(const CatalogEntry& row);

// The Image Information of `row` as seen in `pane` (a PC directory, or the
// partition list of a partitioned image). Reads the image: errors are
// reported (1, 6, 9) and give none.
std::optional<ImageInformation> ReadImageInformation(const PaneState& pane, const CatalogEntry& row);

// The same for the pane's cursor row; none without a cursor row or when the
// row is of another kind (nothing reported then).
std::optional<ImageInformation> ImageInformationForCursor(const PaneState& pane);

}  // namespace korvane
