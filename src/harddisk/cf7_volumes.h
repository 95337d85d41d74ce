// The volumes of a CF7A+ card: listing them, listing the files of a card
// image's volume, initializing a volume, and the mount record that tells the
// TI which volumes are DSK1-DSK3.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "catalog/entry.h"
#include "floppy/v9t9_write.h"
#include "harddisk/cf7_card.h"
#include "platform/progress.h"

namespace korvane {

// The volume row of volume n (from 1) read from its sector 0: source name
// "VOL #%04u" (card in a drive, kind 14) or "VOL #%03u" (card image, kind 16
// with container kind 16); TI name from the VIB, or "UNFORMATED" when sector
// 0 is no valid VIB; volume position = the volume's first card sector.
CatalogEntry MakeVolumeRow(const Sector& sector0, uint32_t volume, bool drive, uint64_t cardSectors);

// Lists the volumes of a card: a ".." row when `addUprdir` (size = the
// card's sectors), then one row per whole volume, reading one sector per
// volume. A failed read is reported and ends the list (the rows so far
// stay; false). Progress runs over the volumes; Cancel ends the list.
bool ListCardVolumes(Card& card, bool addUprdir, FileList& rows, Progress& progress);

// Lists the files of a card image's volume `volumeRow` (kind 16): ".." and
// one row per file index entry, each with source name "%s->%s" (the volume
// row's source name and the volume's TI name in PC form), container kind 16
// and the byte position of the volume's sector 0. A volume whose total is 0
// is refused with "DSK is not initialized".
bool ListCardVolumeFiles(const std::string& imagePath, const CatalogEntry& volumeRow, FileList& rows);

// The geometry every volume gets: 40 tracks, 20 sectors per track, 2 sides,
// single density, 1600 sectors.
NewImageGeometry CardVolumeGeometry();

// The caption of the initialize dialog: "Format CF7A+ Volume #0003" for a
// card ("#003" for a card image), from the volume row's source name.
std::string InitializeCaption(const CatalogEntry& volumeRow);

// Initializes volume `volume` with `label`: a new VIB, an empty file index
// and 1598 sectors of E5h. On success `summary` holds the new volume's
// DiskSummary. Errors end the command (the volume stays as written).
bool InitializeVolume(Card& card, uint32_t volume, const std::string& label, Progress& progress,
                      DiskSummary* summary = nullptr);

// Mount dialog: the selection (0 = none) each of DSK1-DSK3 starts with; a
// value above the volume count selects none.
std::array<uint16_t, 3> MountSelection(const MountRecord& record, uint32_t volumeCount);
// "VOL #%03u: %10.10s" for a volume and its name (or "UNFORMATED").
std::string MountChoiceText(uint32_t volume, const std::string& name);
// Writes the record when it differs from the current one (false on error,
// true also when nothing needed writing).
bool SetMountRecord(Card& card, const std::array<uint16_t, 3>& dsk);

}  // namespace korvane
