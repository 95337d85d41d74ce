// Every command run on a location given as a name pattern ("src/*" or
// "src/*.tfi"): the rows live in the directory before the pattern, and each
// command reaches their files there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "catalog/catalog_paths.h"
#include "platform/pc_file.h"
#include "support/arc_builder.h"
#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "support/pc99_builder.h"

namespace korvane {
namespace {

using test::Bytes;

std::string Q(const std::string& s) { return test::ShellQuote(s); }

test::CliResult Cli(const std::string& args) { return test::RunCli(args, "", test::Capture::StdoutAndStderr); }

class PatternLocation : public testing::Test {
 protected:
  void SetUp() override {
    src_ = dir_.Mkdir("src");
    out_ = dir_.Mkdir("out");
    all_ = src_ + "/*";
    dir_.Write("src/note.tfi", test::V9t9File(note_));
    dir_.Write("src/pack.tfi", test::V9t9File(test::ArchiveFile("PACK", {note_}, false)));
    disk_ = test::DiskBuilder::Sssd("FLOPPY").Add(note_).Build();
    dir_.Write("src/floppy.dsk", disk_);
    dir_.Write("src/track.pc99", test::BuildPc99(disk_, test::Pc99Options{}));
  }
  test::TiFile note_ = test::DisVarFile("NOTE", 80, {"first", "second"});
  test::TempDir dir_;
  std::string src_, out_, all_;
  Bytes disk_;
};

TEST_F(PatternLocation, ArchivesAndImagesOpenConvertAndExtract) {
  // Opening an archive row, then exporting its member.
  const test::CliResult listed = Cli("dir " + Q(all_ + "::pack.tfi"));
  EXPECT_EQ(listed.status, 0) << listed.out;
  EXPECT_NE(listed.out.find("NOTE"), std::string::npos) << listed.out;
  const test::CliResult exported = Cli("export " + Q(src_ + "/*.tfi::pack.tfi") + " NOTE " + Q(out_ + "/member"));
  EXPECT_EQ(exported.status, 0) << exported.out;
  EXPECT_EQ(test::ReadFile(out_ + "/member"), test::V9t9File(note_));

  const test::CliResult layout = Cli("pc99-layout " + Q(all_) + " track.pc99");
  EXPECT_EQ(layout.status, 0) << layout.out;
  EXPECT_NE(layout.out.find("Disklayout of track.pc99"), std::string::npos) << layout.out;

  const test::CliResult converted = Cli("pc99-to-v9t9 " + Q(all_) + " " + Q(out_) + " track.pc99");
  EXPECT_EQ(converted.status, 0) << converted.out;
  EXPECT_EQ(test::ReadFile(out_ + "/track.pc99"), disk_);

  const test::CliResult extracted = Cli("extract-all " + Q(all_) + " " + Q(out_ + "/*") + " pack.tfi floppy.dsk");
  EXPECT_EQ(extracted.status, 0) << extracted.out;
  EXPECT_EQ(test::ReadFile(out_ + "/PACK/NOTE"), test::V9t9File(note_));
  EXPECT_EQ(test::ReadFile(out_ + "/FLOPPY/NOTE"), test::V9t9File(note_));

  const test::CliResult arc = Cli("arc2dsk " + Q(all_) + " " + Q(out_ + "/*") + " pack.tfi");
  EXPECT_EQ(arc.status, 0) << arc.out;
  const test::CliResult back = Cli("export " + Q(out_ + "/PACK.dsk") + " NOTE " + Q(out_ + "/back"));
  EXPECT_EQ(back.status, 0) << back.out;
  EXPECT_EQ(test::ReadFile(out_ + "/back"), test::V9t9File(note_));
}

TEST_F(PatternLocation, FileCommandsChangeTheFilesOfTheDirectory) {
  // Copy out of a pattern, into a pattern, and into an image.
  test::CliResult r = Cli("copy " + Q(src_ + "/*.tfi") + " " + Q(out_) + " note.tfi");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(out_ + "/note.tfi"), test::V9t9File(note_));
  r = Cli("copy " + Q(src_) + " " + Q(out_ + "/*.tfi") + " pack.tfi");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(IsRegularFile(out_ + "/pack.tfi"));
  r = Cli("copy " + Q(all_) + " " + Q(all_) + " note.tfi");
  EXPECT_NE(r.status, 0) << "a copy onto itself is refused";
  EXPECT_EQ(test::ReadFile(src_ + "/note.tfi"), test::V9t9File(note_));
  r = Cli("mkdsk " + Q(out_) + " EMPTY");
  ASSERT_EQ(r.status, 0) << r.out;
  r = Cli("copy " + Q(all_) + " " + Q(out_ + "/EMPTY.dsk") + " note.tfi");
  EXPECT_EQ(r.status, 0) << r.out;
  r = Cli("export " + Q(out_ + "/EMPTY.dsk") + " NOTE " + Q(out_ + "/copied"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(out_ + "/copied"), test::V9t9File(note_));

  r = Cli("attrib " + Q(all_) + " note.tfi +P");
  EXPECT_EQ(r.status, 0) << r.out;
  const Bytes protectedFile = test::ReadFile(src_ + "/note.tfi");
  ASSERT_GT(protectedFile.size(), 12u);
  EXPECT_EQ(protectedFile[12] & 0x08, 0x08);

  r = Cli("rename " + Q(all_) + " note.tfi RENAMED");  // the extension stays
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(IsRegularFile(src_ + "/RENAMED.tfi"));
  EXPECT_FALSE(PathExists(src_ + "/note.tfi"));

  r = Cli("rm " + Q(all_) + " RENAMED.tfi");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(PathExists(src_ + "/RENAMED.tfi"));

  r = Cli("mkdir " + Q(all_) + " NEWDIR");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(IsDirectory(src_ + "/NEWDIR"));
}

TEST_F(PatternLocation, HardDiskAndCardImagesOpenFromTheDirectoryBeforeThePattern) {
  test::HardDiskBuilder hd("WORKDISK", 500, 1);
  hd.Root().AddDir("TOOLS").Add(note_);
  dir_.Write("src/work.hd", hd.Build().bytes);
  test::CardLayout layout;
  layout.volumes = {test::DiskBuilder::Dssd("FIRST").Add(note_).Build()};
  dir_.Write("src/card.cf7", test::CardImageFile("card", layout));

  test::CliResult r = Cli("dir " + Q(all_ + "::work.hd/TOOLS"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("NOTE"), std::string::npos) << r.out;
  r = Cli("export " + Q(src_ + "/*.hd::work.hd/TOOLS") + " NOTE " + Q(out_ + "/from_hd"));
  EXPECT_EQ(r.status, 0) << r.out;
  const Bytes fromHd = test::ReadFile(out_ + "/from_hd"), expected = test::V9t9File(note_);
  ASSERT_EQ(fromHd.size(), expected.size());
  EXPECT_TRUE(std::equal(fromHd.begin() + 128, fromHd.end(), expected.begin() + 128));  // the data

  r = Cli("dir " + Q(all_ + "::card.cf7/FIRST"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("NOTE"), std::string::npos) << r.out;
  r = Cli("export " + Q(src_ + "/*.cf7::card.cf7/FIRST") + " NOTE " + Q(out_ + "/from_card"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(out_ + "/from_card"), test::V9t9File(note_));
}

}  // namespace
}  // namespace korvane
