#include "support/damage.h"

#include <fmt/format.h>

#include <stdexcept>

namespace korvane::test {
namespace {

unsigned Be16(const Bytes& b, size_t at) { return b.at(at) << 8 | b.at(at + 1); }
void Put16(Bytes& b, size_t at, unsigned v) {
  b.at(at) = static_cast<uint8_t>(v >> 8);
  b.at(at + 1) = static_cast<uint8_t>(v);
}
unsigned AuSize(unsigned total) { return total <= 1600 ? 1 : total <= 3200 ? 2 : total <= 6400 ? 4 : 8; }

}  // namespace

unsigned FdrSectorOf(const Bytes& image, const std::string& name) {
  std::string wanted = name;
  wanted.resize(10, ' ');
  for (unsigned slot = 0; slot < 128; ++slot) {
    const unsigned s = Be16(image, 256 + 2 * slot);
    if (s == 0) break;
    if (size_t{s} * 256 + 10 <= image.size() &&
        std::string(image.begin() + s * 256, image.begin() + s * 256 + 10) == wanted)
      return s;
  }
  return 0;
}

unsigned FirstDataSector(const Bytes& image, const std::string& name) {
  const unsigned fdr = FdrSectorOf(image, name);
  if (fdr == 0) return 0;
  const size_t c = size_t{fdr} * 256 + 28;
  return (image[c + 1] & 0x0F) << 8 | image[c];
}

void SetFdirEntry(Bytes& image, unsigned fdirSector, unsigned slot, unsigned value) {
  Put16(image, size_t{fdirSector} * 256 + 2 * slot, value);
}

void SwapFdirEntries(Bytes& image, unsigned fdirSector, unsigned a, unsigned b) {
  const size_t base = size_t{fdirSector} * 256;
  const unsigned x = Be16(image, base + 2 * a), y = Be16(image, base + 2 * b);
  Put16(image, base + 2 * a, y);
  Put16(image, base + 2 * b, x);
}

void SetBitmapBitOfSector(Bytes& image, unsigned sector, bool used) {
  const unsigned au = sector / AuSize(Be16(image, 10));
  const uint8_t bit = static_cast<uint8_t>(1u << (au % 8));
  uint8_t& byte = image.at(56 + au / 8);
  byte = used ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

void RenameInFdr(Bytes& image, unsigned fdrSector, const std::string& name) {
  for (size_t i = 0; i < 10; ++i) image.at(size_t{fdrSector} * 256 + i) = i < name.size() ? name[i] : ' ';
}

void PointChainAt(Bytes& image, const std::string& name, unsigned sector) {
  const unsigned fdr = FdrSectorOf(image, name);
  if (fdr == 0) throw std::logic_error("no such file: " + name);
  const size_t c = size_t{fdr} * 256 + 28;
  image[c] = static_cast<uint8_t>(sector & 0xFF);
  image[c + 1] = static_cast<uint8_t>((image[c + 1] & 0xF0) | ((sector >> 8) & 0x0F));
}

void SetVibTotal(Bytes& image, unsigned total) { Put16(image, 10, total); }

void SetVibGeometry(Bytes& image, unsigned sectorsPerTrack, unsigned tracks, unsigned sides, unsigned density) {
  image.at(12) = static_cast<uint8_t>(sectorsPerTrack);
  image.at(17) = static_cast<uint8_t>(tracks);
  image.at(18) = static_cast<uint8_t>(sides);
  image.at(19) = static_cast<uint8_t>(density);
}

TiFile PatternedProgram(const std::string& name, size_t bytes, uint8_t seed) {
  Bytes image(bytes);
  for (size_t i = 0; i < bytes; ++i) image[i] = static_cast<uint8_t>(i * 31 + seed);
  return ProgramFile(name, image);
}

Bytes ThreeFileImage() {
  TiFile gamma = PatternedProgram("GAMMA", 1200, 3);
  gamma.fragments = {2, 3};
  return DiskBuilder::Sssd("THREE")
      .Add(PatternedProgram("ALPHA", 600, 1))
      .Add(DisVarFile("BETA", 80, std::vector<std::string>(20, "a line of text")))
      .Add(gamma)
      .Build();
}

Bytes ImageWithFiles(unsigned count) {
  // Empty PROGRAM files: no data, so 128 FDRs fit below the data area's use.
  DiskBuilder b = DiskBuilder::Sssd("MANY");
  for (unsigned i = 0; i < count; ++i) b.Add(ProgramFile(fmt::format("F{:03}", i), {}));
  Bytes image = b.Build();
  if (count > 127) {
    // The builder lists 127; the 128th FDR lies in the next sector.
    SetFdirEntry(image, 1, 127, 2 + 127);
    SetBitmapBitOfSector(image, 2 + 127, true);
  }
  return image;
}

}  // namespace korvane::test
