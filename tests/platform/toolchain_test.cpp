// The toolchain we ship with must compile whole-block copies whole.
//
// GCC 12 at -O2 dropped all but 16 bytes of a 256-byte copy into an
// aggregate temporary that shared its stack slot with a dead sector buffer
// filled through a pointer: the copied bytes were those of the buffer. The
// write engine met it when it built its list of sectors to write, and every
// FDR it wrote held the last data sector from byte 16 on. The build gives
// temporaries their own stack slots; this test keeps the pattern, so a build
// that loses that setting fails here before it corrupts a disk.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using Block = std::array<uint8_t, 256>;

struct Pending {
  uint32_t sector = 0;
  Block bytes{};
  bool restorable = false;
  Block previous{};
};

// Stands for a read() into the buffer: the compiler cannot see what it does.
__attribute__((noinline)) size_t FillFromFile(Block& b, unsigned i) {
  std::memset(b.data(), 0xA0 + static_cast<int>(i), b.size());
  return b.size();
}

__attribute__((noinline)) bool WriteOut(unsigned, const Block&) { return true; }

__attribute__((noinline)) std::vector<Pending> BuildBatch(unsigned sectors, const Block& previous,
                                                         bool found) {
  Block fdr{};
  std::memset(fdr.data(), 0x11, fdr.size());
  {
    Block data;
    for (unsigned i = 0; i < sectors; ++i) {
      data.fill(0);
      if (FillFromFile(data, i) == 0 || !WriteOut(i, data)) return {};
    }
  }
  std::vector<Pending> writes(2);
  writes[0] = {5, fdr, found, previous};
  writes[1] = {1, previous, true, fdr};
  return writes;
}

TEST(Toolchain, ABlockCopiedIntoATemporaryArrivesWhole) {
  const Block previous{};
  const std::vector<Pending> writes = BuildBatch(3, previous, false);
  ASSERT_EQ(writes.size(), 2u);
  Block expected;
  expected.fill(0x11);
  EXPECT_EQ(writes[0].bytes, expected);
  EXPECT_EQ(writes[1].previous, expected);
  EXPECT_EQ(writes[0].previous, previous);
}

}  // namespace
