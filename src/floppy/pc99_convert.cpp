#include "floppy/pc99_convert.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/file_commands.h"  // the overwrite question and its caption
#include "fileops/locations.h"
#include "floppy/pc99.h"
#include "floppy/v9t9.h"

namespace korvane {
namespace {

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// Paths compared as the user wrote them, case ignored, and, when both exist,
// as files: two spellings of one file must never be taken for two files,
// since the output is truncated before it is written.
bool SamePath(const std::string& a, const std::string& b) {
  if (strcasecmp(WithoutTrailingSlash(a).c_str(), WithoutTrailingSlash(b).c_str()) == 0) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool IsPc99Kind(int kind) { return kind == kKindPc99Sd || kind == kKindPc99Dd; }

// The overwrite question of the copy commands, with its four answers.
Answer AskOverwrite(const std::string& what, const std::string& name) {
  return CurrentReporter().Ask(kOverwriteCaption, fmt::sprintf("%s <%s> allready exist. Overwrite?", what, name),
                               Buttons::YesNoCancel);
}

}  // namespace

bool ConvertPc99ToV9T9(const CatalogEntry& imageRow, const std::string& directory, const std::string& outputPath) {
  const std::string imagePath = JoinPath(directory, imageRow.sourceName);
  Pc99Image image;
  if (!image.Open(imagePath, imageRow.kind)) return false;
  Pc99Sectors& sectors = image.Sectors();
  const DiskSummary& summary = image.Summary();
  Sector sector = image.Vib();
  if (SamePath(imagePath, outputPath)) {
    ReportError(kErrPc99SameName);
    return false;
  }
  PcFile output;
  if (!output.Open(outputPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, outputPath);
    return false;
  }
  for (uint32_t s = 0; s < summary.totalSectors; ++s) {
    if (s != 0 && !sectors.ReadSector(s, sector)) break;  // sector 0 is the VIB read above
    if (!output.WriteAt(uint64_t{s} * 256, sector.data(), sector.size())) {
      ReportError(kErrWriteSector, static_cast<int>(s), outputPath);
      break;
    }
  }
  return true;
}

bool CheckPc99Conversion(const PaneState& source, const PaneState& destination) {
  if (destination.locationType != kLocPcDirectory) {
    ReportError(kErrPc99ToDirOnly);
    return false;
  }
  if (SamePath(PaneDirectory(source), PaneDirectory(destination))) {
    ReportError(kErrPc99ToItself);
    return false;
  }
  return true;
}

std::string Pc99ConversionText(const PaneState& source) {
  const int marked = source.MarkedCount();
  if (marked > 0) return fmt::sprintf("Convert %u PC99 disks to", static_cast<unsigned>(marked));
  std::string name;
  if (source.cursor >= 0 && source.cursor < source.RowCount())
    name = SafePcName(source.rows[static_cast<size_t>(source.cursor)].tiName);
  return fmt::sprintf("Convert PC99 disk <%s> to", name);
}

int RunPc99Conversion(PaneState& source, PaneState& destination, Progress& progress) {
  std::vector<size_t> turns;
  if (source.MarkedCount() == 0) {
    if (source.cursor >= 0 && source.cursor < source.RowCount() &&
        IsPc99Kind(source.rows[static_cast<size_t>(source.cursor)].kind))
      turns.push_back(static_cast<size_t>(source.cursor));
  } else {
    for (size_t i = 0; i < source.rows.size(); ++i)
      if (source.rows[i].marked && IsPc99Kind(source.rows[i].kind)) turns.push_back(i);
  }
  bool overwriteAll = false;
  int converted = 0;
  for (size_t i : turns) {
    if (progress.Cancelled()) break;
    const CatalogEntry row = source.rows[i];
    const std::string output = RowPcPath(destination, row);
    const std::string imagePath = RowPcPath(source, row);
    bool stop = false;
    bool skip = false;
    if (PathExists(output)) {
      if (SamePath(imagePath, output)) {
        // Deleting the "existing output" would delete the image itself.
        ReportError(kErrPc99SameName);
        break;
      }
      if (!overwriteAll) {
        switch (AskOverwrite("DSK image", SafePcName(row.tiName))) {
          case Answer::All: overwriteAll = true; break;
          case Answer::Yes: case Answer::Ok: break;
          case Answer::Cancel: stop = true; break;
          default: skip = true; break;
        }
      }
      if (!stop && !skip && std::remove(output.c_str()) != 0) {
        ReportError(kErrDelete, output, errno);
        stop = true;
      }
    }
    if (!stop && !skip) {
      if (!ConvertPc99ToV9T9(row, PaneDirectory(source), output)) stop = true;
      else ++converted;
      Refresh(destination);
    }
    if (stop) break;  // the row that stopped the run stays marked
    source.rows[i].marked = false;
  }
  return converted;
}

}  // namespace korvane
