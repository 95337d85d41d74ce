// korvane-cli on hard-disk and card images as a whole: the Image Information
// of image and partition rows (checked against what another tool read from
// the same images), partitions and card volumes named by number, and the
// depth and disk summary that dir --json gives their rows.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "platform/pc_file.h"
#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace korvane {
namespace {

using test::Bytes;
using Json = nlohmann::json;

test::CliResult Cli(const std::string& args) { return test::RunCli(args, "", test::Capture::StdoutAndStderr); }
std::string Quote(const std::string& s) { return test::ShellQuote(s); }

// The "label: value" lines of an info output, by label.
std::map<std::string, std::string> Fields(const std::string& out) {
  std::map<std::string, std::string> fields;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.find(": ");
    if (colon != std::string::npos) fields[line.substr(0, colon)] = line.substr(colon + 2);
  }
  return fields;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

Json ReadJson(const std::string& path) { return Json::parse(test::ReadFile(path)); }

// Partitions 1-3 of a partitioned image (4 has offset 0: a table may leave
// only its last entries empty), partition 3 holding a file, partition 1 as
// large and empty.
struct Partitioned {
  test::TempDir dir;
  std::string image;
  Partitioned() {
    test::HardDiskBuilder first("FIRST", 800, 1);
    test::HardDiskBuilder second("SECOND", 400, 2);
    test::HardDiskBuilder third("THIRD", 800, 1);
    third.Root().Add(test::ProgramFile("BIG", Bytes(40 * 256, 0x11)));
    image = dir.Write("parts.img", test::PartitionedImage(2000, {{16, first.Build().bytes},
                                                                 {500, second.Build().bytes},
                                                                 {1200, third.Build().bytes}}));
  }
};

TEST(ImageInfoCli, PartitionLinesAppearWhereTheTableHasAnOffsetEachWithItsOwnFreeCount) {
  Partitioned p;
  test::CliResult r = Cli("info " + Quote(p.dir.path()) + " parts.img");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.rfind("Image Information\nPC name: parts.img\nFilesize: 4000\nMedia type: PTIMG\n", 0), 0u)
      << r.out;
  std::map<std::string, std::string> f = Fields(r.out);
  EXPECT_EQ(f.count("Partition 4 Volume label"), 0u) << r.out;
  EXPECT_EQ(Trimmed(f["Partition 2 Volume label"]), "SECOND");
  EXPECT_EQ(f["Partition 2 Offset"], ">000001F4");
  EXPECT_EQ(f["Partition 2 Partition size"], ">00000190");
  EXPECT_EQ(f["Partition 2 Total AU"], ">0190");
  EXPECT_EQ(f["Partition 2 Sectors per AU"], "2");
  EXPECT_EQ(f["Partition 2 Size"], "800");
  EXPECT_EQ(f["Partition 3 Offset"], ">000004B0");
  // The file (40 data sectors and its FDR) shows in partition 3 only.
  const int free1 = std::atoi(f["Partition 1 Free"].c_str());
  const int free3 = std::atoi(f["Partition 3 Free"].c_str());
  EXPECT_EQ(free1 - free3, 41) << r.out;
  EXPECT_EQ(f["Partition 3 Used"], std::to_string(800 - free3));

  // A partition row gives the same lines, with its own size and kind.
  r = Cli("info " + Quote(p.image) + " '#3'");
  ASSERT_EQ(r.status, 0) << r.out;
  f = Fields(r.out);
  EXPECT_EQ(f["Filesize"], "800");
  EXPECT_EQ(f["Media type"], "HDIMG");
  EXPECT_EQ(f["Partition 3 Free"], std::to_string(free3));
}

TEST(ImageInfoCli, PartitionsAndCardVolumesAreNamedByNumber) {
  Partitioned p;
  test::CliResult r = Cli("dir " + Quote(p.image + "::#3"));
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("->THIRD\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("BIG"), std::string::npos) << r.out;
  r = Cli("dir " + Quote(p.image + "::#4"));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("no row <#4>"), std::string::npos) << r.out;
  EXPECT_EQ(Cli("dir " + Quote(p.image + "::#2")).out.find("->SECOND\n") != std::string::npos, true);

  test::TempDir dir;
  test::CardLayout layout;
  layout.volumes = {test::FormattedVolume("ONE"), {},
                    test::DiskBuilder::Dssd("THREE").Add(test::DisVarFile("NOTE", 80, {"HI"})).Build()};
  const std::string card = dir.Write("card.cf7", test::CardImageFile("card", layout));
  for (const char* name : {"#3", "THREE", "VOL #003"}) {
    r = Cli("dir " + Quote(card + "::" + std::string(name)));
    EXPECT_EQ(r.status, 0) << name << ": " << r.out;
    EXPECT_NE(r.out.find("NOTE"), std::string::npos) << name << ": " << r.out;
  }
  EXPECT_NE(Cli("dir " + Quote(card + "::#4")).status, 0);
  EXPECT_NE(Cli("dir " + Quote(card + "::#0")).status, 0);

  r = Cli("info " + Quote(dir.path()) + " card.cf7");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "Image Information\nPC name: card.cf7\nFilesize: 4800\nMedia type: CF7A+IMG\n");
}

TEST(ImageInfoCli, DirJsonGivesDepthAndTheVolumesDiskSummary) {
  Partitioned p;
  test::CardLayout layout;
  layout.volumes = {test::DiskBuilder::Dssd("ONE").Add(test::DisVarFile("NOTE", 80, {"HI"})).Build(), {}};
  const std::string card = p.dir.Write("card.cf7", test::CardImageFile("card", layout));

  test::CliResult r = test::RunCli("dir --json " + Quote(p.dir.path()));
  ASSERT_EQ(r.status, 0) << r.out;
  for (const Json& row : Json::parse(r.out)) EXPECT_EQ(row.at("depth"), 0) << row.dump();

  r = test::RunCli("dir --json " + Quote(p.image));
  ASSERT_EQ(r.status, 0) << r.out;
  const Json parts = Json::parse(r.out);
  ASSERT_EQ(parts.size(), 3u);
  for (const Json& row : parts) EXPECT_EQ(row.at("depth"), 1) << row.dump();

  r = test::RunCli("dir --json " + Quote(card));
  ASSERT_EQ(r.status, 0) << r.out;
  const Json volumes = Json::parse(r.out);
  ASSERT_EQ(volumes.size(), 2u);
  EXPECT_EQ(volumes[0].at("depth"), 1);
  EXPECT_EQ(volumes[0].at("total"), 720);
  EXPECT_EQ(volumes[0].at("sides"), 2);
  EXPECT_EQ(volumes[0].at("used").get<int>() + volumes[0].at("free").get<int>(), 720);
  EXPECT_EQ(volumes[1].at("total"), 0);  // never formatted

  // Files inside carry no depth.
  r = test::RunCli("dir --json " + Quote(card + "::ONE"));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_FALSE(Json::parse(r.out).at(0).contains("depth")) << r.out;
}

// Images another tool wrote, against that tool's own reading of them.
TEST(ImageInfoCli, CorpusImagesGiveTheValuesTheirMakerRecorded) {
  const std::string corpus = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool";
  if (!PathExists(corpus + "/ide-two.hd")) GTEST_SKIP() << "corpus not found at " << corpus;

  test::CliResult r = Cli("info " + Quote(corpus) + " ide-two.hd");
  ASSERT_EQ(r.status, 0) << r.out;
  std::map<std::string, std::string> f = Fields(r.out);
  EXPECT_EQ(f["Media type"], "PTIMG");
  const Json table = ReadJson(corpus + "/ide-two.hd.partitions.json");
  for (const Json& part : table.at("partitions")) {
    const int n = part.at("number");
    const std::string prefix = "Partition " + std::to_string(n) + " ";
    const Json volume = ReadJson(corpus + "/ide-two.hd.p" + std::to_string(n) + ".catalog.json");
    EXPECT_EQ(Trimmed(f[prefix + "Volume label"]), part.at("name").get<std::string>());
    char offset[16];
    std::snprintf(offset, sizeof offset, ">%08X", part.at("offset_sectors256").get<unsigned>() / 2);
    EXPECT_EQ(f[prefix + "Offset"], offset);
    EXPECT_EQ(f[prefix + "Size"], std::to_string(volume.at("total_sectors").get<int>()));
    EXPECT_EQ(f[prefix + "Free"], std::to_string(volume.at("free_sectors").get<int>()));
    EXPECT_EQ(f[prefix + "Used"], std::to_string(volume.at("allocated_sectors").get<int>()));
  }
  EXPECT_EQ(f.count("Partition 3 Volume label"), 0u);
  // Partition 2 by number reaches the volume the other tool calls #2.
  r = Cli("dir " + Quote(corpus + "/ide-two.hd::#2"));
  EXPECT_NE(r.out.find("->SECONDPRT\n"), std::string::npos) << r.out;

  r = Cli("info " + Quote(corpus) + " scsi-tree.hd");
  ASSERT_EQ(r.status, 0) << r.out;
  f = Fields(r.out);
  const Json scsi = ReadJson(corpus + "/scsi-tree.hd.catalog.json");
  EXPECT_EQ(f["Media type"], "HDIMG");
  EXPECT_EQ(Trimmed(f["Volume label"]), scsi.at("volume_name").get<std::string>());
  EXPECT_EQ(f["Size"], std::to_string(scsi.at("total_sectors").get<int>()));
  EXPECT_EQ(f["Free"], std::to_string(scsi.at("free_sectors").get<int>()));
  EXPECT_EQ(f["Used"], std::to_string(scsi.at("allocated_sectors").get<int>()));
  EXPECT_EQ(f.count("Offset"), 0u);

  // The raw card as a stand-in drive: its volumes by number, with the
  // summary the other tool read.
  struct StandIn {
    explicit StandIn(const std::string& path) { ::setenv("KORVANE_DRIVES", path.c_str(), 1); }
    ~StandIn() { ::unsetenv("KORVANE_DRIVES"); }
  } standIn(corpus + "/card-two.raw");
  r = test::RunCli("dir --json drive:A");
  ASSERT_EQ(r.status, 0) << r.out;
  const Json volumes = Json::parse(r.out);
  ASSERT_EQ(volumes.size(), 2u);
  for (int n = 1; n <= 2; ++n) {
    const Json volume = ReadJson(corpus + "/card-two.raw.v" + std::to_string(n) + ".catalog.json");
    const Json& row = volumes[static_cast<size_t>(n - 1)];
    EXPECT_EQ(row.at("depth"), 1);
    EXPECT_EQ(row.at("total"), volume.at("total_sectors"));
    EXPECT_EQ(row.at("free"), volume.at("free_sectors"));
    r = Cli("info drive:A '#" + std::to_string(n) + "'");
    ASSERT_EQ(r.status, 0) << r.out;
    f = Fields(r.out);
    EXPECT_EQ(Trimmed(f["Volume label"]), volume.at("volume_name").get<std::string>());
    EXPECT_EQ(f["Free (AU's)"], std::to_string(volume.at("free_sectors").get<int>()));
  }
}

}  // namespace
}  // namespace korvane
