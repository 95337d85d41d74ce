// Builds V9T9 floppy images and TI files kept on the PC in memory, laid out
// the way the formats say, so that readers are tested against bytes they did
// not write themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvane::test {

using Bytes = std::vector<uint8_t>;

// A TI file as it lives on a disk.
struct TiFile {
  std::string name;            // up to 10 characters
  uint8_t status = 0;          // FDR status flags
  uint8_t recordLength = 0;
  uint8_t recordsPerSector = 0;
  uint8_t eofOffset = 0;
  uint16_t level3 = 0;
  Bytes data;                  // whole sectors (padded to 256 by the builder)
  std::string comment;         // written at FDR 220 when not empty
  // Fragment sizes in sectors; empty means one fragment. The builder leaves
  // a one-sector gap between fragments so that they are really apart.
  std::vector<uint16_t> fragments;
  bool brokenChainPastEnd = false;  // first chain entry points past the image

  uint16_t Sectors() const { return static_cast<uint16_t>((data.size() + 255) / 256); }
};

// Common file shapes.
TiFile DisVarFile(const std::string& name, uint8_t recordLength, const std::vector<std::string>& records);
TiFile DisFixFile(const std::string& name, uint8_t recordLength, const std::vector<std::string>& records);
TiFile ProgramFile(const std::string& name, const Bytes& image);

class DiskBuilder {
 public:
  // Geometry of the disk: total sectors, sectors per track, tracks, sides, density.
  DiskBuilder(const std::string& volumeName, uint16_t totalSectors = 360, uint8_t sectorsPerTrack = 9,
              uint8_t tracksPerSide = 40, uint8_t sides = 1, uint8_t density = 1);

  static DiskBuilder Sssd(const std::string& name) { return DiskBuilder(name, 360, 9, 40, 1, 1); }
  static DiskBuilder Dssd(const std::string& name) { return DiskBuilder(name, 720, 9, 40, 2, 1); }
  static DiskBuilder Dsdd(const std::string& name) { return DiskBuilder(name, 1440, 18, 40, 2, 2); }
  static DiskBuilder Dsdd80(const std::string& name) { return DiskBuilder(name, 2880, 18, 80, 2, 2); }

  DiskBuilder& Add(const TiFile& file);
  // A floppy sub-directory (slot 0-2) holding the given files.
  DiskBuilder& AddSubdir(const std::string& name, const std::vector<TiFile>& files);
  DiskBuilder& Protection(uint8_t byte);

  // Lays out the image: VIB, FDIR sorted by name, FDRs from sector 2 (sub-
  // directory indexes after them), data from sector 34 (x AU), bitmap.
  Bytes Build() const;

 private:
  struct Dir {
    std::string name;
    std::vector<TiFile> files;
  };
  std::string volumeName_;
  uint16_t total_;
  uint8_t spt_, tracks_, sides_, density_;
  uint8_t protection_ = ' ';
  Dir root_;
  std::vector<Dir> subdirs_;
};

// The 256-byte FDR of a file with the given chain bytes already placed.
Bytes MakeFdr(const TiFile& file);

// TI files kept on the PC: a 128-byte header and the data sectors.
Bytes V9t9File(const TiFile& file);
// `withName` false writes CA 53 in the name field (no name).
Bytes TifilesFile(const TiFile& file, bool withName = true);

// A fresh temporary directory, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const Bytes& bytes) const;  // returns the full path
  std::string Mkdir(const std::string& name) const;

 private:
  std::string path_;
};

Bytes ReadFile(const std::string& path);

}  // namespace korvane::test
