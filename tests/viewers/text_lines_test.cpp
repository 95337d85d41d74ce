#include "viewers/text_lines.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(TextLines, EveryLineKeepsItsOwnLineEndAndTheTextComesBackWhole) {
  const std::string text = "crlf\r\nlf\ncr\r\r\n\xA0last";
  const std::vector<TextLine> lines = SplitTextLines(text);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].end, LineEnd::CrLf);
  EXPECT_EQ(lines[1].end, LineEnd::Lf);
  EXPECT_EQ(lines[2].end, LineEnd::Cr);
  EXPECT_EQ(lines[3].text, "");  // CR LF right after the lone CR
  EXPECT_EQ(lines[3].end, LineEnd::CrLf);
  EXPECT_EQ(lines[4].text, "\xA0last");
  EXPECT_EQ(lines[4].end, LineEnd::None);
  EXPECT_EQ(JoinTextLines(lines), text);
  EXPECT_EQ(FirstLineEnd(lines), LineEnd::CrLf);

  for (const std::string& t : {std::string(""), std::string("\n"), std::string("\r"), std::string("a\rb\n")})
    EXPECT_EQ(JoinTextLines(SplitTextLines(t)), t);
  EXPECT_EQ(SplitTextLines("").size(), 1u);
  EXPECT_EQ(FirstLineEnd(SplitTextLines("one line")), LineEnd::CrLf);
  EXPECT_EQ(FirstLineEnd(SplitTextLines("a\rb\r\n")), LineEnd::Cr);
}

}  // namespace
}  // namespace korvane
