#include "platform/byte_view.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(ByteView, ReadsWordsInBothOrdersAndNeverPastTheEnd) {
  const uint8_t bytes[] = {0x12, 0x34, 0x56};
  const ByteView v(bytes);
  EXPECT_EQ(v.be16(0), 0x1234);
  EXPECT_EQ(v.le16(0), 0x3412);
  EXPECT_EQ(v.be16(2), 0x5600);  // the missing byte reads as 0
  EXPECT_EQ(v.u8(3), 0);
  EXPECT_EQ(v.u8(SIZE_MAX), 0);
  EXPECT_EQ(v.str(1, 10), "\x34\x56");
  EXPECT_TRUE(v.sub(5).empty());
  EXPECT_FALSE(v.has(2, 2));
  EXPECT_FALSE(v.has(SIZE_MAX, 2));
  EXPECT_TRUE(v.has(0, 3));
}

TEST(ByteWriter, DropsWritesOutsideTheBuffer) {
  uint8_t bytes[4] = {};
  ByteWriter w(bytes);
  w.put16be(0, 0xABCD);
  w.put16le(3, 0x1234);  // the high byte would land past the end
  w.putStr(0, "X", 1);
  EXPECT_EQ(bytes[0], 'X');
  EXPECT_EQ(bytes[1], 0xCD);
  EXPECT_EQ(bytes[3], 0x34);
}

}  // namespace
}  // namespace korvane
