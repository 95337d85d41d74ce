#include "harddisk/cf7_card.h"

#include <cerrno>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "catalog/errors.h"
#include "catalog/header.h"

namespace korvane {

MountRecord ParseMountRecord(ByteView b) {
  MountRecord r;
  r.present = b.u8(cf7::kMount) == cf7::kMountPresent && b.u8(cf7::kMount + 1) == cf7::kMountDrives;
  if (!r.present) return r;
  for (size_t i = 0; i < 3; ++i) r.dsk[i] = b.be16(cf7::kMount + 2 + 2 * i);
  return r;
}

void PutMountRecord(ByteWriter& w, const std::array<uint16_t, 3>& dsk) {
  w.put8(cf7::kMount, cf7::kMountPresent);                                    // record present
  w.put8(cf7::kMount + 1, cf7::kMountDrives);                                 // three drives follow
  for (size_t i = 0; i < 3; ++i) w.put16be(cf7::kMount + 2 + 2 * i, dsk[i]);  // DSK1..DSK3
}

void CompactDeviceSector(const uint8_t* device, Sector& out) {
  for (size_t k = 0; k < out.size(); ++k) out[k] = device[2 * k];
}

void SpreadDeviceSector(const Sector& in, uint8_t filler, uint8_t* device) {
  for (size_t k = 0; k < in.size(); ++k) {
    device[2 * k] = in[k];
    device[2 * k + 1] = filler;
  }
}

// Backup and restore move every byte of a card through these two loops, so
// they take 16 bytes at a time where the processor can (SSE2 is part of
// every x86-64); the plain loops give the same result anywhere else.
void CompactDeviceSectors(const uint8_t* device, size_t count, uint8_t* out) {
  const size_t n = count * 256;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i even = _mm_set1_epi16(0x00FF);
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(device + 2 * i)), even);
    const __m128i b =
        _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(device + 2 * i + 16)), even);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(a, b));
  }
#endif
  for (; i < n; ++i) out[i] = device[2 * i];
}

void SpreadDeviceSectors(const uint8_t* in, size_t count, uint8_t filler, uint8_t* device) {
  const size_t n = count * 256;
  size_t i = 0;
#ifdef __SSE2__
  const __m128i fill = _mm_set1_epi8(static_cast<char>(filler));
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(device + 2 * i), _mm_unpacklo_epi8(v, fill));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(device + 2 * i + 16), _mm_unpackhi_epi8(v, fill));
  }
#endif
  for (; i < n; ++i) {
    device[2 * i] = in[i];
    device[2 * i + 1] = filler;
  }
}

std::array<uint8_t, cf7::kHeaderSize> MakeCardImageHeader(const std::string& imageBaseName,
                                                          const MountRecord& mount) {
  std::array<uint8_t, cf7::kHeaderSize> h{};
  ByteWriter w(h.data(), h.size());
  w.putStr(cf7::kHeaderName, PcNameToTiName(imageBaseName), 10);  // TI form of the image's name
  w.putStr(cf7::kHeaderMarker, "CF7", 3);
  if (mount.present) PutMountRecord(w, mount.dsk);  // else all 0
  return h;
}

bool HasCardImageMarker(ByteView first) { return first.equals(cf7::kHeaderMarker, "CF7"); }

bool RecogniseCardImage(ByteView first256, uint64_t fileSize, const std::string& pcName, CatalogEntry& row) {
  if (first256.size() < 256 || !HasCardImageMarker(first256)) return false;
  row.kind = kKindCardImg;
  row.sourceName = pcName;
  row.tiName = first256.str(cf7::kHeaderName, 10);
  row.sizeInSectors = static_cast<uint32_t>((fileSize - cf7::kHeaderSize) / 256);
  return true;
}

// ---- card image ----

bool CardImage::Open(const std::string& path, bool write) {
  path_ = path;
  // A device is reached through CardDrive only, never as an image file.
  if (IsDevicePath(path) || !file_.Open(path, write ? PcFile::Mode::ReadWrite : PcFile::Mode::Read)) {
    ReportError(write ? kErrOpenReadWrite : kErrOpenRead, path);
    return false;
  }
  if (!file_.ReadExact(0, header_.data(), header_.size()) ||
      !HasCardImageMarker(ByteView(header_.data(), 128))) {
    ReportError(kErrDiskInfo, path);
    file_.Close();
    return false;
  }
  const int64_t size = file_.Size();
  sectors_ = size > static_cast<int64_t>(cf7::kHeaderSize)
                 ? (static_cast<uint64_t>(size) - cf7::kHeaderSize) / 256
                 : 0;
  return true;
}

bool CardImage::ReadSector(uint64_t sector, Sector& out) {
  if (!file_.ReadExact(cf7::kHeaderSize + sector * 256, out.data(), out.size())) {
    ReportError(kErrReadSector, static_cast<long long>(sector), path_);
    return false;
  }
  return true;
}

bool CardImage::WriteSector(uint64_t sector, const Sector& in, uint8_t) {
  if (!file_.WriteAt(cf7::kHeaderSize + sector * 256, in.data(), in.size())) {
    ReportError(kErrWriteSector, static_cast<long long>(sector), path_);
    return false;
  }
  return true;
}

bool CardImage::ReadMountRecord(MountRecord& out) {
  out = ParseMountRecord(ByteView(header_.data(), header_.size()));
  return true;
}

bool CardImage::WriteMountRecord(const std::array<uint16_t, 3>& dsk) {
  // Read the header again: it is what is on disk now that counts.
  if (!file_.ReadExact(0, header_.data(), header_.size())) {
    ReportError(kErrReadSector, 0, path_);
    return false;
  }
  ByteWriter w(header_.data(), header_.size());
  PutMountRecord(w, dsk);
  if (!file_.WriteAt(0, header_.data(), header_.size())) {
    ReportError(kErrWriteSector, 0, path_);
    return false;
  }
  return true;
}

// ---- card in a drive ----

bool CardDrive::Open(const DriveEnvironment& env, const DriveDevice& drive, DriveAccess access) {
  name_ = std::string(1, drive.letter) + ":";
  return drive_.Open(env, drive, access);
}

bool CardDrive::ReadSector(uint64_t sector, Sector& out) {
  alignas(4096) uint8_t device[kDeviceSectorSize];  // aligned for unbuffered transfers
  if (!ReadDeviceSectors(drive_, sector, 1, device)) return false;
  CompactDeviceSector(device, out);
  return true;
}

bool CardDrive::WriteSector(uint64_t sector, const Sector& in, uint8_t filler) {
  alignas(4096) uint8_t device[kDeviceSectorSize];  // aligned for unbuffered transfers
  SpreadDeviceSector(in, filler, device);
  return WriteDeviceSectors(drive_, sector, 1, device);
}

bool CardDrive::ReadMountRecord(MountRecord& out) {
  Sector s;
  if (!ReadSector(0, s)) return false;
  out = ParseMountRecord(ByteView(s.data(), s.size()));
  return true;
}

bool CardDrive::WriteMountRecord(const std::array<uint16_t, 3>& dsk) {
  // Sector 0 is read and written raw, so that its filler bytes stay as the
  // TI wrote them; only the even bytes 40-54 change.
  alignas(4096) uint8_t device[kDeviceSectorSize];  // aligned for unbuffered transfers
  if (!ReadDeviceSectors(drive_, 0, 1, device)) return false;
  Sector record{};
  ByteWriter w(record.data(), record.size());
  PutMountRecord(w, dsk);
  for (size_t k = cf7::kMount; k < cf7::kMount + cf7::kMountLength; ++k) device[2 * k] = record[k];
  return WriteDeviceSectors(drive_, 0, 1, device) && Flush();
}

bool CardDrive::Flush() {
  if (drive_.Sync()) return true;
  ReportError(kErrDriveWrite, 0, drive_.Letter(), drive_.SystemError());
  return false;
}

// ---- one volume as a floppy ----

CardVolumeSectors::CardVolumeSectors(Card& card, uint32_t volume)
    : card_(card), first_(uint64_t{volume ? volume - 1 : 0} * cf7::kVolumeSectors) {}

bool CardVolumeSectors::ReadSector(uint32_t n, Sector& out) {
  if (n >= cf7::kVolumeSectors) {
    ReportError(kErrReadSector, static_cast<long long>(n), card_.Name());
    return false;
  }
  return card_.ReadSector(first_ + n, out);
}

bool CardVolumeSectors::WriteSector(uint32_t n, const Sector& in) {
  if (n >= cf7::kVolumeSectors) {
    ReportError(kErrWriteSector, static_cast<long long>(n), card_.Name());
    return false;
  }
  return card_.WriteSector(first_ + n, in, n == 0 ? cf7::kFillerFirst : cf7::kFillerOther);
}

}  // namespace korvane
