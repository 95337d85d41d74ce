// Hard-disk images through korvane-cli, as a user meets them: listed in a
// PC directory, walked into by name, files exported and copied out, and
// every change inside refused with the image left as it was.
#include <gtest/gtest.h>

#include <string>

#include "platform/pc_file.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "support/imgtool_check.h"
#include "support/sha256.h"

namespace korvane {
namespace {

using test::Bytes;

test::CliResult Cli(const std::string& args) { return test::RunCli(args, "", test::Capture::StdoutAndStderr); }
std::string Quote(const std::string& s) { return test::ShellQuote(s); }

Bytes DataOf(const Bytes& pcFile) { return Bytes(pcFile.begin() + 128, pcFile.end()); }

Bytes Padded(Bytes data) {
  data.resize((data.size() + 255) / 256 * 256, 0);
  return data;
}

// A plain volume with a file in the root and one two levels down, and the
// same volume as partition 2 of a partitioned image behind another one.
struct Images {
  test::TempDir dir;
  std::string plain, parted;
  test::TiFile readme = test::DisVarFile("README", 80, {"HELLO", "WORLD"});
  test::TiFile deep = test::ProgramFile("DEEP", Bytes(700, 0x5A));

  Images() {
    test::HardDiskBuilder b("WORKDISK", 2000, 2);
    b.Root().Add(readme);
    b.Root().AddDir("TOOLS").AddDir("TEXT").Add(deep);
    const test::HdImage volume = b.Build();
    plain = dir.Write("work.hd", volume.bytes);
    test::HardDiskBuilder other("OTHER", 500, 1);
    parted = dir.Write("two.img", test::PartitionedImage(8000, {{16, other.Build().bytes}, {1024, volume.bytes}}));
  }
};

TEST(HardDiskCli, ImagesAreListedAndWalkedIntoByNameAndNumber) {
  Images im;
  test::CliResult r = Cli("dir " + Quote(im.dir.path()));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("WORKDISK         4000   HDIMG"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("*TI99FSPT*      16000   PTIMG"), std::string::npos) << r.out;

  r = Cli("dir " + Quote(im.plain + "::TOOLS/TEXT"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("Directory of  " + im.plain + "->TOOLS.TEXT\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("DEEP                3   PROGRAM    700"), std::string::npos) << r.out;

  r = Cli("dir " + Quote(im.parted));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("OTHER"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("WORKDISK"), std::string::npos) << r.out;
  r = Cli("dir " + Quote(im.parted + "::WORKDISK/TOOLS"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("->WORKDISK.TOOLS\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("TEXT"), std::string::npos) << r.out;

  r = Cli("dir " + Quote(im.plain + "::NOSUCH"));
  EXPECT_NE(r.status, 0);
}

TEST(HardDiskCli, FilesExportAndCopyOutWholeAndNothingIsWrittenInside) {
  Images im;
  test::CliResult r = Cli("export " + Quote(im.parted + "::WORKDISK/TOOLS/TEXT") + " DEEP " +
                          Quote(im.dir.path() + "/deep.tfi") + " --tifiles");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(DataOf(test::ReadFile(im.dir.path() + "/deep.tfi")), Padded(im.deep.data));

  // Copied out into a floppy image, which another tool reads back.
  ASSERT_EQ(Cli("mkdsk " + Quote(im.dir.path()) + " OUT").status, 0);
  const std::string dsk = im.dir.path() + "/OUT.dsk";
  r = Cli("copy " + Quote(im.plain) + " " + Quote(dsk) + " README");
  ASSERT_EQ(r.status, 0) << r.out;
  test::ExpectImgtoolReads(dsk, {test::Expect(im.readme)});

  const Bytes before = test::ReadFile(im.plain);
  r = Cli("copy " + Quote(dsk) + " " + Quote(im.plain) + " README --yes");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("Can't copy files to ARC, PC99DSK or HDIMG"), std::string::npos) << r.out;
  EXPECT_NE(Cli("rm " + Quote(im.plain) + " README").status, 0);
  EXPECT_NE(Cli("rename " + Quote(im.plain) + " README OTHER").status, 0);
  EXPECT_EQ(test::ReadFile(im.plain), before);
}

// Images another tool wrote: their files export to the contents that tool
// recorded.
TEST(HardDiskCli, CorpusFilesExportToTheContentsTheirMakerRecorded) {
  const std::string corpus = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool";
  if (!PathExists(corpus + "/scsi-tree.hd")) GTEST_SKIP() << "corpus not found at " << corpus;
  test::TempDir dir;
  struct Case {
    std::string location, name, sha;
  };
  const Case cases[] = {
      {corpus + "/scsi-tree.hd::GAMES", "BIGPRG", "7b8b5a44a6316c6cac3b4253f05fdd99ef780d259f734700d30d10f98e5191e6"},
      {corpus + "/scsi-tree.hd::GAMES", "M01", "8cad7d7b6a83736ba9378816fe65d14949e29dc63b89195b5f5dc5a082f0d757"},
  };
  for (const Case& c : cases) {
    const std::string out = dir.path() + "/" + c.name;
    const test::CliResult r = Cli("export " + Quote(c.location) + " " + c.name + " " + Quote(out));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(test::Sha256Hex(DataOf(test::ReadFile(out))), c.sha) << c.location << " " << c.name;
  }
  const test::CliResult r = Cli("dir " + Quote(corpus + "/ide-two.hd::FIRSTPART/DOCS"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("LINES              15   DIS/VAR     80"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korvane
