// Reaching the sectors of the container a TI row lives in. Export, views,
// conversions and the file commands read a file inside a floppy image, a
// card volume (and, through their own readers, PC99 and hard-disk images)
// the same way: open the container, take a SectorSource, walk the chain.
#pragma once

#include <cstdint>
#include <memory>

#include "catalog/pane.h"
#include "floppy/sector_source.h"
#include "platform/pc_file.h"

namespace korvane {

// Opens the container that holds `row` (the pane's location path) for
// reading into `file` and returns the SectorSource for its sectors: a V9T9
// image (containerKind 9) from byte 0, a card volume (containerKind 16) from
// the row's volume position. Reports what went wrong ("Can't open file for
// read", or "Can't read diskinfo" for a container it cannot read) and returns
// nullptr. `file` must outlive the returned source.
std::unique_ptr<SectorSource> OpenRowSectors(const PaneState& pane, const CatalogEntry& row, PcFile& file);

// The byte position of sector 0 of the floppy file system a pane shows: 0
// for a V9T9 image, 128 + 256 * the volume's first sector for a volume of a
// card image (the kept volume row holds that first sector).
uint64_t PaneSectorBase(const PaneState& pane);

// Whether the pane shows a floppy file system that Korvane writes into: a
// V9T9 image or a volume of a card image.
bool PaneIsWritableFloppy(const PaneState& pane);

}  // namespace korvane
