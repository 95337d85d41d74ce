// The data of a TI file kept as a PC file: a 128-byte header (V9T9, TIFILES
// or Classic99) and then the file's data sectors. Data offset 0 is file
// offset 128. Every viewer reads through this, so the same readers work on a
// PC file and on bytes in memory (tests and fuzzing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "floppy/sector_source.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {

class TiData {
 public:
  virtual ~TiData() = default;
  // Reads up to `length` bytes at data offset `offset`; returns how many
  // came (fewer at the end of the file, 0 past it or on an error).
  virtual size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t length) = 0;
  // The path quoted in messages.
  virtual const std::string& Path() const = 0;
};

// A TI file on the PC, read after its 128-byte header.
class PcFileData : public TiData {
 public:
  explicit PcFileData(PcFile& file) : file_(file) {}
  size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t length) override;
  const std::string& Path() const override { return file_.Path(); }

 private:
  PcFile& file_;
};

// Data bytes held in memory (without the header).
class MemoryData : public TiData {
 public:
  MemoryData(ByteView bytes, std::string path) : bytes_(bytes), path_(std::move(path)) {}
  size_t ReadAt(uint64_t offset, uint8_t* buffer, size_t length) override;
  const std::string& Path() const override { return path_; }

 private:
  ByteView bytes_;
  std::string path_;
};

// Reads a file's data one 256-byte sector after another, in chunks so that a
// large file costs few system calls. A sector that comes partly (the last
// one of a file cut short on the PC) is filled up with 0xCC; a sector of
// which nothing comes is reported by the caller.
class SectorReader {
 public:
  explicit SectorReader(TiData& data) : data_(data) {}
  // Sector `index` (counting from 0) into `out`; returns the bytes that came
  // from the file (0..256). Sectors must be asked for in ascending order.
  size_t Read(uint32_t index, Sector& out);

 private:
  static constexpr size_t kChunkSectors = 64;
  TiData& data_;
  uint8_t chunk_[kChunkSectors * 256];
  uint64_t chunkStart_ = 0;  // data offset of chunk_[0]
  size_t chunkLength_ = 0;   // bytes valid in chunk_
  bool loaded_ = false;
};

inline constexpr uint8_t kShortSectorFill = 0xCC;

}  // namespace korvane
