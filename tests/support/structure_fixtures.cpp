#include "support/structure_fixtures.h"

#include <algorithm>

#include "platform/byte_view.h"

namespace korvane::test {
namespace {

HdLayout lastLayout;

class VolumeWriter {
 public:
  explicit VolumeWriter(const HdVolumeContents& contents)
      : spau_(contents.sectorsPerAu), bytes_(size_t{contents.totalAu} * contents.sectorsPerAu * 256, 0) {
    // AU of the root index: volume sector 64. Everything else follows it.
    next_ = static_cast<uint16_t>(64 / spau_ + 1);
  }
  uint16_t Allocate(uint32_t aus = 1) {
    const uint16_t au = next_;
    next_ = static_cast<uint16_t>(next_ + aus);
    return au;
  }
  ByteWriter Au(uint16_t au) {
    const size_t at = size_t{au} * spau_ * 256;
    return ByteWriter(bytes_.data() + std::min(at, bytes_.size()),
                      at < bytes_.size() ? std::min<size_t>(256, bytes_.size() - at) : 0);
  }
  void PutData(uint16_t au, const Bytes& data) {
    const size_t at = size_t{au} * spau_ * 256;
    for (size_t i = 0; i < data.size() && at + i < bytes_.size(); ++i) bytes_[at + i] = data[i];
  }
  uint16_t Spau() const { return spau_; }
  Bytes& bytes() { return bytes_; }

 private:
  uint16_t spau_;
  Bytes bytes_;
  uint16_t next_;
};

void PutStamps(ByteWriter& w, size_t at) {
  for (size_t i = 0; i < 4; ++i) w.put8(at + i, kStampBytes[i]);
}

// One file: its FDR in a fresh AU, its data in one block of AUs after it.
uint16_t WriteFile(VolumeWriter& v, const HdFileSpec& f, uint16_t fdirAu) {
  const uint16_t fdrAu = v.Allocate();
  const uint16_t sectors = static_cast<uint16_t>((f.data.size() + 255) / 256);
  const uint16_t aus = static_cast<uint16_t>((sectors + v.Spau() - 1) / v.Spau());
  const uint16_t first = aus ? v.Allocate(aus) : 0;
  ByteWriter w = v.Au(fdrAu);
  w.putStr(0, f.name, 10);
  w.put8(12, f.status);
  w.put8(13, f.recordLength ? static_cast<uint8_t>(256 / f.recordLength) : 0);
  w.put16be(14, sectors);
  w.put8(17, f.recordLength);
  w.put16le(18, sectors);
  PutStamps(w, 20);
  PutStamps(w, 24);
  w.putStr(28, "FI", 2);
  w.put16be(34, aus);
  w.put16be(36, fdirAu);
  if (aus) {
    w.put16be(40, first);                                   // first AU of the block
    w.put16be(42, static_cast<uint16_t>(first + aus - 1));  // last AU
    v.PutData(first, f.data);
  }
  return fdrAu;
}

// A directory's index: the FDR AUs, sorted by file name as TI indexes are,
// and the owner's AU in the last word.
void WriteFdir(VolumeWriter& v, uint16_t fdirAu, uint16_t ownerAu, const std::vector<HdFileSpec>& files,
               std::vector<uint16_t>* fdrAus) {
  std::vector<std::pair<std::string, uint16_t>> entries;
  for (const HdFileSpec& f : files) {
    const uint16_t au = WriteFile(v, f, fdirAu);
    entries.emplace_back(f.name, au);
    if (fdrAus) fdrAus->push_back(au);
  }
  std::sort(entries.begin(), entries.end());
  ByteWriter w = v.Au(fdirAu);
  for (size_t i = 0; i < entries.size() && i < 127; ++i) w.put16be(2 * i, entries[i].second);
  w.put16be(254, ownerAu);
}

void PutDirectoryHeader(ByteWriter& w, const std::string& name, uint16_t totalAu, uint16_t spau, size_t files,
                        size_t dirs, uint16_t fdirAu) {
  w.putStr(0, name, 10);
  w.put16be(10, totalAu);
  w.put8(12, 32);                                          // sectors per track
  w.put16be(16, static_cast<uint16_t>((spau - 1) << 12));  // hard disk parameters
  PutStamps(w, 18);
  w.put8(22, static_cast<uint8_t>(files));
  w.put8(23, static_cast<uint8_t>(dirs));
  w.put16be(24, fdirAu);
}

}  // namespace

Bytes BuildHardDiskVolume(const HdVolumeContents& contents) {
  VolumeWriter v(contents);
  lastLayout = {};
  const uint16_t rootFdir = static_cast<uint16_t>(64 / contents.sectorsPerAu);
  {
    ByteWriter w = v.Au(0);
    PutDirectoryHeader(w, contents.name, contents.totalAu, contents.sectorsPerAu, contents.files.size(), contents.dirs.size(),
                       rootFdir);
    w.put8(13, 0x40);
    w.put8(14, 0x01);
    w.put8(15, 0x02);
  }
  WriteFdir(v, rootFdir, 0, contents.files, &lastLayout.rootFdrAus);
  for (size_t i = 0; i < contents.dirs.size() && i < 114; ++i) {
    const HdDirSpec& dir = contents.dirs[i];
    const uint16_t ddr = v.Allocate();
    const uint16_t fdir = v.Allocate();
    lastLayout.ddrAus.push_back(ddr);
    {
      ByteWriter w = v.Au(ddr);
      PutDirectoryHeader(w, dir.name, contents.totalAu, contents.sectorsPerAu, dir.files.size(), 0, fdir);
      w.putStr(13, "DIR", 3);
      w.put16be(26, 0);  // parent: the root
    }
    ByteWriter root = v.Au(0);
    root.put16be(28 + 2 * i, ddr);
    WriteFdir(v, fdir, ddr, dir.files, nullptr);
  }
  return v.bytes();
}

HdLayout LastHardDiskLayout() { return lastLayout; }

Bytes BuildPartitionedDisk(const std::vector<PartitionSpec>& partitions, uint32_t diskUnits) {
  Bytes disk(size_t{diskUnits} * 512, 0);
  ByteWriter w(disk.data(), 256);
  w.putStr(0, "*TI99FSPT*", 10);
  w.put16be(10, 0xFFFF);
  w.putStr(14, "PT", 2);
  w.put32be(20, diskUnits);
  for (size_t i = 0; i < partitions.size() && i < 4; ++i) {
    const PartitionSpec& p = partitions[i];
    w.put32be(24 + 8 * i, p.offset);
    w.put32be(28 + 8 * i, p.size);
    const size_t at = size_t{p.offset} * 512;
    for (size_t b = 0; b < p.volume.size() && at + b < disk.size(); ++b) disk[at + b] = p.volume[b];
  }
  w.put16be(254, 0x5AA5);
  return disk;
}

Bytes BuildCardImage(const std::string& name, const std::vector<Bytes>& volumes) {
  Bytes image(128 + volumes.size() * 409600, 0);
  ByteWriter w(image.data(), 128);
  w.putStr(0, name, 10);
  w.putStr(13, "CF7", 3);
  for (size_t v = 0; v < volumes.size(); ++v)
    for (size_t b = 0; b < volumes[v].size() && b < 409600; ++b) image[128 + v * 409600 + b] = volumes[v][b];
  return image;
}

}  // namespace korvane::test
