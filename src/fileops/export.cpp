#include "fileops/export.h"

#include "archive/arc_extract.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/header_convert.h"
#include "fileops/locations.h"
#include "fileops/pc_names.h"
#include "fileops/pc_paths.h"
#include "fileops/row_source.h"
#include "harddisk/hd_sectors.h"
#include "floppy/v9t9.h"
#include "platform/paths.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr size_t kV9t9HeaderFields = 0x1c;    // FDR bytes copied into a V9T9 header

}  // namespace

Sector FdrOfRow(const CatalogEntry& row) {
  // A V9T9 header is the first 128 bytes of the file's FDR.
  const PcHeaderBytes header = MakeV9t9Header(row);
  Sector f{};
  ByteWriter(f.data(), f.size()).copy(0, ByteView(header.data(), header.size()));
  return f;
}

namespace {

// Writes `header` to `pcPath`, then the data sectors that `sectors` hands to
// the writer it is given (index from 0, then the sector). A half-written
// file would later read as a complete TI file whose header disagrees with
// its data: on failure nothing is left at `pcPath`.
template <typename Sectors>
bool WriteExportedFile(const std::string& pcPath, const PcHeader& header, Sectors sectors) {
  PcFile out;
  if (!out.Open(pcPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, pcPath);
    return false;
  }
  bool ok = out.WriteAt(0, header.data(), header.size());
  if (!ok) ReportError(kErrWriteSector, 0, pcPath);
  if (ok) {
    ok = sectors([&](uint32_t index, const Sector& data) {
      if (out.WriteAt(kPcHeaderSize + uint64_t{index} * kSectorSize, data.data(), data.size())) return true;
      ReportError(kErrWriteSector, static_cast<int>(index), pcPath);
      return false;
    });
  }
  out.Close();
  if (!ok) RemoveIfPresent(pcPath);
  return ok;
}

// A TI file kept as a PC file, written out again with the header asked for:
// the header made from the row (which a Classic99 file has corrected), the
// data sectors after the file's own 128-byte header, a short last sector
// filled with zeros.
bool ExportPcTiFile(const PaneState& pane, const CatalogEntry& row, const std::string& pcPath, bool tifiles) {
  const std::string from = RowPcPath(pane, row);
  if (SamePcFile(from, pcPath)) {
    ReportError(kErrCopyToItself);
    return false;
  }
  PcFile in;
  if (!in.Open(from, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, from);
    return false;
  }
  const Sector fdrBytes = FdrOfRow(row);
  const PcHeader header = MakePcHeader(ByteView(fdrBytes.data(), fdrBytes.size()), tifiles);
  return WriteExportedFile(pcPath, header, [&](const auto& write) {
    Sector data;
    for (uint32_t s = 0; s < row.totalSectors; ++s) {
      data.fill(0);
      in.ReadAt(kPcHeaderSize + uint64_t{s} * kSectorSize, data.data(), data.size());
      if (!write(s, data)) return false;
    }
    return true;
  });
}

}  // namespace

PcHeader MakePcHeader(ByteView f, bool tifiles, uint8_t statusMask) {
  PcHeader v9t9{};
  ByteWriter w(v9t9.data(), v9t9.size());
  w.copy(0, f.sub(0, kV9t9HeaderFields));
  const uint8_t flags = f.u8(fdr::kStatus) & statusMask;
  w.put8(fdr::kStatus, flags);
  if (flags & status::kProgram) w.put8(fdr::kRecordLength, 0);
  if (!tifiles) return v9t9;

  const ByteView v(v9t9.data(), v9t9.size());
  PcHeader t{};
  ByteWriter h(t.data(), t.size());
  h.putStr(tifiles::kMagic, std::string_view(tifiles::kMagicText, 8), 8);
  h.put16be(tifiles::kTotalSectors, v.be16(fdr::kTotalSectors));
  h.put8(tifiles::kStatus, v.u8(fdr::kStatus));
  h.put8(tifiles::kRecordsPerSector, v.u8(fdr::kRecordsPerSector));
  h.put8(tifiles::kEofOffset, v.u8(fdr::kEofOffset));
  h.put8(tifiles::kRecordLength, v.u8(fdr::kRecordLength));
  h.put8(tifiles::kLevel3, v.u8(fdr::kLevel3));          // low byte
  h.put8(tifiles::kLevel3 + 1, v.u8(fdr::kLevel3 + 1));  // high byte
  for (size_t p = tifiles::kName; p + 1 < t.size(); p += 2) {
    h.put8(p, 0xCA);  // "no name stored" filler
    h.put8(p + 1, 0x53);
  }
  return t;
}

bool ExportTiFile(const PaneState& pane, const CatalogEntry& row, const std::string& pcPath, bool tifiles) {
  // Writing over the container while reading from it would destroy it.
  if (SamePcFile(pane.locationPath, pcPath)) {
    ReportError(kErrCopyToItself);
    return false;
  }
  if (pane.locationType == kLocPcDirectory) return ExportPcTiFile(pane, row, pcPath, tifiles);
  if (row.archiveMember) {
    // A member has no sectors of its own: the archive reader decodes it.
    if (ExtractArchiveMemberAs(pane.locationPath, row, pcPath, tifiles)) return true;
    RemoveIfPresent(pcPath);
    return false;
  }
  PcFile image;
  std::unique_ptr<SectorSource> source = OpenRowSectors(pane, row, image);
  if (!source) return false;
  Sector fdrBytes;
  if (!source->ReadSector(RowFdrSector(row), fdrBytes)) return false;
  const ByteView f(fdrBytes.data(), fdrBytes.size());
  const PcHeader header = MakePcHeader(f, tifiles);
  // The chain is walked from its first entry; a chain that ends before the
  // total sectors simply ends the file.
  return WriteExportedFile(pcPath, header,
                           [&](const auto& write) { return ReadRowFileSectors(*source, row, f, write); });
}

bool TiFileAsPcFile(const PaneState& pane, const CatalogEntry& row, std::string& pcPath) {
  if (pane.locationType == kLocPcDirectory) {
    pcPath = RowPcPath(pane, row);
    return true;
  }
  // Members of an ARC archive are extracted into the scratch file by the
  // archive reader; every other container is read through its sectors.
  pcPath = ScratchTiFile();
  if (!RemoveIfPresent(pcPath)) {
    // Cannot remove it: at least make sure none of its old bytes survive.
    PcFile stale;
    if (!stale.Open(pcPath, PcFile::Mode::CreateWrite)) {
      ReportError(kErrOpenWrite, pcPath);
      return false;
    }
  }
  if (row.archiveMember) {
    if (ExtractArchiveMember(pane, row, pcPath)) return true;
    RemoveIfPresent(pcPath);  // a partly decoded member is no file to view
    return false;
  }
  return ExportTiFile(pane, row, pcPath, GetNameSettings().extractTifiles);
}

}  // namespace korvane
