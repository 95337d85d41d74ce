#include "viewers/ti_data.h"

#include <algorithm>
#include <cstring>

#include "catalog/header.h"

namespace korvane {

size_t PcFileData::ReadAt(uint64_t offset, uint8_t* buffer, size_t length) {
  return file_.ReadAt(kPcHeaderSize + offset, buffer, length);
}

size_t MemoryData::ReadAt(uint64_t offset, uint8_t* buffer, size_t length) {
  if (offset >= bytes_.size()) return 0;
  const size_t n = std::min<uint64_t>(length, bytes_.size() - offset);
  std::memcpy(buffer, bytes_.data() + offset, n);
  return n;
}

size_t SectorReader::Read(uint32_t index, Sector& out) {
  const uint64_t at = uint64_t{index} * 256;
  if (!loaded_ || at < chunkStart_ || at >= chunkStart_ + sizeof chunk_) {
    chunkStart_ = at;
    chunkLength_ = data_.ReadAt(at, chunk_, sizeof chunk_);
    loaded_ = true;
  }
  const uint64_t inChunk = at - chunkStart_;
  const size_t got = inChunk < chunkLength_ ? std::min<size_t>(256, chunkLength_ - inChunk) : 0;
  if (got > 0) std::memcpy(out.data(), chunk_ + inChunk, got);
  std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), kShortSectorFill);
  return got;
}

}  // namespace korvane
