// Bounds-checked reading and writing of byte buffers.
//
// Every on-disk structure (VIB, FDR, TIFILES header, archive directory, ...)
// is parsed through ByteView and written through ByteWriter. An access past
// the end of the buffer never touches memory outside it: reads return 0 (or
// the part of a string that exists) and writes are dropped. Callers that must
// know whether a field exists ask `has(offset, length)` first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvane {

class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  ByteView(std::span<const uint8_t> s) : data_(s.data()), size_(s.size()) {}  // NOLINT: implicit on purpose
  template <size_t N>
  ByteView(const uint8_t (&a)[N]) : data_(a), size_(N) {}  // NOLINT

  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  bool empty() const { return size_ == 0; }

  // True when [offset, offset + length) lies inside the view.
  bool has(size_t offset, size_t length = 1) const {
    return offset <= size_ && length <= size_ - offset;
  }

  uint8_t u8(size_t offset) const { return offset < size_ ? data_[offset] : 0; }
  uint8_t operator[](size_t offset) const { return u8(offset); }

  // Big-endian word: byte[p] * 256 + byte[p+1], the order of every TI word.
  uint16_t be16(size_t offset) const {
    return static_cast<uint16_t>(u8(offset) << 8 | u8(offset + 1));
  }
  // Little-endian word: only the level-3 record count uses this order.
  uint16_t le16(size_t offset) const {
    return static_cast<uint16_t>(u8(offset) | u8(offset + 1) << 8);
  }
  uint32_t be32(size_t offset) const {
    return static_cast<uint32_t>(be16(offset)) << 16 | be16(offset + 2);
  }
  uint32_t le32(size_t offset) const {
    return static_cast<uint32_t>(le16(offset)) | static_cast<uint32_t>(le16(offset + 2)) << 16;
  }

  // Up to `length` bytes as text; shorter when the view ends first.
  std::string str(size_t offset, size_t length) const {
    if (offset >= size_) return {};
    const size_t n = length < size_ - offset ? length : size_ - offset;
    return std::string(reinterpret_cast<const char*>(data_ + offset), n);
  }

  // A sub-view; empty or shortened when it would leave this view.
  ByteView sub(size_t offset, size_t length = SIZE_MAX) const {
    if (offset >= size_) return {};
    const size_t n = length < size_ - offset ? length : size_ - offset;
    return ByteView(data_ + offset, n);
  }

  bool equals(size_t offset, std::string_view text) const {
    if (!has(offset, text.size())) return false;
    for (size_t i = 0; i < text.size(); ++i)
      if (data_[offset + i] != static_cast<uint8_t>(text[i])) return false;
    return true;
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

class ByteWriter {
 public:
  ByteWriter(uint8_t* data, size_t size) : data_(data), size_(size) {}
  ByteWriter(std::span<uint8_t> s) : data_(s.data()), size_(s.size()) {}  // NOLINT
  template <size_t N>
  ByteWriter(uint8_t (&a)[N]) : data_(a), size_(N) {}  // NOLINT

  size_t size() const { return size_; }
  bool has(size_t offset, size_t length = 1) const {
    return offset <= size_ && length <= size_ - offset;
  }

  void put8(size_t offset, uint8_t v) {
    if (offset < size_) data_[offset] = v;
  }
  void put16be(size_t offset, uint16_t v) {
    put8(offset, static_cast<uint8_t>(v >> 8));
    put8(offset + 1, static_cast<uint8_t>(v & 0xFF));
  }
  void put16le(size_t offset, uint16_t v) {
    put8(offset, static_cast<uint8_t>(v & 0xFF));
    put8(offset + 1, static_cast<uint8_t>(v >> 8));
  }
  void put32be(size_t offset, uint32_t v) {
    put16be(offset, static_cast<uint16_t>(v >> 16));
    put16be(offset + 2, static_cast<uint16_t>(v & 0xFFFF));
  }
  void put32le(size_t offset, uint32_t v) {
    put16le(offset, static_cast<uint16_t>(v & 0xFFFF));
    put16le(offset + 2, static_cast<uint16_t>(v >> 16));
  }
  // Copies `text` and pads with `pad` up to `length` bytes.
  void putStr(size_t offset, std::string_view text, size_t length, uint8_t pad = ' ') {
    for (size_t i = 0; i < length; ++i)
      put8(offset + i, i < text.size() ? static_cast<uint8_t>(text[i]) : pad);
  }
  void fill(size_t offset, size_t length, uint8_t v) {
    for (size_t i = 0; i < length; ++i) put8(offset + i, v);
  }
  void copy(size_t offset, ByteView from) {
    for (size_t i = 0; i < from.size(); ++i) put8(offset + i, from.u8(i));
  }

 private:
  uint8_t* data_;
  size_t size_;
};

}  // namespace korvane
