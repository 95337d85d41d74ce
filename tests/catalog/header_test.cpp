#include "catalog/header.h"

#include <gtest/gtest.h>

#include "support/disk_builder.h"

namespace korvane {
namespace {

using test::Bytes;

Bytes V9t9Header(const std::string& name, uint8_t flags, uint8_t recordLength, uint16_t sectors = 1,
                 uint8_t eof = 0) {
  Bytes b(256, 0);
  for (size_t i = 0; i < 10; ++i) b[i] = i < name.size() ? static_cast<uint8_t>(name[i]) : ' ';
  b[12] = flags;
  b[14] = static_cast<uint8_t>(sectors >> 8);
  b[15] = static_cast<uint8_t>(sectors);
  b[16] = eof;
  b[17] = recordLength;
  return b;
}

bool Decode(const Bytes& b, CatalogEntry& row, const std::string& pcName = "file") {
  return DecodeHeader(ByteView(b.data(), b.size()), pcName, true, row);
}

TEST(Header, V9t9NamesWithInnerSpacesDotsOrZerosAreInvalid) {
  CatalogEntry row;
  EXPECT_FALSE(Decode(V9t9Header("AB CD", 0x80, 80), row));
  EXPECT_TRUE(Decode(V9t9Header("ABCD", 0x80, 80), row));
  EXPECT_FALSE(Decode(V9t9Header("A.B", 0x80, 80), row));
  Bytes zero = V9t9Header("ABCD", 0x80, 80);
  zero[6] = 0;
  EXPECT_FALSE(Decode(zero, row));
  // The name ends at its first 0 byte; nothing after it is shown.
  EXPECT_EQ(row.tiName, "ABCD      ");
  zero[1] = 0;
  Decode(zero, row);
  EXPECT_EQ(row.tiName, "A         ");
  zero[0] = 0;
  Decode(zero, row);
  EXPECT_EQ(row.tiName, std::string(10, ' '));

  Bytes tifiles = test::TifilesFile(test::DisVarFile("ABCDEFGH", 80, {"X"}));
  tifiles[16 + 3] = 0;  // a 0 byte in the header's name ends it there too
  Decode(tifiles, row);
  EXPECT_EQ(row.tiName, "ABC       ");
  const Bytes vib = test::DiskBuilder::Sssd("VOL").Build();
  Bytes named(vib.begin(), vib.begin() + 256);
  named[2] = 0;
  named[3] = 'X';
  EXPECT_EQ(TakeTiName(ByteView(named.data(), named.size())), "VO        ");
  EXPECT_EQ(TakeNameField(ByteView(named.data(), named.size()), 1), "O         ");
}

TEST(Header, KindsFollowTheStatusBits) {
  struct Case {
    uint8_t flags;
    uint8_t recordLength;
    uint16_t kind;
    bool valid;
  };
  const Case cases[] = {
      {0x00, 80, kKindDisFix, true},  {0x80, 80, kKindDisVar, true},   {0x02, 128, kKindIntFix, true},
      {0x82, 254, kKindIntVar, true}, {0x01, 0, kKindProgram, true},   {0x81, 0, kKindUnknown, false},
      {0x03, 0, kKindUnknown, false}, {0x83, 0, kKindUnknown, false},  {0x80, 0, kKindUnknown, false},
      {0x84, 80, kKindDisVar, false}, {0xA0, 80, kKindDisVar, false}, {0x40, 80, kKindDisFix, false},
      {0x88, 80, kKindDisVar, true},  {0x90, 80, kKindDisVar, true},
  };
  for (const Case& c : cases) {
    CatalogEntry row;
    EXPECT_EQ(Decode(V9t9Header("NAME", c.flags, c.recordLength), row), c.valid) << int(c.flags);
    EXPECT_EQ(row.kind, c.kind) << int(c.flags);
  }
}

TEST(Header, ProgramSizeReplacesTheRecordLength) {
  CatalogEntry row;
  ASSERT_TRUE(Decode(V9t9Header("PROG", 0x01, 0, 3, 10), row));
  EXPECT_EQ(row.recordLength, 522);
  ASSERT_TRUE(Decode(V9t9Header("PROG", 0x01, 0, 3, 0), row));
  EXPECT_EQ(row.recordLength, 768);
  EXPECT_EQ(ProgramSize(0, 10), 10);  // fewer than 256: nothing subtracted
  EXPECT_EQ(ProgramSize(256, 0), 0);  // 16-bit arithmetic wraps
}

TEST(Header, BlankNamesBecomeNoName) {
  CatalogEntry row;
  Decode(V9t9Header(" X", 0x80, 80), row);
  EXPECT_EQ(row.tiName, "no_name!! ");
}

TEST(Header, CommentIsTakenOnlyBehindAnEmpty64thChainEntry) {
  Bytes b = V9t9Header("NOTE", 0x80, 80);
  const std::string text = "hello\x01world";
  std::copy(text.begin(), text.end(), b.begin() + 220);
  CatalogEntry row;
  Decode(b, row);
  EXPECT_EQ(row.comment, "hello.world");
  b[218] = 1;
  Decode(b, row);
  EXPECT_EQ(row.comment, "");
  b[218] = 0;
  b[220] = ' ';  // must start with a visible character
  Decode(b, row);
  EXPECT_EQ(row.comment, "");
}

TEST(Header, TifilesTakesItsNameFromTheHeaderOrThePcName) {
  test::TiFile f = test::DisVarFile("V64V", 64, {"ONE"});
  CatalogEntry row;
  ASSERT_TRUE(Decode(test::TifilesFile(f, true), row, "whatever"));
  EXPECT_EQ(row.headerKind, kHeaderTifiles);
  EXPECT_EQ(row.tiName, "V64V      ");
  EXPECT_EQ(row.recordLength, 64);
  EXPECT_EQ(row.kind, kKindDisVar);

  ASSERT_TRUE(Decode(test::TifilesFile(f, false), row, "hello.tfi"));
  EXPECT_EQ(row.tiName, "hello     ");

  Bytes dotted = test::TifilesFile(f, true);
  const char name[] = "AB.CDEFGHI";
  std::copy(name, name + 10, dotted.begin() + 16);
  Decode(dotted, row);
  EXPECT_EQ(row.tiName, "AB        ");  // "." ends the name like a space
}

TEST(Header, Classic99IsATifilesHeaderThatDisagreesWithTheFileSize) {
  test::TiFile f = test::DisFixFile("F", 80, {"A", "B", "C", "D"});
  f.data.resize(512);
  Bytes file = test::TifilesFile(f);
  CatalogEntry row;
  ASSERT_TRUE(Decode(file, row));
  ApplyClassic99(file.size(), {}, row);
  EXPECT_EQ(row.headerKind, kHeaderTifiles);
  EXPECT_EQ(row.totalSectors, 2);

  file[9] = 3;  // header says 3 sectors, the file holds 2
  ASSERT_TRUE(Decode(file, row));
  ApplyClassic99(file.size(), {}, row);
  EXPECT_EQ(row.headerKind, kHeaderClassic99);
  EXPECT_EQ(row.totalSectors, 2);

  file[9] = 2;
  file.resize(128 + 300);
  ASSERT_TRUE(Decode(file, row));
  ApplyClassic99(file.size(), {}, row);
  EXPECT_EQ(row.headerKind, kHeaderClassic99);
  EXPECT_EQ(row.totalSectors, 2);
}

TEST(Header, Classic99VariableFilesTakeTheirEofFromTheLastSector) {
  test::TiFile f = test::DisVarFile("V", 80, {"ABC"});
  Bytes file = test::TifilesFile(f);
  file.resize(128 + 100);  // short last sector; the FFh mark sits at 4
  CatalogEntry row;
  ASSERT_TRUE(Decode(file, row));
  const ByteView last(file.data() + LastDataSectorOffset(file.size()), 100);
  ApplyClassic99(file.size(), last, row);
  EXPECT_EQ(row.headerKind, kHeaderClassic99);
  EXPECT_EQ(row.eofOffset, 4);
  EXPECT_EQ(row.level3Records, 1);
}

TEST(Header, SafePcNameReplacesWhatAPcNameCannotHold) {
  EXPECT_EQ(SafePcName("A/B       ", false), "A@B");
  EXPECT_EQ(SafePcName("A/B       ", true), std::string("A\xAF" "B"));
  EXPECT_EQ(SafePcName("\"*:<>?\\|  ", false), "@@@@@@@@");
  EXPECT_EQ(SafePcName("LONGNAME12", false), "LONGNAME12");
  EXPECT_EQ(SafePcName("HELLO WORLD", false), "HELLO");
}

TEST(Header, PcNamesBecomeUpperCaseTiNames) {
  EXPECT_EQ(PcNameToTiName("hello.txt"), "HELLO     ");
  EXPECT_EQ(PcNameToTiName("averyverylongname"), "AVERYVERYL");
  EXPECT_EQ(PcNameToTiName(".hidden"), "          ");
}

}  // namespace
}  // namespace korvane
