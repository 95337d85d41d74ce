// korvane-cli dir, run as a user runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/pc_file.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

using Result = test::CliResult;

Result Cli(const std::string& args) { return test::RunCli(args); }
std::string Quote(const std::string& s) { return test::ShellQuote(s); }

TEST(DirCommand, ListsAnImageAndEntersItsSubdirectory) {
  test::TempDir dir;
  const std::string path = dir.Write("games.dsk", test::DiskBuilder::Dssd("GAMES")
                                                      .Add(test::DisVarFile("README", 80, {"HI"}))
                                                      .AddSubdir("UTIL", {test::DisVarFile("NOTES", 80, {"X"})})
                                                      .Build());
  Result r = Cli("dir " + Quote(path));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("README              1   DIS/VAR     80  U          \n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\r'), std::string::npos);

  r = Cli("dir " + Quote(path + "::util"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Directory of  " + path + "->UTIL\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("NOTES"), std::string::npos);
}

TEST(DirCommand, JsonCarriesRowsAndDiskSummaries) {
  test::TempDir dir;
  test::TiFile f = test::DisFixFile("SCORES", 32, {"A"});
  f.status |= 0x08;
  dir.Write("scores.tfi", test::TifilesFile(f));
  dir.Write("e.dsk", test::DiskBuilder::Sssd("EMPTY").Build());
  const Result r = Cli("dir --json " + Quote(dir.path()));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"pc_name\": \"scores.tfi\", \"ti_name\": \"SCORES    \", \"type\": \"DIS/FIX\", \"kind\": 1, "
                       "\"size\": 1, \"record_length\": 32, \"status\": 8, \"protected\": true, \"header\": \"tifiles\""),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"type\": \"DSK\", \"kind\": 9, \"size\": 360"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"total\": 360, \"free\": 358, \"used\": 2, \"sectors_per_track\": 9, \"tracks\": 40, "
                       "\"sides\": 1, \"density\": 1"),
            std::string::npos)
      << r.out;
}

TEST(DirCommand, FailuresGiveANonZeroStatus) {
  test::TempDir dir;
  EXPECT_NE(Cli("dir " + Quote(dir.path() + "/missing")).status, 0);
  dir.Write("junk.dsk", test::Bytes(1024, 0x55));
  EXPECT_NE(Cli("dir " + Quote(dir.path() + "/junk.dsk")).status, 0);
  EXPECT_NE(Cli("dir " + Quote(dir.path() + "::NOPE")).status, 0);
  EXPECT_EQ(Cli("dir").status, 2);
  EXPECT_EQ(Cli("--help").status, 0);
}

TEST(DirCommand, ListsEveryStandardGeometryFromTheCorpus) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder not present: " << corpus;
  const std::pair<const char*, const char*> cases[] = {
      {"xdt99/tisssd.dsk", "\"total\": 360"},
      {"classic99/XB27.dsk", "\"total\": 720"},
      {"xdt99/tidsdd.dsk", "\"total\": 1440"},
  };
  for (const auto& [image, total] : cases) {
    const std::string parent = corpus + "/" + std::string(image).substr(0, std::string(image).find('/'));
    const Result r = Cli("dir --json " + Quote(parent));
    EXPECT_EQ(r.status, 0) << image;
    EXPECT_NE(r.out.find(total), std::string::npos) << image << r.out;
  }
}

TEST(DirCommand, ListsA2880SectorImageWithAllocationUnitsOfTwo) {
  test::TempDir dir;
  dir.Write("big.dsk", test::DiskBuilder::Dsdd80("BIG").Add(test::DisVarFile("FILE", 80, {"X"})).Build());
  const Result r = Cli("dir --json " + Quote(dir.path() + "/big.dsk"));
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\"ti_name\": \"FILE      \""), std::string::npos) << r.out;
}

// Replaces byte `at` of the 10-byte name field that holds `name` (space
// padded) in a sector of the image.
void PutZeroInName(test::Bytes& image, const std::string& name, size_t at) {
  std::string padded = name;
  padded.resize(10, ' ');
  for (size_t s = 0; s + 256 <= image.size(); s += 256)
    for (size_t field : {size_t{0}, size_t{20}, size_t{32}, size_t{44}})
      if (std::equal(padded.begin(), padded.end(), image.begin() + s + field)) {
        image[s + field + at] = 0;
        return;
      }
  ADD_FAILURE() << "no name field holds " << name;
}

TEST(DirCommand, AZeroByteEndsANameAndEveryRowIsStillListed) {
  test::TempDir dir;
  test::Bytes image = test::DiskBuilder::Dssd("VOLUME")
                          .Add(test::DisVarFile("ALPHA", 80, {"A"}))
                          .Add(test::DisVarFile("BRAVO", 80, {"B"}))
                          .Add(test::DisVarFile("CHARLIE", 80, {"C"}))
                          .AddSubdir("UTILS", {test::DisVarFile("NOTES", 80, {"X"})})
                          .Build();
  PutZeroInName(image, "VOLUME", 3);
  PutZeroInName(image, "UTILS", 2);
  PutZeroInName(image, "ALPHA", 2);  // the first FDR: every row after it used to vanish
  const std::string path = dir.Write("zero.dsk", image);
  dir.Write("zulu.tfi", test::TifilesFile(test::DisVarFile("ZULU", 80, {"Z"})));  // listed after the image

  Result r = Cli("dir " + Quote(path));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find('\0'), std::string::npos);
  // Name column 15 wide, size 6 wide, then the type.
  auto line = [](const std::string& name, const std::string& rest) {
    return "\n" + name + std::string(15 - name.size(), ' ') + rest;
  };
  EXPECT_NE(r.out.find(line("UT", "         SUBDIR")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(line("AL", "     1   UNKNOWN")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(line("BRAVO", "     1   DIS/VAR")), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(line("CHARLIE", "     1   DIS/VAR")), std::string::npos) << r.out;

  r = Cli("dir --json " + Quote(path));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find('\0'), std::string::npos);
  EXPECT_EQ(r.out.find("\\u0000"), std::string::npos) << r.out;
  for (const char* name : {"UT        ", "AL        ", "BRAVO     ", "CHARLIE   "})
    EXPECT_NE(r.out.find(std::string("\"ti_name\": \"") + name + "\""), std::string::npos) << name << r.out;
  EXPECT_EQ(r.out.substr(r.out.size() - 2), "]\n");

  for (const std::string& json : {std::string(), std::string("--json ")}) {
    r = Cli("dir " + json + Quote(dir.path()));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find('\0'), std::string::npos);
    EXPECT_EQ(r.out.find("\\u0000"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(json.empty() ? "\nVOL " : "\"ti_name\": \"VOL       \""), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("ZULU"), std::string::npos) << r.out;
  }
}

TEST(InfoCommand, PrintsTheInformationDialogOfARow) {
  test::TempDir dir;
  dir.Write("games.dsk", test::DiskBuilder::Dssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
  Result r = Cli("info " + Quote(dir.path()) + " games.dsk");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Disk Information\nPC name: games.dsk\nVolume label: GAMES     \nSize (sectors): 720\n", 0), 0u)
      << r.out;

  r = Cli("info " + Quote(dir.path() + "/games.dsk") + " readme");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("File Information\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Record length: 80\nRecords per sector: 3\n"), std::string::npos) << r.out;

  r = test::RunCli("info " + Quote(dir.path()) + " missing", "", test::Capture::Stderr);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("no row <missing>"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korvane
