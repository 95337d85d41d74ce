// "--" ends the options of every korvane-cli command, so that TI files whose
// names begin with '-' (real disks carry separator names such as "------")
// and PC paths that do can be named.
#include <gtest/gtest.h>

#include <string>

#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"

namespace korvane {
namespace {

using test::Bytes;

test::CliResult Cli(const std::string& args, const std::string& cwd = "") {
  return test::RunCli(args, cwd, test::Capture::StdoutAndStderr);
}
std::string Quote(const std::string& s) { return test::ShellQuote(s); }

struct DashImage {
  test::TempDir dir;
  std::string image;
  test::TiFile dashes = test::DisVarFile("------", 80, {"SEPARATOR LINE"});
  DashImage() {
    image = dir.Write("--odd.dsk", test::DiskBuilder::Sssd("DASHES").Add(dashes).Add(
                                        test::DisVarFile("OTHER", 80, {"X"})).Build());
  }
};

TEST(OptionsEndCli, ReadingCommandsReachAFileNamedWithDashes) {
  DashImage d;
  // Without "--" the name reads as an unknown option and is refused.
  EXPECT_EQ(Cli("view " + Quote(d.image) + " ------").status, 2);

  // A location beginning with "--", given relative to its directory.
  test::CliResult r = Cli("dir -- --odd.dsk", d.dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("------"), std::string::npos) << r.out;
  // Options before "--" still count.
  r = Cli("dir --json -- --odd.dsk", d.dir.path());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\"ti_name\": \"------    \""), std::string::npos) << r.out;

  r = Cli("view " + Quote(d.image) + " -- ------");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("SEPARATOR LINE"), std::string::npos) << r.out;
  r = Cli("view --hex " + Quote(d.image) + " -- ------");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("SEPARATOR LINE"), std::string::npos) << r.out;

  r = Cli("info " + Quote(d.image) + " -- ------");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("TI name: ------"), std::string::npos) << r.out;

  const std::string out = d.dir.path() + "/dashes.tfi";
  r = Cli("export --tifiles " + Quote(d.image) + " -- ------ " + Quote(out));
  EXPECT_EQ(r.status, 0) << r.out;
  const Bytes exported = test::ReadFile(out);
  ASSERT_GT(exported.size(), 128u);
  Bytes data = d.dashes.data;
  data.resize((data.size() + 255) / 256 * 256, 0);
  EXPECT_EQ(Bytes(exported.begin() + 128, exported.end()), data);
}

TEST(OptionsEndCli, ChangingCommandsCopyRenameAndRemoveIt) {
  DashImage d;
  ASSERT_EQ(Cli("mkdsk " + Quote(d.dir.path()) + " COPY").status, 0);
  const std::string copy = d.dir.path() + "/COPY.dsk";
  test::CliResult r = Cli("copy " + Quote(d.image) + " " + Quote(copy) + " -- ------");
  ASSERT_EQ(r.status, 0) << r.out;
  Bytes written = test::ReadFile(copy);
  EXPECT_TRUE(test::CheckFloppyConsistency(written).empty());
  EXPECT_EQ(test::ReadFileThroughChain(written, "------"), test::ReadFileThroughChain(test::ReadFile(d.image), "------"));

  r = Cli("rename " + Quote(copy) + " -- ------ -SEP-");
  ASSERT_EQ(r.status, 0) << r.out;
  r = Cli("dir " + Quote(copy));
  EXPECT_NE(r.out.find("-SEP-"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("------ "), std::string::npos) << r.out;

  // A second "--" after the first is a name like any other: no such row.
  EXPECT_NE(Cli("rm " + Quote(copy) + " -- -- -SEP-").status, 0);
  r = Cli("rm " + Quote(copy) + " --yes -- -SEP-");
  ASSERT_EQ(r.status, 0) << r.out;
  written = test::ReadFile(copy);
  EXPECT_TRUE(test::CheckFloppyConsistency(written).empty());
  EXPECT_EQ(Cli("dir " + Quote(copy)).out.find("-SEP-"), std::string::npos);
}

}  // namespace
}  // namespace korvane
