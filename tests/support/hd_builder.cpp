#include "support/hd_builder.h"

#include <algorithm>
#include <stdexcept>

namespace korvane::test {
namespace {

constexpr uint8_t kTimeStamp[4] = {0x5A, 0x3C, 0x2C, 0x6F};  // 11:17:56, 22-03-15
constexpr uint8_t kUnusedFill = 0xE5;  // sectors of an AU past a file's data

void PutWordAt(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v & 0xFF);
}

void PutName(Bytes& b, size_t at, const std::string& name) {
  for (size_t i = 0; i < 10; ++i) b[at + i] = i < name.size() ? static_cast<uint8_t>(name[i]) : ' ';
}

std::string Join(const std::string& path, const std::string& name) { return path.empty() ? name : path + "." + name; }

class Layout {
 public:
  Layout(uint16_t totalAus, uint16_t spau, uint8_t sectorsPerTrack, HdImage& out)
      : totalAus_(totalAus), spau_(spau), spt_(sectorsPerTrack), out_(out), used_(totalAus, false) {
    out_.bytes.assign(size_t{totalAus} * spau * 256, 0);
    // VIB, bitmap and everything up to the root index (sector 64) are taken.
    for (uint32_t au = 0; au <= 64u / spau; ++au) Take(static_cast<uint16_t>(au));
    next_ = static_cast<uint16_t>(64 / spau + 1);
  }

  // Lays out directory `d` whose record is at `ownAu` (0: the root, whose
  // record is the VIB) and whose index is at `fdirAu`.
  void Directory(const HdDir& d, const std::string& path, uint16_t ownAu, uint16_t parentAu, uint16_t fdirAu,
                 const std::string& volumeName) {
    out_.dirAu[path] = ownAu;
    out_.fdirAu[path] = fdirAu;
    std::vector<TiFile> files = d.files;
    std::sort(files.begin(), files.end(), [](const TiFile& a, const TiFile& b) { return a.name < b.name; });
    Bytes fdir(256, 0);
    for (size_t i = 0; i < files.size() && i < 127; ++i) {
      const uint16_t fdrAu = Alloc(1);
      PutWordAt(fdir, 2 * i, fdrAu);
      File(files[i], fdrAu, fdirAu);
      out_.fdrAu[Join(path, files[i].name)] = fdrAu;
      out_.files[Join(path, files[i].name)] = files[i];
    }
    PutWordAt(fdir, 254, ownAu);
    Put(out_.Sector(fdirAu), fdir);

    std::vector<uint16_t> childAus;
    for (size_t j = 0; j < d.dirs.size(); ++j) childAus.push_back(Alloc(1));

    Bytes record(256, 0);
    PutName(record, 0, ownAu == 0 ? volumeName : d.name);
    PutWordAt(record, 10, totalAus_);
    record[12] = spt_;
    if (ownAu != 0) record[13] = 'D', record[14] = 'I', record[15] = 'R';
    PutWordAt(record, 16, static_cast<uint16_t>((spau_ - 1) << 12));
    std::copy(kTimeStamp, kTimeStamp + 4, record.begin() + 18);
    record[22] = static_cast<uint8_t>(std::min<size_t>(files.size(), 127));
    record[23] = static_cast<uint8_t>(std::min<size_t>(d.dirs.size(), 114));
    PutWordAt(record, 24, fdirAu);
    PutWordAt(record, 26, ownAu == 0 ? 0 : parentAu);
    for (size_t j = 0; j < childAus.size() && j < 114; ++j) PutWordAt(record, 28 + 2 * j, childAus[j]);
    Put(out_.Sector(ownAu), record);

    for (size_t j = 0; j < d.dirs.size(); ++j)
      Directory(d.dirs[j], Join(path, d.dirs[j].name), childAus[j], ownAu, Alloc(1), volumeName);
  }

  void Bitmap(bool clearTail) {
    Bytes bitmap(31 * 256, 0);
    for (uint32_t au = 0; au < 31u * 256 * 8; ++au) {
      const bool set = au < totalAus_ ? used_[au] : !clearTail;
      if (set) bitmap[au / 8] |= static_cast<uint8_t>(0x80 >> (au % 8));
    }
    std::copy(bitmap.begin(), bitmap.end(), out_.bytes.begin() + 256);
  }

 private:
  void Take(uint16_t au) {
    if (au < totalAus_) used_[au] = true;
  }
  uint16_t Alloc(uint16_t count) {
    if (uint32_t{next_} + count > totalAus_) throw std::runtime_error("hard-disk builder: volume full");
    const uint16_t first = next_;
    for (uint16_t i = 0; i < count; ++i) Take(static_cast<uint16_t>(first + i));
    next_ = static_cast<uint16_t>(next_ + count);
    return first;
  }
  void Put(uint32_t sector, const Bytes& data) {
    std::copy(data.begin(), data.end(), out_.bytes.begin() + static_cast<long>(sector) * 256);
  }

  void File(const TiFile& f, uint16_t fdrAu, uint16_t fdirAu) {
    const uint32_t sectors = f.Sectors();
    const uint32_t aus = (sectors + spau_ - 1) / spau_;
    std::vector<uint16_t> runs = f.fragments;
    if (runs.empty() && aus > 0) runs.push_back(static_cast<uint16_t>(aus));
    uint32_t planned = 0;
    for (uint16_t r : runs) planned += r;
    if (planned != aus) throw std::invalid_argument("hard-disk builder: fragments of " + f.name + " do not hold its data");
    Bytes fdr(256, 0);
    PutName(fdr, 0, f.name);
    fdr[12] = f.status;
    fdr[13] = f.recordsPerSector;
    PutWordAt(fdr, 14, static_cast<uint16_t>(sectors));
    fdr[16] = f.eofOffset;
    fdr[17] = f.recordLength;
    fdr[18] = static_cast<uint8_t>(f.level3 & 0xFF);  // the one little-endian field
    fdr[19] = static_cast<uint8_t>(f.level3 >> 8);
    std::copy(kTimeStamp, kTimeStamp + 4, fdr.begin() + 20);
    std::copy(kTimeStamp, kTimeStamp + 4, fdr.begin() + 24);
    fdr[28] = 'F', fdr[29] = 'I';
    PutWordAt(fdr, 34, static_cast<uint16_t>(aus + 1));
    PutWordAt(fdr, 36, fdirAu);

    uint32_t written = 0;  // file sectors placed so far
    for (size_t r = 0; r < runs.size() && r < 54; ++r) {
      if (r > 0) Alloc(1);  // a gap, so that the runs are really apart
      const uint16_t first = Alloc(runs[r]);
      const uint16_t last = static_cast<uint16_t>(first + runs[r] - 1);
      PutWordAt(fdr, 40 + 4 * r, first);
      PutWordAt(fdr, 42 + 4 * r, last);
      for (uint32_t s = out_.Sector(first); s < out_.Sector(static_cast<uint16_t>(last + 1)); ++s, ++written) {
        Bytes sector(256, kUnusedFill);
        const size_t from = size_t{written} * 256;
        if (from < f.data.size()) {
          std::fill(sector.begin(), sector.end(), 0);
          std::copy(f.data.begin() + static_cast<long>(from),
                    f.data.begin() + static_cast<long>(std::min(from + 256, f.data.size())), sector.begin());
        }
        Put(s, sector);
      }
    }
    Put(out_.Sector(fdrAu), fdr);
  }

  uint16_t totalAus_, spau_;
  uint8_t spt_;
  HdImage& out_;
  std::vector<bool> used_;
  uint16_t next_ = 0;
};

}  // namespace

HdDir& HdDir::AddDir(const std::string& dirName) {
  dirs.push_back(HdDir{dirName, {}, {}});
  return dirs.back();
}

HdDir& HdDir::Add(const TiFile& file) {
  files.push_back(file);
  return *this;
}

void HdImage::PutWord(uint32_t sector, size_t offset, uint16_t value) {
  PutWordAt(bytes, size_t{sector} * 256 + offset, value);
}

HardDiskBuilder::HardDiskBuilder(const std::string& volumeName, uint16_t totalAus, uint16_t spau)
    : name_(volumeName), totalAus_(totalAus), spau_(spau) {
  if (spau == 0 || 64 % spau != 0) throw std::invalid_argument("hard-disk builder: SPAU must divide 64");
}

HardDiskBuilder& HardDiskBuilder::SectorsPerTrack(uint8_t n) {
  sectorsPerTrack_ = n;
  return *this;
}

HardDiskBuilder& HardDiskBuilder::ClearBitmapTail() {
  clearTail_ = true;
  return *this;
}

HdImage HardDiskBuilder::Build() const {
  HdImage image;
  image.spau = spau_;
  Layout layout(totalAus_, spau_, sectorsPerTrack_, image);
  layout.Directory(root_, "", 0, 0, static_cast<uint16_t>(64 / spau_), name_);
  layout.Bitmap(clearTail_);
  return image;
}

Bytes PartitionTableSector(uint32_t total512, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
  Bytes s(256, 0);
  const std::string name = "*TI99FSPT*";
  std::copy(name.begin(), name.end(), s.begin());
  PutWordAt(s, 10, 0xFFFF);
  s[14] = 'P', s[15] = 'T';
  PutWordAt(s, 20, static_cast<uint16_t>(total512 >> 16));
  PutWordAt(s, 22, static_cast<uint16_t>(total512 & 0xFFFF));
  for (size_t i = 0; i < entries.size() && i < 4; ++i) {
    PutWordAt(s, 24 + 8 * i, static_cast<uint16_t>(entries[i].first >> 16));
    PutWordAt(s, 26 + 8 * i, static_cast<uint16_t>(entries[i].first & 0xFFFF));
    PutWordAt(s, 28 + 8 * i, static_cast<uint16_t>(entries[i].second >> 16));
    PutWordAt(s, 30 + 8 * i, static_cast<uint16_t>(entries[i].second & 0xFFFF));
  }
  PutWordAt(s, 254, 0x5AA5);
  return s;
}

Bytes PartitionedImage(uint32_t total512, const std::vector<HdPartition>& partitions) {
  Bytes image(size_t{total512} * 512, 0);
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  for (const HdPartition& p : partitions) {
    const uint32_t size = static_cast<uint32_t>((p.volume.size() + 511) / 512);
    entries.push_back({p.offset, size});
    const size_t at = size_t{p.offset} * 512;
    if (at + p.volume.size() > image.size()) throw std::runtime_error("partitioned image: partition past the end");
    std::copy(p.volume.begin(), p.volume.end(), image.begin() + static_cast<long>(at));
  }
  const Bytes table = PartitionTableSector(total512, entries);
  std::copy(table.begin(), table.end(), image.begin());
  return image;
}

}  // namespace korvane::test
