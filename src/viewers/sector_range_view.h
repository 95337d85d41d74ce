// The hex view of a run of sectors of a disk image, shown by the sector
// structure windows (VIB, FDIR, FDR, partition table ...) under a label.
#pragma once

#include <cstdint>
#include <string>

#include "floppy/sector_source.h"
#include "viewers/view_builder.h"

namespace korvane {

// Hex lines of `count` sectors from `first` on, addresses from 0 for the
// first sector; text past 61440 characters is cut there and
// "\r\n (truncated to 60Kb)" written in its place. A sector that cannot be
// read (the source reports it) ends the text, which is shown as far as it
// came. Title: "<label>: FirstSector: >%04X  NumberOfSectors: >%04X" and the
// 60 KB suffix when the text was cut.
TextView SectorRangeView(SectorSource& source, const std::string& label, uint32_t first, uint32_t count);

// The same for a range of allocation units of an image file whose sector 0
// lies at `imageStart`: in bytes when `byteOffset`, else in sectors.
TextView ShowSectorRange(const std::string& imagePath, const std::string& label, bool byteOffset,
                         uint64_t imageStart, uint32_t sectorsPerUnit, uint32_t firstUnit, uint32_t unitCount);

}  // namespace korvane
