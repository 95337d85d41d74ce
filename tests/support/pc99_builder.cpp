#include "support/pc99_builder.h"

#include <algorithm>

namespace korvane::test {
namespace {

// CRC-16/CCITT over the address mark and the field, as the controller
// computes it (MFM includes the three A1h sync marks).
uint16_t Crc(const Bytes& bytes, size_t from, size_t to, bool mfm) {
  uint16_t crc = 0xFFFF;
  auto feed = [&crc](uint8_t b) {
    crc ^= static_cast<uint16_t>(b << 8);
    for (int i = 0; i < 8; ++i) crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  };
  if (mfm)
    for (int i = 0; i < 3; ++i) feed(0xA1);
  for (size_t i = from; i < to; ++i) feed(bytes[i]);
  return crc;
}

struct Layout {
  size_t trackLength, firstRecord, recordLength, idMark, dataMark;
  uint8_t gapByte, syncByte;
};

constexpr Layout kFm{3253, 16, 334, 6, 30, 0xFF, 0x00};
constexpr Layout kMfm{6872, 40, 340, 13, 57, 0x4E, 0x00};

// Writes one sector record at `at`: sync, ID field, gap, sync, data field,
// CRCs and the trailing gap.
void PutRecord(Bytes& t, size_t at, const Layout& l, bool mfm, uint8_t track, uint8_t side, uint8_t sector,
               const uint8_t* data) {
  std::fill(t.begin() + at, t.begin() + at + l.recordLength, l.gapByte);
  const size_t syncFrom = mfm ? 0 : l.idMark - 6;
  std::fill(t.begin() + at + syncFrom, t.begin() + at + l.idMark, l.syncByte);
  if (mfm) std::fill(t.begin() + at + l.idMark - 3, t.begin() + at + l.idMark, 0xA1);
  size_t p = at + l.idMark;
  t[p] = 0xFE;
  t[p + 1] = track;
  t[p + 2] = side;
  t[p + 3] = sector;
  t[p + 4] = 0x01;  // 256 bytes
  const uint16_t idCrc = Crc(t, p, p + 5, mfm);
  t[p + 5] = static_cast<uint8_t>(idCrc >> 8);
  t[p + 6] = static_cast<uint8_t>(idCrc);
  const size_t dataSync = mfm ? l.dataMark - 3 - 12 : l.dataMark - 6;
  std::fill(t.begin() + at + dataSync, t.begin() + at + l.dataMark, l.syncByte);
  if (mfm) std::fill(t.begin() + at + l.dataMark - 3, t.begin() + at + l.dataMark, 0xA1);
  p = at + l.dataMark;
  t[p] = 0xFB;
  std::copy(data, data + 256, t.begin() + p + 1);
  const uint16_t dataCrc = Crc(t, p, p + 257, mfm);
  t[p + 257] = static_cast<uint8_t>(dataCrc >> 8);
  t[p + 258] = static_cast<uint8_t>(dataCrc);
}

}  // namespace

std::vector<uint8_t> TiInterleave(bool mfm) {
  if (mfm) return {0, 11, 4, 15, 8, 1, 12, 5, 16, 9, 2, 13, 6, 17, 10, 3, 14, 7};
  return {0, 7, 5, 3, 1, 8, 6, 4, 2};
}

Bytes BuildPc99(const Bytes& image, const Pc99Options& o) {
  const Layout& l = o.mfm ? kMfm : kFm;
  const size_t n = o.sectorsPerTrack;
  const size_t tracks = size_t{o.tracksPerSide} * o.sides;
  Bytes out(tracks * l.trackLength, l.gapByte);
  std::vector<uint8_t> order = o.interleave;
  if (order.empty())
    for (size_t i = 0; i < n; ++i) order.push_back(static_cast<uint8_t>(i));
  const uint8_t zero[256] = {};

  for (size_t index = 0; index < tracks; ++index) {
    const size_t trackStart = index * l.trackLength;
    // Track preamble: FM tracks begin with 00h sync bytes, MFM with 4Eh gap.
    std::fill(out.begin() + trackStart, out.begin() + trackStart + l.firstRecord, o.mfm ? 0x4E : 0x00);
    const bool side1 = index >= o.tracksPerSide;
    const uint8_t physical = static_cast<uint8_t>(side1 ? index - o.tracksPerSide : index);
    // Logical track of this physical track: side 1 counts inward from the
    // last track, so physical track p of side 1 is logical track 2T - 1 - p.
    const size_t logical = side1 ? 2 * size_t{o.tracksPerSide} - 1 - physical : physical;
    for (size_t slot = 0; slot < order.size() && slot < n; ++slot) {
      const uint8_t number = order[slot];
      const uint32_t s = static_cast<uint32_t>(logical * n + number);
      const size_t at = trackStart + l.firstRecord + slot * l.recordLength;
      if (std::find(o.missing.begin(), o.missing.end(), s) != o.missing.end()) continue;
      const uint8_t* data = size_t{s} * 256 + 256 <= image.size() ? image.data() + size_t{s} * 256 : zero;
      PutRecord(out, at, l, o.mfm, physical, side1 ? 1 : 0, number, data);
    }
  }
  return out;
}

}  // namespace korvane::test
