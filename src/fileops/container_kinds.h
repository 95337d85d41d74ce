// One home for each kind of container a pane can look into: what it is
// recognised by, how a row opens it, what leaving and re-reading it do, how
// its sectors are reached, and what it lets the file commands do. The
// location readers (locations.cpp) and the file commands ask this table
// instead of deciding by row kind and LocationType each on their own, so a
// new kind of container is one entry here plus its reader.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "catalog/errors.h"
#include "catalog/pane.h"
#include "floppy/sector_source.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {

enum class ContainerId : uint8_t {
  PcDirectory,
  FloppyImage,      // V9T9 sector image
  Pc99Image,        // PC99 track image
  FloppySubdir,     // a sub-directory of a floppy image
  Archive,          // ARC archive
  HardDisk,         // plain hard-disk image and its directories
  PartitionedDisk,  // partitioned hard-disk image, its partitions and their directories
  CardImage,        // the volume list of a CF7A+ card image
  CardImageVolume,  // one volume of a card image
  CardDrive,        // the volume list of a CF7A+ card in a drive
  None,             // a LocationType outside the table
};

// What the Information command shows for a row that stands for the
// container.
enum class RowInformation : uint8_t { File, Disk, None };

struct ContainerKind {
  ContainerId id = ContainerId::None;
  const char* name = "";
  LocationType location = kLocPcDirectory;  // what a pane inside it shows
  // Row kinds that stand for it in the list it is found in, and that rows
  // read from it carry as their container kind (0: none of its own; a
  // sub-directory or an archive is a row of a shared kind). Partitions are
  // hard-disk rows (13), so rows read from them carry the hard-disk kind.
  std::array<uint16_t, 2> rowKinds = {0, 0};

  // Claims a PC file by its first 256 bytes and makes its row (the kind may
  // be another entry's: the floppy test also finds PC99 images, the
  // hard-disk test partitioned ones). nullptr: found by another entry's
  // test. The table's order is the order the tests are tried in.
  bool (*recognise)(PcFile& file, ByteView first256, const std::string& pcName, CatalogEntry& row) = nullptr;

  // Whether Enter on `row` in a pane showing `from` opens this container,
  // and the opening itself (true when the pane now shows another location).
  bool (*opens)(const CatalogEntry& row, LocationType from) = nullptr;
  bool (*enter)(PaneState& pane, const CatalogEntry& row) = nullptr;
  // The ".." row: a step up inside the container (true when taken);
  // nullptr or false: the pane leaves one level as Leave does.
  bool (*up)(PaneState& pane) = nullptr;
  // Leave: one level up inside the container; nullptr: back to the
  // location it was entered from.
  bool (*leave)(PaneState& pane) = nullptr;
  // Reads the location again; nullptr: it cannot be re-read (false).
  bool (*refresh)(PaneState& pane) = nullptr;

  // The sectors of the container a row read from it lives in, `path` open
  // in `file`. Reports what goes wrong itself. nullptr: rows read from it
  // have no sectors of their own.
  std::unique_ptr<SectorSource> (*openSectors)(PcFile& file, const std::string& path,
                                                const CatalogEntry& row) = nullptr;

  RowInformation information = RowInformation::File;  // for a row of one of `rowKinds`
  // Its row is a PC file that a copy to a directory takes whole, and a
  // directory delete removes.
  bool copiedAsFile = false;
  bool takesFileChanges = false;    // delete and rename act on its files
  bool floppyFileSystem = false;    // files are added, deleted and renamed by the floppy engines
  bool refusesDirectories = false;  // "Can't create a directory here"
  bool volumeList = false;          // lists a card's volumes: copies take and give whole DSK images
  // The rows a copy into it takes (nullptr: none), and the refusal when no
  // row of the command is one of them.
  bool (*takesCopyOf)(int rowKind) = nullptr;
  ErrorCode copyRefusal = kErrCopyToArc;
};

// Every kind; those that recognise PC files in the order they are tried.
const std::vector<ContainerKind>& ContainerKinds();

// The kind a pane shows. A LocationType outside the table gives an entry
// that refuses everything.
const ContainerKind& ContainerOfLocation(LocationType type);
// The same, telling a floppy sub-directory from the image's root.
const ContainerKind& ContainerOfPane(const PaneState& pane);
// The kind a row of `rowKind` stands for (or a row read from a container
// of that kind belongs to); nullptr for rows of a shared kind.
const ContainerKind* ContainerOfRowKind(int rowKind);
// The kind Enter on `row` opens in `pane`; nullptr when it opens nothing.
const ContainerKind* ContainerOpenedBy(const PaneState& pane, const CatalogEntry& row);

}  // namespace korvane
