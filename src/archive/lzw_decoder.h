// The LZW decoder of compressed TI archives.
//
// Code stream: the archive data from byte 0, read as a bit stream, most
// significant bit first over big-endian 16-bit words (which is the same as
// MSB first over the bytes). Codes start 9 bits wide; 256 clears the
// dictionary, 257 ends the stream, 258 is the first string code. The
// dictionary holds 4096 codes, each a prefix code and a final byte. Right
// after a string is added, when the next free code reaches 2^width (512,
// 1024, 2048) and the width is below 12, the width grows by one bit. The
// first data byte is 80h, so that the first 9-bit code is the clear code.
//
// The decoder hands its output on in 256-byte blocks, one per call, and keeps
// whatever it decoded beyond a block for the next call; the archive reader
// pulls the directory blocks, skips members and extracts one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "archive/archive_input.h"

namespace korvane {

using ArchiveBlock = std::array<uint8_t, 256>;

class LzwDecoder {
 public:
  static constexpr size_t kWindowBytes = 6400;  // input is read 25 sectors at a time
  static constexpr unsigned kCodes = 4096;
  static constexpr uint16_t kClearCode = 256;
  static constexpr uint16_t kEndCode = 257;
  static constexpr uint16_t kFirstFree = 258;

  enum class Status {
    Block,      // a full 256-byte block
    End,        // the end code: `length` bytes of a last, partial block
    Truncated,  // the archive data ran out before the end code
    Corrupt,    // a code that names no string yet, or a broken chain
  };

  explicit LzwDecoder(ArchiveInput& input) : input_(input) {}

  // Whether the stream begins with the byte 80h.
  bool StartsWithClear();

  // Decodes the next block into `block`; `length` is 256 for Status::Block
  // and the bytes of the last partial block otherwise. After a status other
  // than Block every further call repeats it with length 0.
  Status NextBlock(ArchiveBlock& block, size_t& length);

 private:
  enum class Step { Ok, End, Truncated, Corrupt };
  bool NextByte(uint8_t& byte);
  bool ReadCode(uint16_t& code);
  Step DecodeNext();
  void Emit(uint8_t byte);

  ArchiveInput& input_;
  std::array<uint8_t, kWindowBytes> window_{};
  size_t windowLength_ = 0;
  size_t windowPos_ = 0;
  uint64_t nextOffset_ = 0;  // data offset of the next window
  bool inputDone_ = false;

  uint32_t bits_ = 0;
  unsigned bitCount_ = 0;
  unsigned width_ = 9;
  unsigned nextFree_ = kFirstFree;
  int previous_ = -1;  // no previous code before the first literal
  uint8_t firstByte_ = 0;
  std::array<uint16_t, kCodes> prefix_{};
  std::array<uint8_t, kCodes> final_{};

  // The string of the last code, at stack_[pendingPos_, stack_.size()).
  std::array<uint8_t, kCodes + 1> stack_{};
  size_t pendingPos_ = kCodes + 1;

  bool finished_ = false;
  Status finalStatus_ = Status::End;
};

}  // namespace korvane
