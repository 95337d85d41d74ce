// The conversion command (Ctrl+F6 and the two conversion items of the Tools
// menu): a TI file becomes a plain PC file, a plain PC file becomes a TI
// file, each written into the directory the other pane shows. The same
// PC -> TI dialog turns a PC file into a TI file on its way into a disk
// image when the copy command meets one.
#include "catalog/errors.h"
#include "fileops/locations.h"
#include "fileops/conversion_settings.h"
#include "fileops/export.h"
#include "fileops/pc_paths.h"
#include "fileops/pc_to_ti.h"
#include "fileops/ti_to_pc.h"
#include "platform/paths.h"
#include "ui/commands.h"
#include "ui/convert_dialog.h"

namespace korvane::ui {
namespace {

// The attributes of the TI file the conversion just wrote into `path`, read
// back as a listing of its directory would show them.
bool ReadConvertedRow(const std::string& path, CatalogEntry& row) {
  if (ClassifyPcFile(ParentPath(path), LastComponent(path), row) && IsTiFileKind(row.kind)) return true;
  ReportError(kErrReadFile, path);
  return false;
}

}  // namespace

std::string Commands::ConversionSettingsFile() const {
  return settingsPath_.empty() ? std::string(kSettingsFileName) : settingsPath_;
}

void Commands::AfterConversion() {
  // Both panes may show the directory that received the file.
  PaneModel& dest = Other();
  Refresh(dest.state);
  AfterOpen(dest);
  PaneModel& source = Active();
  if (source.state.locationType == kLocPcDirectory && dest.state.locationType == kLocPcDirectory &&
      PaneDirectory(source.state) == PaneDirectory(dest.state)) {
    Refresh(source.state);
    AfterOpen(source);
  }
}

void Commands::ConvertKey() {
  if (busy_ || !Active().hasRows || !Other().hasRows) return;
  const PaneState& pane = Active().state;
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return;
  const CatalogEntry row = pane.rows[static_cast<size_t>(pane.cursor)];
  const ConversionKind kind = StartConversion(Other().state, row);
  if (kind == ConversionKind::None) return;

  if (kind == ConversionKind::TiToPc) {
    ConvertDialog dialog(window_, row, ReadConversionSection(ConversionSettingsFile(), kTiPcSection),
                         [this, &row](const std::string& pcName, int method, Progress& progress) {
                           RunLong([&] {
                             SetLastErrorCode(0);
                             std::string sourcePath;
                             if (TiFileAsPcFile(Active().state, row, sourcePath))
                               ConvertTiFileToPc(sourcePath, row, PaneDirectory(Other().state), pcName, method,
                                                 progress);
                             AfterConversion();
                           });
                         });
    dialog.exec();
  } else {
    ConvertDialog dialog(
        window_, row.sourceName, ReadConversionSection(ConversionSettingsFile(), kPcTiSection),
        [this, &row](const PcTiJob& job, Progress& progress) {
          RunLong([&] {
            const std::string sourcePath = JoinPath(PaneDirectory(Active().state), row.sourceName);
            ConvertPcFileToTi(sourcePath, PaneDirectory(Other().state), job, progress);
            AfterConversion();
          });
        });
    dialog.exec();
  }
  emit panesChanged();
}

DosConversion Commands::ConvertDosRow(const CatalogEntry& dosRow, CatalogEntry& converted) {
  const std::string sourcePath = JoinPath(PaneDirectory(Active().state), dosRow.sourceName);
  const std::string scratch = ScratchTiFile();
  bool ok = false;
  ConvertDialog dialog(window_, dosRow.sourceName,
                       ReadConversionSection(ConversionSettingsFile(), kPcTiSection),
                       [&](const PcTiJob& job, Progress& progress) {
                         // Already inside the copy command's long run.
                         ok = ConvertPcFileToTiFile(sourcePath, scratch, job, progress) &&
                              ReadConvertedRow(scratch, converted);
                       });
  // Cancel in the dialog skips this file and the copy goes on with the next
  // row; a conversion that failed (and was reported) ends the batch.
  if (dialog.exec() != QDialog::Accepted) return DosConversion::Skipped;
  return ok ? DosConversion::Converted : DosConversion::Stop;
}

}  // namespace korvane::ui
