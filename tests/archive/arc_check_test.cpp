#include "archive/arc_check.h"

#include <gtest/gtest.h>

#include "support/arc_builder.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

using test::Bytes;

std::vector<test::TiFile> Members() {
  Bytes prog(2000);
  for (size_t i = 0; i < prog.size(); ++i) prog[i] = static_cast<uint8_t>(i % 7 + 'A');
  return {test::DisVarFile("TEXT", 80, std::vector<std::string>(40, "some repeated text")),
          test::ProgramFile("PROG", prog)};
}

CheckReport Check(const Bytes& data, bool compressed) {
  ArchiveMemoryInput input(ByteView(data.data(), data.size()));
  CheckReport r;
  CheckArchive(input, compressed, data.size(), r);
  return r;
}

std::string Describe(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings) s += FormatFinding(f) + "\n";
  return s;
}

TEST(CheckArchive, SoundArchivesOfBothFormsHaveNoFindings) {
  for (bool compressed : {false, true}) {
    const Bytes data = test::ArchiveFile("ARK", Members(), compressed).data;
    EXPECT_TRUE(Check(data, compressed).findings.empty()) << compressed << "\n" << Describe(Check(data, compressed));
    ArchiveMemoryInput input(ByteView(data.data(), data.size()));
    EXPECT_TRUE(compressed ? LooksLikeCompressedArchive(input) : LooksLikePlainArchive(input));
  }
}

TEST(CheckArchive, MembersPastTheDataAndBrokenStreamsAreErrors) {
  Bytes plain = test::ArchiveContents(Members(), false);
  plain.resize(plain.size() - 512);
  CheckReport r = Check(plain, false);
  ASSERT_TRUE(r.Has(FindingCode::ArchiveData)) << Describe(r);
  EXPECT_EQ(r.Errors(), 1);

  const Bytes whole = test::LzwEncode(test::ArchiveContents(Members(), true));
  Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2));
  r = Check(cut, true);
  EXPECT_TRUE(r.Has(FindingCode::ArchiveStream)) << Describe(r);
  EXPECT_TRUE(r.Has(FindingCode::ArchiveData)) << Describe(r);

  Bytes noClear = whole;
  noClear[0] = 0x00;
  r = Check(noClear, true);
  ASSERT_TRUE(r.Has(FindingCode::ArchiveStream));

  // A code far beyond the dictionary right after the first literal.
  Bytes corrupt = whole;
  corrupt[2] = 0xFF;
  corrupt[3] = 0xFF;
  r = Check(corrupt, true);
  EXPECT_GT(r.Errors(), 0) << Describe(r);
}

TEST(CheckArchive, DirectoryEntriesAreCheckedAndRecordFilesAreNoArchives) {
  Bytes plain = test::ArchiveContents(Members(), false);
  plain[18 + 2] = '.';  // second entry's name: "PR.G"
  CheckReport r = Check(plain, false);
  ASSERT_TRUE(r.Has(FindingCode::ArchiveDirectory)) << Describe(r);
  EXPECT_EQ(r.findings[0].structure, "directory entry 2");

  const test::TiFile text = test::DisFixFile("SCREENS", 128, std::vector<std::string>(20, "( screen ) : X 1 2 + ;"));
  ArchiveMemoryInput input(ByteView(text.data.data(), text.data.size()));
  EXPECT_FALSE(LooksLikePlainArchive(input));
}

}  // namespace
}  // namespace korvane
