#include "support/card_builder.h"

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace korvane::test {

namespace {
constexpr size_t kVolumeBytes = 1600 * 256;
}

Bytes FormattedVolume(const std::string& name) { return DiskBuilder(name, 1600, 20, 40, 2, 1).Build(); }

Bytes CardSectors(const CardLayout& layout) {
  Bytes out;
  for (const Bytes& v : layout.volumes) {
    Bytes vol = v.empty() ? Bytes(kVolumeBytes, 0) : v;
    vol.resize(kVolumeBytes, 0xE5);
    out.insert(out.end(), vol.begin(), vol.end());
  }
  out.resize(out.size() + layout.extraSectors * 256, 0);
  return out;
}

Bytes CardImageFile(const std::string& name, const CardLayout& layout) {
  Bytes header(128, 0);
  for (size_t i = 0; i < 10; ++i) header[i] = i < name.size() ? static_cast<uint8_t>(name[i]) : ' ';
  header[13] = 'C', header[14] = 'F', header[15] = '7';
  if (layout.mount) {
    header[20] = 0xAA, header[21] = 0x03;
    for (size_t i = 0; i < 3; ++i) {
      header[22 + 2 * i] = static_cast<uint8_t>(layout.mounted[i] >> 8);
      header[23 + 2 * i] = static_cast<uint8_t>(layout.mounted[i] & 0xFF);
    }
  }
  Bytes out = header;
  const Bytes sectors = CardSectors(layout);
  out.insert(out.end(), sectors.begin(), sectors.end());
  return out;
}

Bytes RawCard(const CardLayout& layout) {
  Bytes sectors = CardSectors(layout);
  if (layout.mount && sectors.size() >= 256) {
    sectors[20] = 0xAA, sectors[21] = 0x03;
    for (size_t i = 0; i < 3; ++i) {
      sectors[22 + 2 * i] = static_cast<uint8_t>(layout.mounted[i] >> 8);
      sectors[23 + 2 * i] = static_cast<uint8_t>(layout.mounted[i] & 0xFF);
    }
  }
  Bytes raw(sectors.size() * 2);
  for (size_t s = 0; s < sectors.size() / 256; ++s) {
    const uint8_t filler = s % 1600 == 0 ? 0xE4 : 0xE5;
    for (size_t k = 0; k < 256; ++k) {
      raw[s * 512 + 2 * k] = sectors[s * 256 + k];
      raw[s * 512 + 2 * k + 1] = filler;
    }
  }
  return raw;
}

Bytes CompactRawCard(const Bytes& raw) {
  Bytes out(raw.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = raw[2 * i];
  return out;
}

Bytes SectorOf(const Bytes& sectors, uint64_t s) {
  if ((s + 1) * 256 > sectors.size()) return {};
  return Bytes(sectors.begin() + static_cast<std::ptrdiff_t>(s * 256),
               sectors.begin() + static_cast<std::ptrdiff_t>((s + 1) * 256));
}

void MakeSparseFile(const std::string& path, uint64_t bytes) {
  const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(bytes)) != 0)
    throw std::runtime_error("sparse file " + path);
  ::close(fd);
}

}  // namespace korvane::test
