// The independent reader the write tests lean on: it must read what the
// fixture builders lay out, and it must notice what a damaged FDR or data
// sector looks like, or its silence would prove nothing.
#include <gtest/gtest.h>

#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"

namespace korvane {
namespace {

using test::Bytes;

std::vector<test::TiFile> EveryKind() {
  test::TiFile ivar = test::DisVarFile("IVAR", 254, std::vector<std::string>(9, "internal"));
  ivar.status = 0x82;
  test::TiFile ifix = test::DisFixFile("IFIX", 128, {"a", "b", "c"});
  ifix.status = 0x02;
  Bytes code(700);
  for (size_t i = 0; i < code.size(); ++i) code[i] = static_cast<uint8_t>(i * 7);
  test::TiFile locked = test::ProgramFile("LOCKED", code);
  locked.status |= 0x08;
  test::TiFile empty = test::DisVarFile("EMPTY", 80, {});
  empty.data.clear();
  return {test::DisVarFile("DV80", 80, std::vector<std::string>(40, "a line")), test::DisFixFile("DF129", 129, {"x"}),
          ivar, ifix, test::ProgramFile("PROG", code), locked, empty};
}

TEST(ImgtoolReader, ReadsEveryFileKindAndNoticesDamage) {
  test::TempDir dir;
  test::DiskBuilder disk = test::DiskBuilder::Dssd("KINDS");
  std::vector<test::ExpectedTiFile> expected;
  for (const test::TiFile& f : EveryKind()) {
    disk.Add(f);
    expected.push_back(test::Expect(f));
  }
  Bytes image = disk.Build();
  const std::string path = dir.Write("kinds.dsk", image);
  EXPECT_EQ(test::ImgtoolDifferences(path, expected), std::vector<std::string>{});
  test::ExpectImgtoolAgrees(path);

  // A wrong record length, a changed data byte, a file too many and one
  // missing are each named.
  const auto fdrOf = [&](const std::string& name) {
    for (unsigned s : test::RootIndex(image))
      if (std::string(image.begin() + s * 256, image.begin() + s * 256 + name.size()) == name) return s;
    ADD_FAILURE() << name;
    return 0u;
  };
  image[fdrOf("DV80") * 256 + 17] = 81;
  const unsigned progFdr = fdrOf("PROG");
  const unsigned firstData = image[progFdr * 256 + 28] | (image[progFdr * 256 + 29] & 0x0F) << 8;
  image[firstData * 256 + 100] ^= 0xFF;
  dir.Write("kinds.dsk", image);
  std::vector<test::ExpectedTiFile> wrong = expected;
  wrong.pop_back();  // EMPTY
  wrong.push_back(test::Expect(test::ProgramFile("GHOST", {1})));
  EXPECT_EQ(test::ImgtoolDifferences(path, wrong),
            (std::vector<std::string>{"<DV80> is listed as D/V 81, expected D/V 80", "imgtool does not list <GHOST>",
                                      "imgtool lists <EMPTY> (D/V 80), which was not expected",
                                      "<PROG> differs from byte 100"}));
}

TEST(ImgtoolReader, ReadsAVolumeOfACardFromItsOffset) {
  test::TempDir dir;
  const std::vector<test::TiFile> files = EveryKind();
  test::DiskBuilder disk = test::DiskBuilder::Sssd("VOL");
  for (const test::TiFile& f : files) disk.Add(f);
  Bytes card(128 + 1600 * 256, 0);
  const Bytes volume = disk.Build();
  std::copy(volume.begin(), volume.end(), card.begin() + 128 + 1600 * 256 - static_cast<long>(volume.size()));
  const std::string path = dir.Write("card.raw", card);
  std::vector<test::ExpectedTiFile> expected;
  for (const test::TiFile& f : files) expected.push_back(test::Expect(f));
  test::ExpectImgtoolReads(path, expected, card.size() - volume.size());
}

}  // namespace
}  // namespace korvane
