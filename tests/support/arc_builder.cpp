#include "support/arc_builder.h"

#include <map>

namespace korvane::test {
namespace {

class BitWriter {
 public:
  void Put(unsigned code, unsigned width) {
    for (int bit = static_cast<int>(width) - 1; bit >= 0; --bit) {
      current_ = static_cast<uint8_t>(current_ << 1 | ((code >> bit) & 1));
      if (++count_ == 8) {
        out_.push_back(current_);
        current_ = 0;
        count_ = 0;
      }
    }
  }
  Bytes Finish() {
    if (count_) out_.push_back(static_cast<uint8_t>(current_ << (8 - count_)));
    out_.resize((out_.size() + 255) / 256 * 256, 0);
    return out_;
  }

 private:
  Bytes out_;
  uint8_t current_ = 0;
  int count_ = 0;
};

constexpr unsigned kClear = 256, kEnd = 257, kFirst = 258, kCodes = 4096;

}  // namespace

Bytes ArchiveContents(const std::vector<TiFile>& members, bool compressed) {
  const size_t blocks = members.size() / 14 + 1;
  Bytes out(blocks * 256, 0);
  for (size_t i = 0; i < members.size(); ++i) {
    const TiFile& f = members[i];
    const size_t at = (i / 14) * 256 + (i % 14) * 18;
    for (size_t c = 0; c < 10; ++c) out[at + c] = c < f.name.size() ? static_cast<uint8_t>(f.name[c]) : ' ';
    out[at + 10] = f.status;
    out[at + 11] = f.recordsPerSector;
    out[at + 12] = static_cast<uint8_t>(f.Sectors() >> 8);
    out[at + 13] = static_cast<uint8_t>(f.Sectors());
    out[at + 14] = f.eofOffset;
    out[at + 15] = f.recordLength;
    const uint8_t hi = static_cast<uint8_t>(f.level3 >> 8), lo = static_cast<uint8_t>(f.level3);
    out[at + 16] = compressed ? lo : hi;
    out[at + 17] = compressed ? hi : lo;
  }
  const size_t last = (blocks - 1) * 256 + 252;
  out[last] = 'E', out[last + 1] = 'N', out[last + 2] = 'D', out[last + 3] = '!';
  for (const TiFile& f : members) {
    Bytes data = f.data;
    data.resize(size_t{f.Sectors()} * 256, 0);
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

Bytes LzwEncode(const Bytes& data, const LzwOptions& options) {
  BitWriter bits;
  std::map<std::pair<unsigned, uint8_t>, unsigned> dictionary;
  unsigned encoderNext = kFirst;
  // The decoder adds its entry one code later than the encoder and grows the
  // width from its own count: the widths follow that count.
  unsigned decoderNext = kFirst;
  unsigned width = 9;
  bool firstAfterClear = true;
  auto emit = [&](unsigned code) {
    bits.Put(code, width);
    if (code == kClear) {
      width = 9;
      decoderNext = kFirst;
      firstAfterClear = true;
      return;
    }
    if (code == kEnd) return;
    if (firstAfterClear) {
      firstAfterClear = false;
      return;
    }
    if (decoderNext < kCodes) {
      ++decoderNext;
      if (decoderNext == (1u << width) && width < 12) ++width;
    }
  };

  emit(kClear);
  if (data.empty()) {
    emit(kEnd);
    return bits.Finish();
  }
  unsigned w = data[0];
  for (size_t i = 1; i < data.size(); ++i) {
    const uint8_t c = data[i];
    const auto found = dictionary.find({w, c});
    if (found != dictionary.end()) {
      w = found->second;
      continue;
    }
    emit(w);
    if (encoderNext < kCodes) dictionary[{w, c}] = encoderNext++;
    if (encoderNext == kCodes && options.clearWhenFull) {
      emit(kClear);
      dictionary.clear();
      encoderNext = kFirst;
    }
    w = c;
  }
  emit(w);
  emit(kEnd);
  return bits.Finish();
}

TiFile ArchiveFile(const std::string& name, const std::vector<TiFile>& members, bool compressed) {
  TiFile f;
  f.name = name;
  f.status = compressed ? 0x02 : 0x00;  // INT/FIX or DIS/FIX
  f.recordLength = 128;
  f.recordsPerSector = 2;
  const Bytes contents = ArchiveContents(members, compressed);
  f.data = compressed ? LzwEncode(contents) : contents;
  f.level3 = static_cast<uint16_t>(f.Sectors() * 2);
  return f;
}

}  // namespace korvane::test
