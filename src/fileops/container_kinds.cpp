#include "fileops/container_kinds.h"

#include "archive/arc_pane.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/locations.h"
#include "floppy/floppy_lister.h"
#include "floppy/pc99.h"
#include "floppy/v9t9.h"
#include "harddisk/cf7_card.h"
#include "harddisk/cf7_pane.h"
#include "harddisk/hd_pane.h"
#include "harddisk/hd_rows.h"
#include "harddisk/hd_sectors.h"
#include "viewers/gif_picture.h"

namespace korvane {
namespace {

// ---- Recognising a PC file ----------------------------------------------------

// Floppy sector image or PC99 track image (kinds 9, 10, 11).
bool RecogniseFloppyFile(PcFile& file, ByteView first, const std::string& name, CatalogEntry& row) {
  DiskSummary summary;
  const uint16_t kind = RecogniseFloppy(first, &file, summary);
  if (kind == 0) return false;
  row.kind = kind;
  row.sourceName = name;
  row.tiName = summary.volumeName;
  row.disk = summary;
  return true;
}

// Plain or partitioned hard-disk image (kinds 13, 12).
bool RecogniseHardDiskFile(PcFile&, ByteView first, const std::string& name, CatalogEntry& row) {
  return MakeHardDiskImageRow(first, name, row);
}

// CF7A+ card image (kind 15): its size in sectors comes from the file size,
// asked only once the marker is there (most files scanned are no card).
bool RecogniseCardImageFile(PcFile& file, ByteView first, const std::string& name, CatalogEntry& row) {
  if (!HasCardImageMarker(first)) return false;
  const int64_t size = file.Size();
  return size > 0 && RecogniseCardImage(first, static_cast<uint64_t>(size), name, row);
}

// ---- Entering, leaving, reading again -------------------------------------------

bool EnterPcDirectory(PaneState& pane, const CatalogEntry& row) {
  const std::string previous = pane.locationPath;
  pane.PushLevel();
  ++pane.directoryDepth;
  pane.locationPath = RowPcPath(pane, row);
  pane.rows.clear();
  if (!ReadLocationReportingOnce(pane)) {
    // Go back where we were rather than leave the pane on a path it cannot show.
    pane.locationPath = previous;
    --pane.directoryDepth;
    pane.DropLevel();
    ReadLocation(pane);
    return false;
  }
  return true;
}

bool RefreshPcDirectory(PaneState& pane) {
  pane.rows.clear();
  return ReadLocationReportingOnce(pane);
}

// Sector images and PC99 track images alike: the floppy lister hands track
// images to the PC99 reader.
bool EnterFloppyImage(PaneState& pane, const CatalogEntry& row) {
  pane.container = row;
  pane.topRow = 0;
  if (pane.locationType == kLocPcDirectory) pane.locationPath = RowPcPath(pane, row);
  pane.PushLevel();
  pane.floppyHasUprdir = true;
  ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, true, false});
  return true;
}

bool RefreshFloppyImage(PaneState& pane) {
  return ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, pane.floppyHasUprdir, false});
}

bool EnterFloppySubdir(PaneState& pane, const CatalogEntry& row) {
  pane.innerName = SafePcName(row.tiName);
  pane.PushLevel();
  ListFloppyImage(pane, pane.locationPath, FloppyListOptions{row.fdrSector, true, true});
  return true;
}

// From a sub-directory back to the image's root.
bool LeaveFloppySubdir(PaneState& pane) {
  ListFloppyImage(pane, pane.locationPath, FloppyListOptions{1, pane.floppyHasUprdir, false});
  SortRows(pane.rows, pane.sortKey);
  pane.PopLevel();
  return true;
}

bool RefreshFloppySubdir(PaneState& pane) {
  return ListFloppyImage(pane, pane.locationPath, FloppyListOptions{pane.fdirSector, true, true});
}

// Read-only containers that are never changed while shown: re-reading them
// leaves them as they are.
bool KeepAsShown(PaneState&) { return true; }

bool EnterArchive(PaneState& pane, const CatalogEntry& row) {
  // A DIS/FIX 128 file of a PC directory that begins with "GIF" is a
  // picture for the external viewer, not an archive.
  if (row.kind == kKindDisFix && pane.locationType == kLocPcDirectory && row.recordLength == 128 &&
      row.totalSectors > 0) {
    const int gif = GifTest(pane, row);
    if (gif < 0) return false;  // unreadable: reported
    if (gif == 0) {
      ShowGif(pane, row, GetNameSettings().picViewer);
      return false;
    }
  }
  return CanOpenAsArchive(row) && OpenArchiveInPane(pane, row, true);
}

// The hard-disk and card readers name an image row of a PC directory by
// the pane's location path and the row's PC name: the path must be the
// directory the rows live in, not a location that ends in a name pattern.
void ToListedDirectory(PaneState& pane) {
  if (pane.locationType == kLocPcDirectory) pane.locationPath = PaneDirectory(pane);
}

// An image row of a PC directory opens the image; a partition or a
// sub-directory is a row inside it.
bool EnterHardDisk(PaneState& pane, const CatalogEntry& row) {
  if (row.kind != kKindHdImg || pane.locationType == kLocPtImage) return EnterHardDiskRow(pane, row);
  ToListedDirectory(pane);
  return EnterHardDiskImage(pane, row);
}

bool EnterPartitionedDisk(PaneState& pane, const CatalogEntry& row) {
  if (row.kind != kKindPtImg) return EnterHardDiskRow(pane, row);
  ToListedDirectory(pane);
  return EnterHardDiskImage(pane, row);
}

bool EnterCardImageFile(PaneState& pane, const CatalogEntry& row) {
  ToListedDirectory(pane);
  return EnterCardImage(pane, row);
}

// ---- Sectors --------------------------------------------------------------------

std::unique_ptr<SectorSource> FloppySectors(PcFile& file, const std::string& path, const CatalogEntry&) {
  return std::make_unique<ImageFileSectors>(file, path, 0);
}

// PC99 track images find their sectors in the track data, with the geometry
// the row's VIB gave.
std::unique_ptr<SectorSource> TrackImageSectors(PcFile& file, const std::string& path, const CatalogEntry& row) {
  Pc99Geometry geometry = DefaultPc99Geometry(row.containerKind);
  if (row.containerSectorsPerTrack > 0) geometry.sectorsPerTrack = static_cast<uint16_t>(row.containerSectorsPerTrack);
  if (row.containerTracks > 0) geometry.tracksPerSide = static_cast<uint16_t>(row.containerTracks);
  return std::make_unique<Pc99Sectors>(file, path, geometry);
}

// Files and directories of a hard disk (or one of its partitions): the
// row's volume position is the volume's base sector. Opening checks the
// volume's VIB and reports what is wrong itself.
std::unique_ptr<SectorSource> HardDiskVolumeSectors(PcFile& file, const std::string& path, const CatalogEntry& row) {
  return OpenHardDiskVolume(file, path, RowBase(row));
}

// Rows read from a card volume carry the byte position of the volume's
// sector 0 inside the card image.
std::unique_ptr<SectorSource> CardImageVolumeSectors(PcFile& file, const std::string& path, const CatalogEntry& row) {
  if (row.volumePosition < 0) {
    ReportError(kErrDiskInfo, path);
    return nullptr;
  }
  return std::make_unique<ImageFileSectors>(file, path, static_cast<uint64_t>(row.volumePosition));
}

// ---- What a copy into a container takes -------------------------------------------

bool FilesAndImages(int k) { return IsTiFileKind(k) || (k >= kKindDsk && k <= kKindDos); }
bool DiskImages(int k) { return IsFloppyImageKind(k); }
bool TiFilesOrDos(int k) { return IsTiFileKind(k) || k == kKindDos; }

}  // namespace

const std::vector<ContainerKind>& ContainerKinds() {
  // Recognition order: floppy sector or PC99 track image, hard-disk image,
  // CF7A+ card image; the first test that claims a file's bytes makes its
  // row.
  static const std::vector<ContainerKind> kinds = {
      {.id = ContainerId::FloppyImage,
       .name = "V9T9 floppy image",
       .location = kLocFloppy,
       .rowKinds = {kKindDsk, 0},
       .recognise = RecogniseFloppyFile,
       .opens = [](const CatalogEntry& r, LocationType) { return r.kind == kKindDsk; },
       .enter = EnterFloppyImage,
       .refresh = RefreshFloppyImage,
       .openSectors = FloppySectors,
       .information = RowInformation::Disk,
       .copiedAsFile = true,
       .takesFileChanges = true,
       .floppyFileSystem = true,
       .refusesDirectories = true,
       .takesCopyOf = TiFilesOrDos,
       .copyRefusal = kErrCopyTiOnlyToDsk},
      {.id = ContainerId::HardDisk,
       .name = "hard-disk image",
       .location = kLocHdImage,
       .rowKinds = {kKindHdImg, 0},
       .recognise = RecogniseHardDiskFile,
       .opens = [](const CatalogEntry& r, LocationType from) {
         return (r.kind == kKindHdImg && from != kLocPtImage) || (r.kind == kKindSubdir && from == kLocHdImage);
       },
       .enter = EnterHardDisk,
       .up = HardDiskUp,
       .refresh = RefreshHardDisk,
       .openSectors = HardDiskVolumeSectors,
       .information = RowInformation::None,
       .copiedAsFile = true,
       .refusesDirectories = true,
       .copyRefusal = kErrCopyToArc},
      {.id = ContainerId::CardImage,
       .name = "CF7A+ card image",
       .location = kLocCardImage,
       .rowKinds = {kKindCardImg, 0},
       .recognise = RecogniseCardImageFile,
       .opens = [](const CatalogEntry& r, LocationType) { return r.kind == kKindCardImg; },
       .enter = EnterCardImageFile,
       .refresh = RefreshCardImage,
       .information = RowInformation::None,  // its rows show the Image Information
       .copiedAsFile = true,
       .volumeList = true,
       .takesCopyOf = DiskImages,
       .copyRefusal = kErrCopyDskOnlyToCard},
      {.id = ContainerId::PcDirectory,
       .name = "PC directory",
       .location = kLocPcDirectory,
       .rowKinds = {0, 0},
       .opens = [](const CatalogEntry& r, LocationType from) {
         return r.kind == kKindSubdir && from == kLocPcDirectory;
       },
       .enter = EnterPcDirectory,
       .refresh = RefreshPcDirectory,
       .takesFileChanges = true,
       .takesCopyOf = FilesAndImages,
       .copyRefusal = kErrCopyToDirOnly},
      {.id = ContainerId::Pc99Image,
       .name = "PC99 track image",
       .location = kLocPc99,
       .rowKinds = {kKindPc99Sd, kKindPc99Dd},
       .opens = [](const CatalogEntry& r, LocationType) { return r.kind == kKindPc99Sd || r.kind == kKindPc99Dd; },
       .enter = EnterFloppyImage,
       .refresh = KeepAsShown,
       .openSectors = TrackImageSectors,
       .information = RowInformation::Disk,
       .copiedAsFile = true,
       .refusesDirectories = true,
       .copyRefusal = kErrCopyToArc},
      {.id = ContainerId::FloppySubdir,
       .name = "floppy sub-directory",
       .location = kLocFloppy,
       .rowKinds = {0, 0},
       .opens = [](const CatalogEntry& r, LocationType from) { return r.kind == kKindSubdir && from == kLocFloppy; },
       .enter = EnterFloppySubdir,
       .leave = LeaveFloppySubdir,
       .refresh = RefreshFloppySubdir,
       .takesFileChanges = true,
       .floppyFileSystem = true,
       .refusesDirectories = true,
       .takesCopyOf = TiFilesOrDos,
       .copyRefusal = kErrCopyTiOnlyToDsk},
      {.id = ContainerId::Archive,
       .name = "ARC archive",
       .location = kLocArchive,
       .rowKinds = {0, 0},
       .opens = [](const CatalogEntry& r, LocationType) { return r.kind == kKindDisFix || r.kind == kKindIntFix; },
       .enter = EnterArchive,
       .refresh = KeepAsShown,
       .refusesDirectories = true,
       .copyRefusal = kErrCopyToArc},
      {.id = ContainerId::PartitionedDisk,
       .name = "partitioned hard-disk image",
       .location = kLocPtImage,
       .rowKinds = {kKindPtImg, 0},
       .opens = [](const CatalogEntry& r, LocationType from) {
         return r.kind == kKindPtImg || ((r.kind == kKindHdImg || r.kind == kKindSubdir) && from == kLocPtImage);
       },
       .enter = EnterPartitionedDisk,
       .up = HardDiskUp,
       .refresh = RefreshHardDisk,
       // Rows read from a partition carry the hard-disk kind (13).
       .information = RowInformation::None,
       .refusesDirectories = true,
       .copyRefusal = kErrCopyToArc},
      {.id = ContainerId::CardImageVolume,
       .name = "CF7A+ card-image volume",
       .location = kLocCardImageVolume,
       .rowKinds = {kKindCardVolume, 0},
       .opens = [](const CatalogEntry& r, LocationType) { return r.kind == kKindCardVolume; },
       .enter = EnterCardImageVolume,
       .leave = LeaveCardImageVolume,
       .refresh = RefreshCardImage,
       .openSectors = CardImageVolumeSectors,
       .information = RowInformation::Disk,
       .takesFileChanges = true,
       .floppyFileSystem = true,
       .takesCopyOf = TiFilesOrDos,
       .copyRefusal = kErrCopyTiOnlyToDsk},
      // Its volumes are reached by copying them out, never entered.
      {.id = ContainerId::CardDrive,
       .name = "CF7A+ card in a drive",
       .location = kLocCardDrive,
       .rowKinds = {kKindCardDrive, 0},
       .information = RowInformation::Disk,
       .refusesDirectories = true,
       .volumeList = true,
       .takesCopyOf = DiskImages,
       .copyRefusal = kErrCopyDskOnlyToCard},
  };
  return kinds;
}

const ContainerKind& ContainerOfLocation(LocationType type) {
  for (const ContainerKind& kind : ContainerKinds())
    if (kind.location == type) return kind;
  static const ContainerKind kNone = {
      .name = "no container", .location = static_cast<LocationType>(-1), .refusesDirectories = true};
  return kNone;
}

const ContainerKind& ContainerOfPane(const PaneState& pane) {
  // The floppy lister marks a sub-directory by the container level.
  if (pane.locationType == kLocFloppy && pane.containerLevel == 2)
    for (const ContainerKind& kind : ContainerKinds())
      if (kind.id == ContainerId::FloppySubdir) return kind;
  return ContainerOfLocation(pane.locationType);
}

const ContainerKind* ContainerOfRowKind(int rowKind) {
  if (rowKind == 0) return nullptr;
  for (const ContainerKind& kind : ContainerKinds())
    if (kind.rowKinds[0] == rowKind || kind.rowKinds[1] == rowKind) return &kind;
  return nullptr;
}

const ContainerKind* ContainerOpenedBy(const PaneState& pane, const CatalogEntry& row) {
  for (const ContainerKind& kind : ContainerKinds())
    if (kind.opens && kind.opens(row, pane.locationType)) return &kind;
  return nullptr;
}

}  // namespace korvane
