// Where the bytes of an archive come from: the data of an archive file (the
// bytes after its 128-byte PC header), or a buffer in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {

class ArchiveInput {
 public:
  virtual ~ArchiveInput() = default;
  // Reads up to `length` bytes of archive data from data offset `offset`;
  // returns how many were there (fewer at the end of the archive).
  virtual size_t Read(uint64_t offset, uint8_t* buffer, size_t length) = 0;
};

// The data of an archive kept as a PC file: data byte 0 is file byte 128.
class ArchiveFileInput : public ArchiveInput {
 public:
  explicit ArchiveFileInput(PcFile& file) : file_(file) {}
  size_t Read(uint64_t offset, uint8_t* buffer, size_t length) override {
    return file_.ReadAt(128 + offset, buffer, length);
  }

 private:
  PcFile& file_;
};

class ArchiveMemoryInput : public ArchiveInput {
 public:
  explicit ArchiveMemoryInput(ByteView data) : data_(data) {}
  size_t Read(uint64_t offset, uint8_t* buffer, size_t length) override {
    if (offset >= data_.size()) return 0;
    const ByteView part = data_.sub(static_cast<size_t>(offset), length);
    for (size_t i = 0; i < part.size(); ++i) buffer[i] = part.u8(i);
    return part.size();
  }

 private:
  ByteView data_;
};

}  // namespace korvane
