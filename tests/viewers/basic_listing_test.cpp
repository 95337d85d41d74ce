// BASIC listings from token bytes laid out by the builders in the three
// storage forms, and from programs saved by real TI tools.
#include <gtest/gtest.h>

#include "support/basic_builder.h"
#include "support/recording_reporter.h"
#include "viewers/basic_program.h"
#include "viewers/basic_tokens.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

using test::BasicLine;
using test::Bytes;
using test::Chars;
using test::LineRef;
using test::Quoted;
using test::Tok;
using test::Unquoted;

constexpr uint8_t kIf = 0x84, kFor = 0x8C, kPrint = 0x9C, kCall = 0x9D, kThen = 0xB0, kTo = 0xB1;
constexpr uint8_t kEq = 0xBE, kLParen = 0xB7, kRParen = 0xB6, kColon = 0xB5, kSin = 0xD2, kSep = 0x82;

// The eight lines every form must list the same way.
std::vector<BasicLine> ExampleLines() {
  return {
      {10, Tok({{kPrint}, Quoted("HELLO")})},
      {20, Tok({{kIf}, Chars("A"), {kEq}, Unquoted("1"), {kThen}, LineRef(100)})},
      {30, Tok({{kFor}, Chars("I"), {kEq}, Unquoted("1"), {kTo}, Unquoted("10")})},
      {40, Tok({Chars("X"), {kEq}, {kSin}, {kLParen}, Chars("Y"), {kRParen}})},
      {50, Tok({{kPrint}, {kSin}, {kLParen}, Chars("X"), {kRParen}})},
      {60, Tok({{kCall}, Unquoted("CLEAR")})},
      {70, Tok({Chars("A"), {kEq}, Unquoted("1"), {kSep}, Chars("B"), {kEq}, Unquoted("2")})},
      {80, Tok({{kPrint}, Chars("A"), {kColon}, {kColon}, Chars("B")})},
  };
}

constexpr char kExampleListing[] =
    "10 PRINT \"HELLO\"\r\n"
    "20 IF A=1 THEN 100\r\n"
    "30 FOR I=1 TO 10\r\n"
    "40 X=SIN(Y)\r\n"
    "50 PRINT SIN(X)\r\n"
    "60 CALL CLEAR\r\n"
    "70 A=1 :: B=2\r\n"
    "80 PRINT A: :B\r\n";

BasicResult ListImage(const Bytes& data, std::string& text) {
  MemoryData source(ByteView(data.data(), data.size()), "PROG");
  return ListProgramImage(source, text);
}

BasicResult ListLong(const test::TiFile& f, std::string& text, uint16_t level3) {
  MemoryData source(ByteView(f.data.data(), f.data.size()), "LONG");
  return ListLongProgram(source, level3, text);
}

BasicResult ListMerge(const test::TiFile& f, std::string& text) {
  MemoryData source(ByteView(f.data.data(), f.data.size()), "MERGE");
  return ListMergeFile(source, f.level3, text);
}

TEST(BasicListing, ExampleLines_ListExactly_InAllThreeForms) {
  std::string image, longForm, merge, complement;
  EXPECT_EQ(ListImage(test::ProgramImageData(ExampleLines()), image), BasicResult::kListing);
  EXPECT_EQ(image, kExampleListing);

  test::ProgramLayout twos;
  twos.complementCheck = true;
  EXPECT_EQ(ListImage(test::ProgramImageData(ExampleLines(), twos), complement), BasicResult::kListing);
  EXPECT_EQ(complement, kExampleListing);

  const test::TiFile longFile = test::LongProgramFile("SKI", ExampleLines());
  EXPECT_EQ(ListLong(longFile, longForm, longFile.level3), BasicResult::kListing);
  EXPECT_EQ(longForm, kExampleListing);

  EXPECT_EQ(ListMerge(test::MergeFile("MRG", ExampleLines()), merge), BasicResult::kListing);
  EXPECT_EQ(merge, kExampleListing);
}

TEST(BasicListing, TokenSpacing_QuotesUnassignedTokensAndLineNumbers) {
  std::string out;
  // A quote inside a quoted string is shown once, as stored.
  const Bytes quote = Tok({{kPrint}, Quoted("SAY \"HI\""), {0}});
  AppendListingLine(1, ByteView(quote.data(), quote.size()), 255, out);
  // An unassigned token prints nothing but still takes a blank after a literal.
  const Bytes unassigned = Tok({Chars("A"), {0x80}, Chars("B"), {0}});
  AppendListingLine(2, ByteView(unassigned.data(), unassigned.size()), 255, out);
  const Bytes ref = Tok({{0x86}, LineRef(65535), {0}});
  AppendListingLine(65535, ByteView(ref.data(), ref.size()), 255, out);
  // OPEN #1: ... VARIABLE 80: "#" is tight after a keyword gap rule, VARIABLE
  // puts a blank before the next item.
  const Bytes open = Tok({{0x9F}, {0xFD}, Unquoted("1"), {kColon}, Quoted("DSK1.X"), {0xB3}, {0xF3}, Unquoted("80"), {0}});
  AppendListingLine(4, ByteView(open.data(), open.size()), 255, out);
  EXPECT_EQ(out,
            "1 PRINT \"SAY \"HI\"\"\r\n"
            "2 A B\r\n"
            "65535 GOTO 65535\r\n"
            "4 OPEN #1:\"DSK1.X\",VARIABLE 80\r\n");
}

TEST(BasicListing, HeaderChecks_DecideBetweenListingFallbackAndFailure) {
  test::RecordingReporter reporter;
  std::string text;
  // Table start equal to table end: not a BASIC program.
  Bytes same{0x00, 0x00, 0x37, 0xC0, 0x37, 0xC0, 0x38, 0x00, 0, 0, 0, 0};
  EXPECT_EQ(ListImage(same, text), BasicResult::kNoListing);
  // A machine-code image: the check word does not fit the table words.
  Bytes code = test::ProgramImageData(ExampleLines());
  code[1] ^= 0x40;
  EXPECT_EQ(ListImage(code, text), BasicResult::kNoListing);
  // Top below table end.
  Bytes low = test::ProgramImageData(ExampleLines());
  low[6] = 0x00;
  EXPECT_EQ(ListImage(low, text), BasicResult::kNoListing);
  EXPECT_TRUE(reporter.errors.empty());
  EXPECT_TRUE(text.empty());
  // A header that does not come whole is an error of its own.
  EXPECT_EQ(ListImage(Bytes{0x00, 0x3F, 0x36}, text), BasicResult::kFailed);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read from file <PROG>");

  // Long form without the 0xABCD mark, and a merge file whose first line is 0xFFFF.
  test::TiFile noMagic = test::LongProgramFile("SKI", ExampleLines());
  noMagic.data[1] = 0x12;
  EXPECT_EQ(ListLong(noMagic, text, noMagic.level3), BasicResult::kNoListing);
  EXPECT_EQ(ListMerge(test::MergeFile("MRG", {}), text), BasicResult::kNoListing);
  Bytes shortLong(100, 0);
  MemoryData source(ByteView(shortLong.data(), shortLong.size()), "LONG");
  EXPECT_EQ(ListLongProgram(source, 5, text), BasicResult::kFailed);
}

// Line addresses, lengths and string counts are taken from the file; none
// of them may lead a reader outside its buffers (the sanitizers watch).
TEST(BasicListing, CorruptPointersAndCounts_CutLinesInsteadOfReadingOutside) {
  // A string token whose count runs past the line: cut at the line's end.
  std::string out;
  const Bytes cut = {kPrint, 0xC7, 200, 'A', 'B'};
  AppendListingLine(1, ByteView(cut.data(), cut.size()), 255, out);
  const Bytes lineRefCut = {0xC9, 0x12};
  AppendListingLine(2, ByteView(lineRefCut.data(), lineRefCut.size()), 3, out);
  EXPECT_EQ(out, "1 PRINT \"AB\"\r\n2 4608\r\n");

  // Table entries pointing before the image and past the file are skipped.
  Bytes image = test::ProgramImageData({{10, Tok({{kPrint}})}, {20, Tok({{0x8B}})}});
  image[8 + 2] = 0x00;  // line 20: address 0x00xx, before table start
  image[8 + 6] = 0xFF;  // line 10: far past the end of the file
  std::string text;
  EXPECT_EQ(ListImage(image, text), BasicResult::kListing);
  EXPECT_EQ(text, "");

  // A table that claims more than the file holds lists the whole entries it has.
  Bytes big = test::ProgramImageData(ExampleLines());
  big[2] = 0xFF, big[3] = 0xF0, big[6] = 0xFF, big[7] = 0xFF;  // table end near the top of memory
  const uint16_t x = static_cast<uint16_t>(0xFFF0 ^ 0x37C0);
  big[0] = static_cast<uint8_t>(x >> 8), big[1] = static_cast<uint8_t>(x);
  text.clear();
  EXPECT_EQ(ListImage(big, text), BasicResult::kListing);

  // Long form: more records than the 32768-byte image holds, and a level-3
  // count far beyond the file.
  test::TiFile huge = test::LongProgramFile("SKI", ExampleLines());
  for (int i = 0; i < 200; ++i) {
    Bytes sector(256, 0xEE);
    sector[0] = 254;
    huge.data.insert(huge.data.end(), sector.begin(), sector.end());
  }
  text.clear();
  EXPECT_EQ(ListLong(huge, text, 0xFFFF), BasicResult::kListing);
  EXPECT_EQ(text, kExampleListing);

  // Merge record whose length runs past its sector.
  test::TiFile merge = test::MergeFile("MRG", {{10, Tok({{kPrint}, Quoted("X")})}});
  merge.data[0] = 250;
  text.clear();
  EXPECT_EQ(ListMerge(merge, text), BasicResult::kListing);
  EXPECT_EQ(text.rfind("10 PRINT \"X\"", 0), 0u);
}

class CorpusBasic : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!IsDirectory(std::string(KORVANE_CORPUS_DIR) + "/classic99"))
      GTEST_SKIP() << "corpus folder " KORVANE_CORPUS_DIR " is absent";
  }
  std::string List(const std::string& name, int form, uint16_t level3) {
    PcFile file;
    EXPECT_TRUE(file.Open(std::string(KORVANE_CORPUS_DIR) + "/classic99/" + name, PcFile::Mode::Read));
    PcFileData data(file);
    std::string text;
    const BasicResult r = form == 0   ? ListProgramImage(data, text)
                          : form == 1 ? ListLongProgram(data, level3, text)
                                      : ListMergeFile(data, level3, text);
    EXPECT_EQ(r, BasicResult::kListing) << name;
    return text;
  }
};

TEST_F(CorpusBasic, ProgramsSavedByTiTools_ListAsTheirAuthorsWroteThem) {
  const std::string hello = List("HELLO", 0, 0);
  EXPECT_EQ(hello.rfind("5 ! HELLO WORLD\r\n10 A$=\" Hello World! How are you doing???\"\r\n15 CALL CLEAR\r\n", 0), 0u);
  EXPECT_NE(hello.find("\r\n20 FOR ROW=1 TO 24 :: FOR COL=1 TO 32\r\n"), std::string::npos);
  EXPECT_NE(hello.find("\r\n120 GOTO 20\r\n"), std::string::npos);

  const std::string skier = List("BASICSKIER", 1, 0x2B);
  EXPECT_EQ(skier.rfind("100 DIM SKIER(10)\r\n120 DIM GRAPHIC$(16)\r\n", 0), 0u);
  EXPECT_NE(skier.find("\r\n280 IF K=73 THEN 290 ELSE 230\r\n"), std::string::npos);

  EXPECT_EQ(List("TEST3", 2, 1),
            "3333 REM  Test\r\n3337 PRINT \"THIS IS A TEST PROGRAM\"\r\n3341 CALL BEEP\r\n3345 END\r\n");
}

}  // namespace
}  // namespace korvane
