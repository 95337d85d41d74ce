#include "archive/lzw_decoder.h"

#include <algorithm>

namespace korvane {

bool LzwDecoder::NextByte(uint8_t& byte) {
  if (windowPos_ == windowLength_) {
    if (inputDone_) return false;
    windowLength_ = input_.Read(nextOffset_, window_.data(), window_.size());
    nextOffset_ += windowLength_;
    windowPos_ = 0;
    if (windowLength_ < window_.size()) inputDone_ = true;
    if (windowLength_ == 0) return false;
  }
  byte = window_[windowPos_++];
  return true;
}

bool LzwDecoder::StartsWithClear() {
  if (windowLength_ == 0 && !inputDone_ && nextOffset_ == 0) {
    uint8_t first;
    if (!NextByte(first)) return false;
    --windowPos_;  // only a look: the byte stays for the bit reader
  }
  return windowLength_ > 0 && window_[0] == 0x80;
}

bool LzwDecoder::ReadCode(uint16_t& code) {
  while (bitCount_ < width_) {
    uint8_t byte;
    if (!NextByte(byte)) return false;
    bits_ = (bits_ << 8 | byte) & 0xFFFFFFu;
    bitCount_ += 8;
  }
  bitCount_ -= width_;
  code = static_cast<uint16_t>((bits_ >> bitCount_) & ((1u << width_) - 1));
  return true;
}

void LzwDecoder::Emit(uint8_t byte) {
  pendingPos_ = stack_.size() - 1;
  stack_[pendingPos_] = byte;
}

LzwDecoder::Step LzwDecoder::DecodeNext() {
  uint16_t code;
  if (!ReadCode(code)) return Step::Truncated;
  if (code == kEndCode) return Step::End;
  while (code == kClearCode) {
    width_ = 9;
    nextFree_ = kFirstFree;
    if (!ReadCode(code)) return Step::Truncated;
    if (code == kEndCode) return Step::End;
    if (code > 255 && code != kClearCode) return Step::Corrupt;
    if (code <= 255) {
      previous_ = code;
      firstByte_ = static_cast<uint8_t>(code);
      Emit(firstByte_);
      return Step::Ok;
    }
  }
  if (previous_ < 0) {
    // A stream that did not begin with a clear code: a literal may start it.
    if (code > 255) return Step::Corrupt;
    previous_ = code;
    firstByte_ = static_cast<uint8_t>(code);
    Emit(firstByte_);
    return Step::Ok;
  }
  // A code may name the string being defined right now (the previous string
  // followed by its own first byte), but never one beyond it.
  if (code > nextFree_) return Step::Corrupt;
  const uint16_t incoming = code;
  size_t pos = stack_.size();
  unsigned current = code;
  if (code == nextFree_) {
    stack_[--pos] = firstByte_;
    current = static_cast<unsigned>(previous_);
  }
  // Prefix codes are always smaller than the code they belong to, so the
  // walk ends; the stack bound keeps a damaged table from overrunning it.
  while (current > 255) {
    if (pos == 0 || current >= kCodes) return Step::Corrupt;
    stack_[--pos] = final_[current];
    current = prefix_[current];
  }
  if (pos == 0) return Step::Corrupt;
  firstByte_ = static_cast<uint8_t>(current);
  stack_[--pos] = firstByte_;
  pendingPos_ = pos;

  if (nextFree_ < kCodes) {
    prefix_[nextFree_] = static_cast<uint16_t>(previous_);
    final_[nextFree_] = firstByte_;
    ++nextFree_;
    if (nextFree_ == (1u << width_) && width_ < 12) ++width_;
  }
  previous_ = incoming;
  return Step::Ok;
}

LzwDecoder::Status LzwDecoder::NextBlock(ArchiveBlock& block, size_t& length) {
  length = 0;
  if (finished_) return finalStatus_;
  while (length < block.size()) {
    if (pendingPos_ < stack_.size()) {
      const size_t n = std::min(stack_.size() - pendingPos_, block.size() - length);
      std::copy_n(stack_.begin() + static_cast<std::ptrdiff_t>(pendingPos_), n, block.begin() + static_cast<std::ptrdiff_t>(length));
      pendingPos_ += n;
      length += n;
      continue;
    }
    const Step step = DecodeNext();
    if (step == Step::Ok) continue;
    finished_ = true;
    finalStatus_ = step == Step::End ? Status::End : step == Step::Truncated ? Status::Truncated : Status::Corrupt;
    return finalStatus_;
  }
  return Status::Block;
}

}  // namespace korvane
