// Find and replace in viewer text: where a search starts, what a whole word
// is, and replace-all that must end even when the replacement contains the
// searched text.
#include <gtest/gtest.h>

#include "viewers/text_search.h"

using namespace korvane;

namespace {
constexpr SearchOptions kForward{true, false, false};
constexpr SearchOptions kBackward{false, false, false};
}  // namespace

TEST(TextSearch, WholeWord_SkipsMatchInsideWord_AndFindsDelimitedOne) {
  const std::string text = "XAB AB.";
  EXPECT_EQ(FindInText(text, {0, 0}, "AB", {true, false, true}), 4u);
  EXPECT_EQ(FindInText(text, {0, 0}, "AB", kForward), 1u);
  // At the start of a line after a line break, and at the end of the text.
  EXPECT_EQ(FindInText("x\nAB", {0, 0}, "ab", {true, false, true}), 2u);
  EXPECT_EQ(FindInText("AB,x", {0, 0}, "AB", {true, false, true}), 0u);
  EXPECT_FALSE(FindInText("ABC", {0, 0}, "AB", {true, false, true}));
}

TEST(TextSearch, SelectedMatch_IsSteppedOver_InBothDirections) {
  const std::string text = "ab ab ab";
  EXPECT_EQ(FindInText(text, {3, 5}, "AB", kForward), 6u);
  EXPECT_EQ(FindInText(text, {3, 5}, "AB", kBackward), 0u);
  // A selection that is not the searched text: the search starts at its start.
  EXPECT_EQ(FindInText(text, {3, 4}, "ab", kForward), 3u);
  EXPECT_EQ(FindInText(text, {3, 4}, "ab", kBackward), 3u);
  // Nothing after the last one, nothing before the first one.
  EXPECT_FALSE(FindInText(text, {6, 8}, "ab", kForward));
  EXPECT_FALSE(FindInText(text, {0, 2}, "ab", kBackward));
}

TEST(TextSearch, MatchCase_ComparesExactly_ElseCaseIgnored) {
  const std::string text = "Print PRINT print";
  EXPECT_EQ(FindInText(text, {0, 0}, "PRINT", {true, true, false}), 6u);
  EXPECT_EQ(FindInText(text, {0, 0}, "PRINT", kForward), 0u);
  EXPECT_EQ(FindInText(text, {17, 17}, "print", {false, true, false}), 12u);
}

TEST(TextSearch, EdgeInputs_NeverReadPastTheText) {
  EXPECT_FALSE(FindInText("", {0, 0}, "a", kForward));
  EXPECT_FALSE(FindInText("abc", {0, 0}, "", kForward));
  EXPECT_FALSE(FindInText("ab", {0, 0}, "abc", kForward));
  EXPECT_FALSE(FindInText("xa", {0, 0}, "ab", kForward));  // match would run past the end
  EXPECT_EQ(FindInText("abc", {99, 120}, "c", kBackward), 2u);
}

TEST(TextSearch, ReplaceAll_OfAByAA_Terminates_AndReplacesEachOnce) {
  std::string text = "A bA A";
  EXPECT_EQ(ReplaceAllInText(text, "a", "AA", false, false), 3u);
  EXPECT_EQ(text, "AA bAA AA");
  std::string words = "AB XAB AB";
  EXPECT_EQ(ReplaceAllInText(words, "AB", "", true, true), 2u);
  EXPECT_EQ(words, " XAB ");
  std::string none = "xyz";
  EXPECT_EQ(ReplaceAllInText(none, "q", "qq", false, false), 0u);
  EXPECT_EQ(none, "xyz");
}
