#include "fileops/header_convert.h"

#include <fmt/printf.h>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/locations.h"
#include "fileops/pc_paths.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr const char* kSorryText = "Sorry ... no file(s) of the correct type selected for this operation!";
constexpr int kListedNames = 4;

// The record length a header stores: a PROGRAM row keeps its size in that
// attribute, the header keeps 0.
uint8_t HeaderRecordLength(const CatalogEntry& row) {
  return row.kind == kKindProgram ? 0 : static_cast<uint8_t>(row.recordLength);
}

const CatalogEntry* CursorRow(const PaneState& pane) {
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return nullptr;
  return &pane.rows[static_cast<size_t>(pane.cursor)];
}

}  // namespace

bool IsHeaderConvertible(const CatalogEntry& row, HeaderDirection direction) {
  if (!IsTiFileKind(row.kind)) return false;
  if (direction == HeaderDirection::ToV9t9)
    return row.headerKind == kHeaderTifiles || row.headerKind == kHeaderClassic99;
  return row.headerKind == kHeaderV9t9;
}

PcHeaderBytes MakeV9t9Header(const CatalogEntry& row) {
  PcHeaderBytes header{};
  ByteWriter w(header.data(), header.size());
  w.putStr(fdr::kName, row.tiName, 10);                           // TI name, space padded
  w.put16be(fdr::kReserved10, 0);
  w.put8(fdr::kStatus, static_cast<uint8_t>(row.statusFlags));
  w.put8(fdr::kRecordsPerSector, static_cast<uint8_t>(row.recordsPerSector));
  w.put16be(fdr::kTotalSectors, row.totalSectors);               // data sectors
  w.put8(fdr::kEofOffset, static_cast<uint8_t>(row.eofOffset));  // bytes used in the last sector, 0 = all
  w.put8(fdr::kRecordLength, HeaderRecordLength(row));
  w.put16le(fdr::kLevel3, row.level3Records);                    // the one little-endian field
  return header;
}

PcHeaderBytes MakeTifilesHeader(const CatalogEntry& row) {
  PcHeaderBytes header{};
  ByteWriter w(header.data(), header.size());
  w.putStr(tifiles::kMagic, std::string_view(tifiles::kMagicText, 8), 8);
  w.put16be(tifiles::kTotalSectors, row.totalSectors);
  w.put8(tifiles::kStatus, static_cast<uint8_t>(row.statusFlags));
  w.put8(tifiles::kRecordsPerSector, static_cast<uint8_t>(row.recordsPerSector));
  w.put8(tifiles::kEofOffset, static_cast<uint8_t>(row.eofOffset));
  w.put8(tifiles::kRecordLength, HeaderRecordLength(row));
  w.put16le(tifiles::kLevel3, row.level3Records);
  // No name is stored: readers take the TI name from the PC file name.
  for (size_t p = tifiles::kName; p + 1 < header.size(); p += 2) {
    w.put8(p, 0xCA);
    w.put8(p + 1, 0x53);
  }
  return header;
}

const char* HeaderConversionCaption(HeaderDirection direction) {
  return direction == HeaderDirection::ToV9t9 ? "Convert to V9T9 format" : "Convert to TIFILES format";
}

bool CheckHeaderConversionPane(const PaneState& pane) {
  if (pane.locationType == kLocPcDirectory) return true;
  ReportError(kErrConvertOnlyInDir);
  return false;
}

bool HasHeaderConvertibleRows(const PaneState& pane, HeaderDirection direction) {
  if (pane.MarkedCount() == 0) {
    const CatalogEntry* row = CursorRow(pane);
    return row && IsHeaderConvertible(*row, direction);
  }
  for (const CatalogEntry& row : pane.rows)
    if (row.marked && IsHeaderConvertible(row, direction)) return true;
  return false;
}

std::string HeaderConversionText(const PaneState& pane, HeaderDirection direction) {
  if (pane.MarkedCount() == 0) {
    const CatalogEntry* row = CursorRow(pane);
    if (!row || !IsHeaderConvertible(*row, direction)) return kSorryText;
    return fmt::sprintf("Do you really wish to convert <%s>", SafePcName(row->tiName));
  }
  unsigned eligible = 0;
  for (const CatalogEntry& row : pane.rows)
    if (row.marked && IsHeaderConvertible(row, direction)) ++eligible;
  if (eligible == 0) return kSorryText;
  std::string text = fmt::sprintf("Do you really wish to convert %u files?", eligible);
  int listed = 0;
  for (const CatalogEntry& row : pane.rows) {
    if (!row.marked || !IsHeaderConvertible(row, direction)) continue;
    if (listed == kListedNames) {
      text += "  ...";
      break;
    }
    text += fmt::sprintf("\n    %s", SafePcName(row.tiName));
    ++listed;
  }
  return text;
}

bool ConvertRowHeader(const PaneState& pane, CatalogEntry& row, HeaderDirection direction) {
  row.marked = false;
  if (!IsHeaderConvertible(row, direction)) return false;
  const std::string path = RowPcPath(pane, row);
  PcFile file;
  if (!file.Open(path, PcFile::Mode::ReadWrite)) {
    ReportError(kErrOpenRead, path);
    return false;
  }

  const bool toV9t9 = direction == HeaderDirection::ToV9t9;
  CatalogEntry converted = row;
  if (toV9t9 && TrimTiName(converted.tiName).empty()) converted.tiName = PcNameToTiName(row.sourceName);

  // A Classic99 file's data need not end on a sector boundary; a V9T9 file's
  // must. The padding goes first so that a failure leaves a file that still
  // reads as the Classic99 file it was.
  if (toV9t9 && row.headerKind == kHeaderClassic99) {
    const int64_t size = file.Size();
    if (size < 0) {
      ReportError(kErrReadFile, path);
      return false;
    }
    const uint64_t data = static_cast<uint64_t>(size) > kPcHeaderSize ? static_cast<uint64_t>(size) - kPcHeaderSize : 0;
    const uint64_t rest = data % kSectorSize;
    if (rest != 0) {
      const std::array<uint8_t, kSectorSize> zeros{};
      if (!file.WriteAt(static_cast<uint64_t>(size), zeros.data(), kSectorSize - rest)) {
        ReportError(kErrWriteSector, static_cast<int>(data / kSectorSize), path);
        return false;
      }
    }
  }

  const PcHeaderBytes header = toV9t9 ? MakeV9t9Header(converted) : MakeTifilesHeader(converted);
  if (!file.WriteAt(0, header.data(), header.size())) {
    ReportError(kErrWriteSector, 0, path);
    return false;
  }
  if (!file.Flush()) {
    ReportError(kErrWriteSector, 0, path);
    return false;
  }
  converted.headerKind = toV9t9 ? kHeaderV9t9 : kHeaderTifiles;
  row = converted;
  return true;
}

int ConvertHeaders(PaneState& pane, HeaderDirection direction, Progress& progress) {
  int converted = 0;
  auto convertOne = [&](CatalogEntry& row) {
    if (IsHeaderConvertible(row, direction))
      progress.SetText(fmt::sprintf("Converting <%s>", SafePcName(row.tiName)));
    if (ConvertRowHeader(pane, row, direction)) ++converted;
  };
  const int marked = pane.MarkedCount();
  if (marked > 0) {
    progress.Begin(static_cast<uint64_t>(marked), "");
    uint64_t ordinal = 0;
    for (CatalogEntry& row : pane.rows) {
      if (!row.marked) continue;
      if (!progress.Step(++ordinal)) break;
      convertOne(row);
    }
  } else if (pane.cursor >= 0 && pane.cursor < pane.RowCount()) {
    progress.Begin(1, "");
    if (progress.Step(1)) convertOne(pane.rows[static_cast<size_t>(pane.cursor)]);
  }
  progress.End();
  return converted;
}

}  // namespace korvane
