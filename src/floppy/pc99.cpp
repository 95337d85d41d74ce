#include "floppy/pc99.h"

#include <algorithm>

#include "catalog/errors.h"
#include "floppy/v9t9.h"
#include "platform/byte_view.h"

namespace korvane {
namespace {

// Records of one track that a search looks at: the sectors per track, but
// never more than lie inside the track.
uint32_t SearchCount(const Pc99Geometry& g) {
  const Pc99TrackLayout& layout = Pc99Layout(g.kind);
  return std::min<uint32_t>(g.sectorsPerTrack, Pc99RecordsPerTrack(layout));
}

// The offset inside `records` of the first whole record with an ID mark and
// sector number `wanted`, or -1.
int64_t FindRecord(ByteView records, const Pc99TrackLayout& layout, uint32_t wanted) {
  for (size_t at = 0; records.has(at, layout.recordLength); at += layout.recordLength) {
    if (records.u8(at + layout.idMark) == kPc99IdMark && records.u8(at + layout.idSector) == wanted)
      return static_cast<int64_t>(at);
  }
  return -1;
}

uint64_t TrackRecordsOffset(const Pc99TrackLayout& layout, int64_t index) {
  return static_cast<uint64_t>(index) * layout.trackLength + layout.firstRecord;
}

}  // namespace

const Pc99TrackLayout& Pc99Layout(uint16_t kind) { return kind == kKindPc99Sd ? kPc99Fm : kPc99Mfm; }

uint32_t Pc99RecordsPerTrack(const Pc99TrackLayout& layout) {
  return (layout.trackLength - layout.firstRecord) / layout.recordLength;
}

Pc99Geometry DefaultPc99Geometry(uint16_t kind) {
  Pc99Geometry g;
  g.kind = kind;
  g.sectorsPerTrack = Pc99Layout(kind).defaultSectorsPerTrack;
  g.tracksPerSide = 0;
  return g;
}

int64_t Pc99TrackIndex(const Pc99Geometry& g, uint32_t logicalTrack) {
  const int64_t tracks = g.tracksPerSide;
  const int64_t l = logicalTrack;
  if (tracks == 0 || l < tracks) return l;
  if (l >= 2 * tracks) return -1;  // past side 1: nothing there but other tracks' bytes
  return 3 * tracks - 1 - l;
}

bool LocatePc99Sector(const Pc99Geometry& g, PcFile& image, uint32_t sector, Pc99Record& record,
                      const std::string* reportPath) {
  const Pc99TrackLayout& layout = Pc99Layout(g.kind);
  bool found = false;
  if (g.sectorsPerTrack != 0) {
    const int64_t index = Pc99TrackIndex(g, sector / g.sectorsPerTrack);
    const uint32_t wanted = sector % g.sectorsPerTrack;
    if (index >= 0) {
      std::vector<uint8_t> records(static_cast<size_t>(SearchCount(g)) * layout.recordLength);
      const size_t got = image.ReadAt(TrackRecordsOffset(layout, index), records.data(), records.size());
      const int64_t at = FindRecord(ByteView(records.data(), got), layout, wanted);
      if (at >= 0) {
        record.fill(0);
        std::copy_n(records.begin() + at, layout.recordLength, record.begin());
        found = true;
      }
    }
  }
  if (!found && reportPath != nullptr) ReportError(kErrReadSector, static_cast<int>(sector), *reportPath);
  return found;
}

void Pc99SectorData(const Pc99Record& record, uint16_t kind, Sector& out) {
  const Pc99TrackLayout& layout = Pc99Layout(kind);
  std::copy_n(record.begin() + layout.data, out.size(), out.begin());
}

void Pc99Sectors::UseVib(const DiskSummary& summary) {
  if (summary.sectorsPerTrack != 0) geometry_.sectorsPerTrack = summary.sectorsPerTrack;
  geometry_.tracksPerSide = summary.tracksPerSide;
  cachedTrack_ = -1;
}

bool Pc99Sectors::LoadTrack(int64_t index) {
  if (index == cachedTrack_) return true;
  const Pc99TrackLayout& layout = Pc99Layout(geometry_.kind);
  track_.resize(static_cast<size_t>(SearchCount(geometry_)) * layout.recordLength);
  const size_t got = file_.ReadAt(TrackRecordsOffset(layout, index), track_.data(), track_.size());
  track_.resize(got - got % layout.recordLength);  // only whole records count
  cachedTrack_ = index;
  return true;
}

bool Pc99Sectors::ReadSector(uint32_t n, Sector& out) {
  const Pc99TrackLayout& layout = Pc99Layout(geometry_.kind);
  if (geometry_.sectorsPerTrack != 0) {
    const int64_t index = Pc99TrackIndex(geometry_, n / geometry_.sectorsPerTrack);
    if (index >= 0 && LoadTrack(index)) {
      const int64_t at = FindRecord(ByteView(track_.data(), track_.size()), layout, n % geometry_.sectorsPerTrack);
      if (at >= 0) {
        std::copy_n(track_.begin() + at + layout.data, out.size(), out.begin());
        return true;
      }
    }
  }
  ReportError(kErrReadSector, static_cast<int>(n), name_);
  return false;
}

bool Pc99Sectors::ReadVib(Sector& vib, DiskSummary& summary) {
  if (!ReadSector(0, vib)) return false;
  if (!ReadDiskSummary(ByteView(vib.data(), vib.size()), geometry_.kind, summary)) {
    ReportError(kErrDiskInfo, name_);
    return false;
  }
  UseVib(summary);
  return true;
}

bool Pc99Image::Open(const std::string& path, uint16_t kind) {
  sectors_.reset();
  if (!file_.Open(path, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, path);
    return false;
  }
  sectors_.emplace(file_, path, DefaultPc99Geometry(kind));
  return sectors_->ReadVib(vib_, summary_);
}

}  // namespace korvane
