// Add file: one TI file row copied into the floppy image or card volume the
// destination pane shows, from a PC file with a header (a file of a PC
// directory, a file exported from another container, or the scratch file).
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "fileops/row_source.h"
#include "floppy/v9t9_write.h"
#include "platform/paths.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

NewFileAttributes AttributesOf(const CatalogEntry& row) {
  NewFileAttributes a;
  a.tiName = TrimTiName(row.tiName).empty() ? PcNameToTiName(row.sourceName) : row.tiName;
  a.tiName.resize(10, ' ');
  a.status = static_cast<uint8_t>(row.statusFlags);
  a.recordsPerSector = static_cast<uint8_t>(row.recordsPerSector);
  a.totalSectors = row.totalSectors;
  a.eofOffset = static_cast<uint8_t>(row.eofOffset);
  // A PROGRAM row carries its size in bytes here; its FDR gets 0.
  a.recordLength = row.kind == kKindProgram ? 0 : static_cast<uint8_t>(row.recordLength);
  a.level3 = row.level3Records;
  return a;
}

}  // namespace

int AddFileToPane(Progress& progress, PaneState& dest, const PaneState* source, const CatalogEntry& row,
                  bool refresh, CopyBatch& batch) {
  SetLastErrorCode(0);
  const std::string& imagePath = dest.locationPath;
  PcFile image;
  if (!image.Open(imagePath, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenReadWrite, imagePath);
    return 0;
  }
  ImageFileSectors sectors(image, imagePath, PaneSectorBase(dest));
  FloppyVolume volume;
  if (!LoadFloppyVolume(sectors, dest.fdirSector, volume)) return 0;

  AddFileRequest request;
  request.file = AttributesOf(row);
  request.progress = &progress;
  request.classic99 = source && source->locationType == kLocPcDirectory && row.headerKind == kHeaderClassic99;
  const std::string shownName = SafePcName(request.file.tiName);
  request.askOverwrite = [&] { return batch.Ask("TI file", shownName); };
  request.source = [&](std::string& pcPath) {
    if (source == nullptr) {
      pcPath = ScratchTiFile();  // converted there beforehand
      return true;
    }
    SetLastErrorCode(0);
    return TiFileAsPcFile(*source, row, pcPath) && LastErrorCode() == 0;
  };

  const AddResult result = AddFile(volume, request);
  image.Close();
  if (refresh || result == AddResult::Stop) Refresh(dest);
  return result == AddResult::Stop ? 2 : 0;
}

}  // namespace korvane
