#include "archive/lzw_decoder.h"

#include <gtest/gtest.h>

#include <random>

#include "archive/arc_directory.h"
#include "support/arc_builder.h"

namespace korvane {
namespace {

using test::Bytes;

// Decodes a whole stream; `status` is how it ended.
Bytes DecodeAll(const Bytes& stream, LzwDecoder::Status& status) {
  ArchiveMemoryInput input(ByteView(stream.data(), stream.size()));
  LzwDecoder decoder(input);
  Bytes out;
  ArchiveBlock block;
  size_t length = 0;
  do {
    status = decoder.NextBlock(block, length);
    out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(length));
  } while (status == LzwDecoder::Status::Block);
  return out;
}

Bytes Text(size_t size) {
  const std::string words = "DEF PRINT CALL CLEAR 100 GOTO 200 ";
  Bytes b;
  for (size_t i = 0; b.size() < size; ++i) b.push_back(static_cast<uint8_t>(words[(i * 7 + i / 13) % words.size()]));
  return b;
}

Bytes Noise(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(size);
  for (auto& x : b) x = static_cast<uint8_t>(rng() % 40);  // repeats enough to build long strings
  return b;
}

TEST(LzwDecoder, DecodesStreamsOfEveryWidthWithRepeatsAndClearsExactly) {
  struct Case {
    const char* what;
    Bytes data;
    test::LzwOptions options;
  };
  const std::vector<Case> cases = {
      {"one byte", Bytes{0x41}, {}},
      {"a run that repeats its own first byte (KwKwK)", Bytes(5000, 0x20), {}},
      {"text across 9 to 11 bits", Text(3000), {}},
      {"noise that fills the dictionary and clears it", Noise(200000, 7), {}},
      {"a full dictionary without a clear", Noise(60000, 3), {false}},
  };
  for (const Case& c : cases) {
    const Bytes stream = test::LzwEncode(c.data, c.options);
    ASSERT_EQ(stream[0], 0x80) << c.what;
    LzwDecoder::Status status;
    const Bytes out = DecodeAll(stream, status);
    EXPECT_EQ(status, LzwDecoder::Status::End) << c.what;
    EXPECT_EQ(out, c.data) << c.what;
  }
}

// Codes laid out by hand: 9-bit codes until the entry of code 511 is added,
// then 10 bits. 256 literal-pair codes add entries 258..511.
TEST(LzwDecoder, WidthGrowsRightAfterCode511IsAdded) {
  std::vector<std::pair<unsigned, unsigned>> codes = {{256, 9}};
  Bytes expected;
  // 255 literals after the first add entries 258..511 (the 254th add is 511).
  for (unsigned i = 0; i < 255; ++i) {
    codes.push_back({i, 9});
    expected.push_back(static_cast<uint8_t>(i));
  }
  // From here codes are 10 bits: code 258 is "00 01".
  codes.push_back({258, 10});
  expected.push_back(0);
  expected.push_back(1);
  codes.push_back({257, 10});
  Bytes stream;
  unsigned acc = 0, count = 0;
  for (auto [code, width] : codes) {
    for (int b = static_cast<int>(width) - 1; b >= 0; --b) {
      acc = acc << 1 | ((code >> b) & 1);
      if (++count == 8) stream.push_back(static_cast<uint8_t>(acc)), acc = 0, count = 0;
    }
  }
  if (count) stream.push_back(static_cast<uint8_t>(acc << (8 - count)));
  LzwDecoder::Status status;
  EXPECT_EQ(DecodeAll(stream, status), expected);
  EXPECT_EQ(status, LzwDecoder::Status::End);
}

TEST(LzwDecoder, UndefinedCodesAndShortStreamsEndWithAStatusNotAHang) {
  // Clear, literal "A", then code 300 while 258 is the next free code.
  const Bytes undefined = {0x80, 0x10, 0x65, 0x80, 0x00};
  LzwDecoder::Status status;
  const Bytes out = DecodeAll(undefined, status);
  EXPECT_EQ(status, LzwDecoder::Status::Corrupt);
  EXPECT_EQ(out, Bytes{0x41});

  Bytes stream = test::LzwEncode(Text(4000));
  stream.resize(300);
  const Bytes partial = DecodeAll(stream, status);
  EXPECT_EQ(status, LzwDecoder::Status::Truncated);
  const Bytes whole = Text(4000);
  ASSERT_LE(partial.size(), whole.size());
  EXPECT_TRUE(std::equal(partial.begin(), partial.end(), whole.begin()));

  // After the end every further call repeats the status with no bytes.
  ArchiveMemoryInput input(ByteView(undefined.data(), undefined.size()));
  LzwDecoder decoder(input);
  ArchiveBlock block;
  size_t length = 99;
  decoder.NextBlock(block, length);
  EXPECT_EQ(decoder.NextBlock(block, length), LzwDecoder::Status::Corrupt);
  EXPECT_EQ(length, 0u);
}

// A stream made by another archiver: one DIS/VAR member whose records are
// the lines of a text file.
TEST(LzwDecoder, DecodesAStreamMadeByAnotherArchiver) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  const Bytes stream = test::ReadFile(corpus + "/xdt99/arkfile1t_ark");
  const Bytes text = test::ReadFile(corpus + "/xdt99/arkfile1t");
  ArchiveMemoryInput input(ByteView(stream.data(), stream.size()));
  LzwDecoder decoder(input);
  ArchiveDirectory dir;
  ASSERT_TRUE(ReadCompressedDirectory(decoder, dir));
  ASSERT_EQ(dir.entries.size(), 1u);
  const CatalogEntry member = ArchiveMemberRow(dir.entries[0], 0, true, "arkfile1t_ark");
  EXPECT_EQ(member.tiName, "ARKFILE1T ");
  EXPECT_EQ(member.kind, kKindDisVar);
  Bytes lines;
  ArchiveBlock block;
  size_t length = 0;
  for (unsigned s = 0; s < member.totalSectors; ++s) {
    ASSERT_EQ(decoder.NextBlock(block, length), LzwDecoder::Status::Block);
    for (size_t p = 0; p < 256 && block[p] != 0xFF;) {
      const size_t n = block[p];
      lines.insert(lines.end(), block.begin() + static_cast<std::ptrdiff_t>(p + 1),
                   block.begin() + static_cast<std::ptrdiff_t>(p + 1 + n));
      lines.push_back('\n');
      p += n + 1;
    }
  }
  EXPECT_EQ(lines, text);
  EXPECT_EQ(decoder.NextBlock(block, length), LzwDecoder::Status::End);
}

}  // namespace
}  // namespace korvane
