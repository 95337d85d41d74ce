// CF7A+ card images through korvane-cli: the volume list, walking into a
// volume, and files copied into and out of a volume placed at the right
// byte of the image (volume 1 starts right after the 128-byte header).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/imgtool_check.h"

namespace korvane {
namespace {

using test::Bytes;

test::CliResult Cli(const std::string& args) { return test::RunCli(args, "", test::Capture::StdoutAndStderr); }
std::string Quote(const std::string& s) { return test::ShellQuote(s); }

constexpr uint64_t kVolumeBytes = 1600 * 256;

TEST(CardImageCli, VolumesAreListedAndEnteredAndAnEmptyOneIsRefused) {
  test::TempDir dir;
  const test::TiFile hello = test::DisVarFile("HELLO", 80, {"HI THERE"});
  test::CardLayout layout;
  layout.volumes = {test::DiskBuilder::Dssd("FIRST").Add(hello).Build(), {}, test::FormattedVolume("THIRD")};
  const std::string card = dir.Write("card.cf7", test::CardImageFile("card", layout));

  test::CliResult r = Cli("dir " + Quote(dir.path()));
  EXPECT_NE(r.out.find("CF7A+IMG"), std::string::npos) << r.out;
  r = Cli("dir " + Quote(card));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("FIRST"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("UNFORMATED"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("THIRD"), std::string::npos) << r.out;

  r = Cli("dir " + Quote(card + "::FIRST"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("HELLO"), std::string::npos) << r.out;
  r = Cli("dir " + Quote(card + "::UNFORMATED"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("DSK is not initialized"), std::string::npos) << r.out;
}

TEST(CardImageCli, FilesGoIntoTheirOwnVolumeAndComeBackWhole) {
  test::TempDir dir;
  const test::TiFile hello = test::DisVarFile("HELLO", 80, {"HI THERE"});
  const test::TiFile more = test::DisFixFile("MORE", 64, {"A", "B", "C"});
  test::CardLayout layout;
  layout.volumes = {test::FormattedVolume("FIRST"), test::FormattedVolume("SECOND")};
  const std::string card = dir.Write("card.cf7", test::CardImageFile("card", layout));
  dir.Write("hello.tfi", test::TifilesFile(hello));
  dir.Write("more.tfi", test::TifilesFile(more));

  test::CliResult r = Cli("copy " + Quote(dir.path()) + " " + Quote(card + "::FIRST") + " hello.tfi");
  ASSERT_EQ(r.status, 0) << r.out;
  r = Cli("copy " + Quote(dir.path()) + " " + Quote(card + "::SECOND") + " more.tfi");
  ASSERT_EQ(r.status, 0) << r.out;

  // The header is untouched and each volume holds its own file, as another
  // tool reads the volume at its offset.
  const Bytes after = test::ReadFile(card);
  const Bytes header = test::CardImageFile("card", layout);
  EXPECT_TRUE(std::equal(header.begin(), header.begin() + 128, after.begin()));
  test::ExpectImgtoolReads(card, {test::Expect(hello)}, 128);
  test::ExpectImgtoolReads(card, {test::Expect(more)}, 128 + kVolumeBytes);

  r = Cli("export " + Quote(card + "::SECOND") + " MORE " + Quote(dir.path() + "/out.tfi") + " --tifiles");
  ASSERT_EQ(r.status, 0) << r.out;
  const Bytes out = test::ReadFile(dir.path() + "/out.tfi");
  const Bytes expected = test::TifilesFile(more);
  ASSERT_EQ(out.size(), expected.size());
  EXPECT_TRUE(std::equal(out.begin() + 128, out.end(), expected.begin() + 128));
}

}  // namespace
}  // namespace korvane
