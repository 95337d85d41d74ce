#include "viewers/information.h"

#include <fmt/format.h>

#include "fileops/container_kinds.h"
#include "floppy/v9t9.h"

namespace korvane {
namespace {

std::string Number(unsigned value) { return fmt::format("{}", value); }
const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

// Every field of the dialog, empty until a rule fills it: the dialog shows
// all its labels whatever the row.
struct FileFields {
  std::string pcName, tiName, size, type, recordLength, recordsPerSector, eofOffset, writeProtected, archive,
      v9t9Format;
  bool program = false;
};

Information Fill(const FileFields& f) {
  Information info;
  info.title = "File Information";
  info.fields = {{"PC name", f.pcName},
                 {"TI name", f.tiName},
                 {"Size", f.size},
                 {"Type", f.type},
                 {f.program ? "Program size" : "Record length", f.recordLength},
                 {"Records per sector", f.recordsPerSector},
                 {"End of file offset", f.eofOffset},
                 {"Write protected", f.writeProtected},
                 {"Archive", f.archive},
                 {"V9t9 format", f.v9t9Format}};
  return info;
}

}  // namespace

Information DiskInformation(const CatalogEntry& row) {
  const DiskSummary& d = row.disk;
  Information info;
  info.title = "Disk Information";
  // Size, free and used are the copies the summary keeps for the list, so
  // the dialog agrees with the Size column and the status line.
  info.fields = {{"PC name", row.sourceName},
                 {"Volume label", row.tiName},
                 {"Size (sectors)", Number(d.total)},
                 {"Free (AU's)", Number(d.free)},
                 {"Used (AU's)", Number(d.used)},
                 {"Media type", d.marker},
                 {"Media protection", YesNo(d.protection == 'P')},
                 {"Tracks per side", Number(d.tracksPerSide)},
                 {"Number of sides", Number(d.sides)},
                 {"Sectors per track", Number(d.sectorsPerTrack)},
                 {"Sectors per AU", Number(SectorsPerAllocationUnit(d.totalSectors))},
                 {"Density", Number(d.density)}};
  return info;
}

Information FileInformation(const CatalogEntry& row, LocationType locationType) {
  FileFields f;
  const bool inPcDirectory = locationType == kLocPcDirectory;
  if (row.kind == kKindSubdir || row.kind == kKindUprdir) {
    if (inPcDirectory) f.pcName = row.sourceName;
    else f.tiName = row.tiName;
    f.type = KindName(row.kind);
    return Fill(f);
  }
  if (row.kind == kKindDos) {
    f.pcName = row.sourceName;
    f.type = "DOS";
    return Fill(f);
  }
  if (inPcDirectory) {
    f.pcName = row.sourceName;
    f.v9t9Format = YesNo(row.headerKind == kHeaderV9t9 && !row.archiveMember);
  }
  f.program = row.kind == kKindProgram;
  f.tiName = row.tiName;
  f.size = Number(row.totalSectors);
  f.type = KindName(row.kind);
  f.recordLength = Number(row.recordLength);
  if (!f.program) f.recordsPerSector = Number(row.recordsPerSector);
  f.eofOffset = Number(row.eofOffset);
  f.writeProtected = YesNo((row.statusFlags & status::kProtected) != 0);
  f.archive = YesNo((row.statusFlags & status::kArchived) != 0);
  return Fill(f);
}

std::optional<Information> InformationForCursor(const PaneState& pane) {
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return std::nullopt;
  const CatalogEntry& row = pane.rows[static_cast<size_t>(pane.cursor)];
  // A row that stands for a container shows what its kind shows of it.
  const ContainerKind* container = ContainerOfRowKind(row.kind);
  switch (container ? container->information : RowInformation::File) {
    case RowInformation::Disk: return DiskInformation(row);
    case RowInformation::None: return std::nullopt;
    case RowInformation::File: break;
  }
  return FileInformation(row, pane.locationType);
}

}  // namespace korvane
