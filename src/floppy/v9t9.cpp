#include "floppy/v9t9.h"

#include "catalog/header.h"

namespace korvane {
namespace {
constexpr unsigned kAuTable[17] = {1, 1, 2, 4, 4, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 16, 16};
}  // namespace

unsigned SectorsPerAllocationUnit(uint32_t totalSectors) {
  const uint32_t index = totalSectors % 1600 == 0 ? totalSectors / 1600 : totalSectors / 1600 + 1;
  if (index >= 17) return 0;
  return kAuTable[index];
}

uint32_t VibGeometrySectors(ByteView v) {
  return uint32_t{v.u8(vib::kSectorsPerTrack)} * v.u8(vib::kTracksPerSide) * (v.u8(vib::kSides) ? v.u8(vib::kSides) : 1);
}

bool ReadDiskSummary(ByteView v, uint16_t kind, DiskSummary& s) {
  s = DiskSummary{};
  s.kind = kind;
  s.volumeName = TakeTiName(v);
  s.marker = v.str(vib::kMarker, 3);
  s.totalSectors = v.be16(vib::kTotalSectors);
  s.sectorsPerTrack = v.u8(vib::kSectorsPerTrack);
  s.protection = v.u8(vib::kProtection);
  s.sides = v.u8(vib::kSides) ? v.u8(vib::kSides) : 1;
  s.density = v.u8(vib::kDensity) ? v.u8(vib::kDensity) : 1;
  s.tracksPerSide = v.u8(vib::kTracksPerSide);

  bool ok = v.size() >= 256 && s.marker == "DSK" && s.sides <= 2 && s.density <= 3;
  if (ok && s.tracksPerSide == 0) {
    if (s.sectorsPerTrack == 0)
      ok = false;
    else
      s.tracksPerSide = static_cast<uint16_t>(s.totalSectors / s.sectorsPerTrack / s.sides);
    if (s.tracksPerSide == 0) ok = false;
  }
  if (!ok) return false;

  unsigned used = 0;
  for (size_t i = 0; i < vib::kBitmapBytes; ++i) used += static_cast<unsigned>(__builtin_popcount(v.u8(vib::kBitmap + i)));
  s.free = static_cast<uint16_t>(vib::kBitmapBits - used);
  s.total = s.totalSectors;
  s.used = static_cast<uint16_t>(s.total - s.free);
  return true;
}

uint16_t RecogniseFloppy(ByteView b, PcFile* file, DiskSummary& summary) {
  uint16_t kind = kKindDsk;
  uint64_t vibOffset = 0;
  // An FM track begins with gap bytes, written as 00h by some programs and
  // as FFh by others; the ID and data address marks that follow decide.
  const uint8_t fmGap = b.u8(0);
  if ((fmGap == 0x00 || fmGap == 0xFF) && b.u8(22) == 0xFE && b.u8(23) == 0 && b.u8(24) == 0 &&
      b.u8(25) == 0 && b.u8(26) == 0x01 && b.u8(46) == 0xFB) {
    kind = kKindPc99Sd;
    vibOffset = kPc99SdVibOffset;
  } else if (b.u8(0) == 0x4E && b.u8(53) == 0xFE && b.u8(54) == 0 && b.u8(55) == 0 && b.u8(56) == 0 &&
             b.u8(57) == 0x01 && b.u8(97) == 0xFB) {
    kind = kKindPc99Dd;
    vibOffset = kPc99DdVibOffset;
  }
  Sector vibBytes{};
  ByteView v = b;
  if (vibOffset != 0 && file != nullptr) {
    if (!file->ReadExact(vibOffset, vibBytes.data(), vibBytes.size())) {
      summary = DiskSummary{};
      return 0;
    }
    v = ByteView(vibBytes.data(), vibBytes.size());
  }
  if (!ReadDiskSummary(v, kind, summary)) {
    summary.free = summary.total = summary.used = 0;
    return 0;
  }
  return kind;
}

std::vector<Fragment> ReadDataChain(ByteView f, uint16_t density) {
  std::vector<Fragment> fragments;
  const uint32_t total = f.be16(0x0e);
  uint32_t running = 0;  // sectors of the file covered so far
  for (size_t p = 0x1c; p + 3 <= 255 && f.has(p, 3) && running < total; p += 3) {
    const uint8_t b0 = f.u8(p), b1 = f.u8(p + 1), b2 = f.u8(p + 2);
    uint32_t start = static_cast<uint32_t>((b1 & 0x0F) << 8 | b0);
    const uint32_t offset = static_cast<uint32_t>(b2) << 4 | (b1 >> 4);
    if (start == 0) break;
    if (density >= 3) start *= 4;
    if (offset < running) break;  // the last sector would lie before the first
    uint32_t count = offset - running + 1;
    if (count > total - running) count = total - running;
    fragments.push_back({start, start + count - 1});
    running = offset + 1;
  }
  return fragments;
}

bool ReadFileSectors(SectorSource& source, ByteView fdrBytes, uint16_t density,
                     const std::function<bool(uint32_t, const Sector&)>& sink) {
  uint32_t index = 0;
  Sector sector;
  for (const Fragment& frag : ReadDataChain(fdrBytes, density)) {
    for (uint32_t s = frag.first; s <= frag.last; ++s) {
      if (!source.ReadSector(s, sector)) return false;
      if (!sink(index++, sector)) return false;
    }
  }
  return true;
}

std::vector<uint16_t> ReadFdirEntries(ByteView fdir) {
  std::vector<uint16_t> entries;
  for (size_t i = 0; i < 128 && fdir.has(2 * i, 2); ++i) {
    const uint16_t s = fdir.be16(2 * i);
    if (s == 0) break;
    entries.push_back(s);
  }
  return entries;
}

bool BitmapTest(ByteView v, unsigned au) {
  if (au >= vib::kBitmapBits) return true;
  return (v.u8(vib::kBitmap + au / 8) >> (au % 8)) & 1;
}

}  // namespace korvane
