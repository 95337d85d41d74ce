#include "support/disk_builder.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace korvane::test {
namespace {

void Put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v >> 8);
  b[at + 1] = static_cast<uint8_t>(v);
}

void PutName(Bytes& b, size_t at, const std::string& name) {
  for (size_t i = 0; i < 10; ++i) b[at + i] = i < name.size() ? static_cast<uint8_t>(name[i]) : ' ';
}

Bytes PadToSectors(Bytes data) {
  data.resize((data.size() + 255) / 256 * 256, 0);
  return data;
}

// Sectors per allocation unit, written out from the table the TI disk
// controllers use rather than taken from the reader.
unsigned AuSize(unsigned total) {
  if (total <= 1600) return 1;
  if (total <= 3200) return 2;
  if (total <= 6400) return 4;
  if (total <= 12800) return 8;
  return 16;
}

}  // namespace

TiFile DisVarFile(const std::string& name, uint8_t recordLength, const std::vector<std::string>& records) {
  TiFile f;
  f.name = name;
  f.status = 0x80;
  f.recordLength = recordLength;
  f.recordsPerSector = static_cast<uint8_t>(255 / (recordLength + 1));
  Bytes sector;
  Bytes data;
  for (const std::string& r : records) {
    if (sector.size() + r.size() + 1 > 255) {
      sector.push_back(0xFF);
      sector.resize(256, 0);
      data.insert(data.end(), sector.begin(), sector.end());
      sector.clear();
    }
    sector.push_back(static_cast<uint8_t>(r.size()));
    sector.insert(sector.end(), r.begin(), r.end());
  }
  f.eofOffset = static_cast<uint8_t>(sector.size());
  sector.push_back(0xFF);
  sector.resize(256, 0);
  data.insert(data.end(), sector.begin(), sector.end());
  f.data = data;
  f.level3 = f.Sectors();  // variable files count sectors in the level-3 field
  return f;
}

TiFile DisFixFile(const std::string& name, uint8_t recordLength, const std::vector<std::string>& records) {
  TiFile f;
  f.name = name;
  f.status = 0x00;
  f.recordLength = recordLength;
  f.recordsPerSector = static_cast<uint8_t>(256 / recordLength);
  const size_t perSector = f.recordsPerSector;
  Bytes data;
  for (size_t i = 0; i < records.size(); ++i) {
    if (i % perSector == 0) data.resize((data.size() + 255) / 256 * 256 + 256, 0);
    const size_t at = (i / perSector) * 256 + (i % perSector) * recordLength;
    for (size_t j = 0; j < recordLength; ++j) data[at + j] = j < records[i].size() ? records[i][j] : ' ';
  }
  f.data = data;
  f.level3 = static_cast<uint16_t>(records.size());
  f.eofOffset = static_cast<uint8_t>((records.size() % perSector) * recordLength);
  return f;
}

TiFile ProgramFile(const std::string& name, const Bytes& image) {
  TiFile f;
  f.name = name;
  f.status = 0x01;
  f.data = image;
  f.eofOffset = static_cast<uint8_t>(image.size() % 256);
  return f;
}

Bytes MakeFdr(const TiFile& file) {
  Bytes fdr(256, 0);
  PutName(fdr, 0, file.name);
  fdr[12] = file.status;
  fdr[13] = file.recordsPerSector;
  Put16(fdr, 14, file.Sectors());
  fdr[16] = file.eofOffset;
  fdr[17] = file.recordLength;
  fdr[18] = static_cast<uint8_t>(file.level3 & 0xFF);  // level-3 count: low byte first
  fdr[19] = static_cast<uint8_t>(file.level3 >> 8);
  if (!file.comment.empty())
    for (size_t i = 0; i < file.comment.size() && 220 + i < 256; ++i) fdr[220 + i] = static_cast<uint8_t>(file.comment[i]);
  return fdr;
}

DiskBuilder::DiskBuilder(const std::string& volumeName, uint16_t totalSectors, uint8_t sectorsPerTrack,
                         uint8_t tracksPerSide, uint8_t sides, uint8_t density)
    : volumeName_(volumeName), total_(totalSectors), spt_(sectorsPerTrack), tracks_(tracksPerSide),
      sides_(sides), density_(density) {}

DiskBuilder& DiskBuilder::Add(const TiFile& file) {
  root_.files.push_back(file);
  return *this;
}

DiskBuilder& DiskBuilder::AddSubdir(const std::string& name, const std::vector<TiFile>& files) {
  if (subdirs_.size() >= 3) throw std::logic_error("a floppy holds three sub-directories");
  subdirs_.push_back({name, files});
  return *this;
}

DiskBuilder& DiskBuilder::Protection(uint8_t byte) {
  protection_ = byte;
  return *this;
}

Bytes DiskBuilder::Build() const {
  const unsigned au = AuSize(total_);
  Bytes image(size_t{total_} * 256, 0);
  std::vector<bool> used(1600, false);
  auto markSector = [&](unsigned sector) {
    if (sector / au < 1600) used[sector / au] = true;
  };

  // VIB
  PutName(image, 0, volumeName_);
  Put16(image, 10, total_);
  image[12] = spt_;
  image[13] = 'D';
  image[14] = 'S';
  image[15] = 'K';
  image[16] = protection_;
  image[17] = tracks_;
  image[18] = sides_;
  image[19] = density_;
  markSector(0);
  markSector(1);

  unsigned nextFdrAu = (2 + au - 1) / au;
  const unsigned align = density_ >= 3 ? std::max(au, 4u) : au;
  unsigned nextData = 34 * au;

  auto layDirectory = [&](const Dir& dir, unsigned fdirSector) {
    std::vector<TiFile> files = dir.files;
    std::sort(files.begin(), files.end(), [](const TiFile& a, const TiFile& b) {
      std::string x = a.name, y = b.name;
      x.resize(10, ' ');
      y.resize(10, ' ');
      return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end(), [](char c, char d) {
        return static_cast<uint8_t>(c) < static_cast<uint8_t>(d);
      });
    });
    for (size_t i = 0; i < files.size(); ++i) {
      const TiFile& f = files[i];
      const unsigned fdrSector = nextFdrAu++ * au;
      markSector(fdrSector);
      if (i < 127) Put16(image, size_t{fdirSector} * 256 + 2 * i, static_cast<uint16_t>(fdrSector));
      Bytes fdr = MakeFdr(f);
      const Bytes data = PadToSectors(f.data);
      std::vector<uint16_t> frags = f.fragments;
      if (frags.empty() && f.Sectors() > 0) frags.push_back(f.Sectors());
      unsigned fileSector = 0;
      size_t chain = 28;
      for (uint16_t n : frags) {
        nextData = (nextData + align - 1) / align * align;
        unsigned start = nextData;
        if (f.brokenChainPastEnd && chain == 28) start = total_ + 5u;
        for (unsigned k = 0; k < n && start + k < total_; ++k) {
          std::copy_n(data.begin() + (fileSector + k) * 256, 256, image.begin() + (start + k) * 256);
          markSector(start + k);
        }
        const unsigned offset = fileSector + n - 1;
        const unsigned stored = density_ >= 3 ? start / 4 : start;
        fdr[chain] = static_cast<uint8_t>(stored & 0xFF);
        fdr[chain + 1] = static_cast<uint8_t>(((stored >> 8) & 0x0F) | ((offset & 0x0F) << 4));
        fdr[chain + 2] = static_cast<uint8_t>(offset >> 4);
        chain += 3;
        fileSector += n;
        nextData = start + n + align;  // leave a gap so fragments are really apart
      }
      std::copy(fdr.begin(), fdr.end(), image.begin() + size_t{fdrSector} * 256);
    }
  };

  layDirectory(root_, 1);
  for (size_t d = 0; d < subdirs_.size(); ++d) {
    const unsigned fdirSector = nextFdrAu++ * au;
    markSector(fdirSector);
    PutName(image, 20 + 12 * d, subdirs_[d].name);
    Put16(image, 30 + 12 * d, static_cast<uint16_t>(fdirSector));
    layDirectory(subdirs_[d], fdirSector);
  }

  // Allocation units past the end of the disk are marked used.
  for (unsigned u = (total_ + au - 1) / au; u < 1600; ++u) used[u] = true;
  for (unsigned u = 0; u < 1600; ++u)
    if (used[u]) image[56 + u / 8] |= static_cast<uint8_t>(1u << (u % 8));
  return image;
}

Bytes V9t9File(const TiFile& file) {
  Bytes fdr = MakeFdr(file);
  Bytes out(fdr.begin(), fdr.begin() + 128);
  std::fill(out.begin() + 28, out.end(), 0);
  const Bytes data = PadToSectors(file.data);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes TifilesFile(const TiFile& file, bool withName) {
  Bytes out(128, 0);
  const char magic[] = "\x07TIFILES";
  std::copy(magic, magic + 8, out.begin());
  Put16(out, 8, file.Sectors());
  out[10] = file.status;
  out[11] = file.recordsPerSector;
  out[12] = file.eofOffset;
  out[13] = file.recordLength;
  out[14] = static_cast<uint8_t>(file.level3 & 0xFF);
  out[15] = static_cast<uint8_t>(file.level3 >> 8);
  if (withName) {
    PutName(out, 16, file.name);
  } else {
    for (size_t i = 16; i < 128; i += 2) {
      out[i] = 0xCA;
      out[i + 1] = 0x53;
    }
  }
  const Bytes data = PadToSectors(file.data);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "korvane-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const Bytes& bytes) const {
  const std::string p = path_ + "/" + name;
  std::filesystem::create_directories(std::filesystem::path(p).parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return p;
}

std::string TempDir::Mkdir(const std::string& name) const {
  const std::string p = path_ + "/" + name;
  std::filesystem::create_directories(p);
  return p;
}

Bytes ReadFile(const std::string& path) {
  // One read of the whole file: images are read back after every step of
  // the property tests, and a byte-wise stream is slow in debug builds.
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  Bytes bytes(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return bytes;
}

}  // namespace korvane::test
