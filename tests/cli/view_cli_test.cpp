// korvane-cli view, sectors and picture, run as a user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/pc_file.h"
#include "support/basic_builder.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs korvane-cli; stdout captured, stderr into a file read afterwards.
CliRun ViewCli(const test::TempDir& dir, const std::string& args) {
  CliRun r;
  const std::string errPath = dir.path() + "/stderr.txt";
  FILE* p = popen((std::string(KORVANE_CLI_PATH) + " " + args + " 2>'" + errPath + "'").c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int status = pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const test::Bytes err = test::ReadFile(errPath);
  r.err.assign(err.begin(), err.end());
  return r;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

TEST(ViewCommand, PrintsTheViewerTextWithLfOrCrLfAndTheTitleOnStderr) {
  test::TempDir dir;
  const std::vector<test::BasicLine> lines = {
      {10, test::Tok({{0x9C}, test::Quoted("HI")})},
      {20, test::Tok({{0x86}, test::LineRef(10)})},
  };
  dir.Write("PROG", test::V9t9File(test::ProgramFile("PROG", test::ProgramImageData(lines))));
  dir.Write("NOTES", test::V9t9File(test::DisVarFile("NOTES", 80, {"LINE ONE", ""})));

  CliRun r = ViewCli(dir, "view " + Q(dir.path()) + " PROG --title");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "10 PRINT \"HI\"\n20 GOTO 10\n");
  EXPECT_EQ(r.err, "Korvane - " + dir.path() + "->PROG      \n");

  r = ViewCli(dir, "view " + Q(dir.path()) + " notes --crlf");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "LINE ONE\r\n\r\n");
  EXPECT_EQ(r.err, "");

  r = ViewCli(dir, "view " + Q(dir.path()) + " PROG --hex");
  EXPECT_EQ(r.out.substr(0, 9), "00000000 ");
  EXPECT_EQ(r.out.size(), 16u * 74u);

  r = ViewCli(dir, "view " + Q(dir.path()) + " MISSING");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("MISSING"), std::string::npos);
}

TEST(ViewCommand, FloppyImageRows_AreViewedThroughTheExport) {
  test::TempDir dir;
  const std::string image = dir.Write(
      "work.dsk", test::DiskBuilder::Sssd("WORK").Add(test::DisVarFile("README", 80, {"FROM THE IMAGE"})).Build());
  CliRun r = ViewCli(dir, "view " + Q(image) + " README --title");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "FROM THE IMAGE\n");
  EXPECT_EQ(r.err, "Korvane - " + image + "->README    \n");
}

TEST(SectorsCommand, PrintsTheHexViewOfARange) {
  test::TempDir dir;
  const std::string image = dir.Write("work.dsk", test::DiskBuilder::Sssd("WORK").Build());
  CliRun r = ViewCli(dir, "sectors " + Q(image) + " 0 1 --title");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, 74),
            "00000000 57 4F 52 4B 20 20 20 20 20 20 01 68 09 44 53 4B WORK      .h.DSK\n");
  EXPECT_EQ(r.out.size(), 16u * 74u);
  EXPECT_EQ(r.err, "work.dsk: FirstSector: >0000  NumberOfSectors: >0001\n");
  EXPECT_EQ(ViewCli(dir, "sectors " + Q(image) + " 1 x").status, 2);
}

TEST(PictureCommand, WritesPngOfTheBitmapAndTheEmbeddedGif) {
  test::TempDir dir;
  test::Bytes art(128, 0);
  art[2] = 0xE0, art[3] = 0;  // one green line
  test::TiFile myart = test::DisFixFile("ART", 128, {});
  myart.data = art;
  myart.data.resize(256, 0);
  myart.recordsPerSector = 2;
  myart.level3 = 1;
  dir.Write("ART", test::V9t9File(myart));
  const std::string png = dir.path() + "/art.png";
  CliRun r = ViewCli(dir, "picture " + Q(dir.path()) + " ART --mode myart256 --png " + Q(png) + " --title");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Korvane - " + dir.path() + "->ART        (size= 128 bytes: 256x212, 256 colors)\n");
  const test::Bytes bytes = test::ReadFile(png);
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 4), "PNG");
  // IHDR width and height: the bitmap with its margin.
  EXPECT_EQ(bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19], 276);
  EXPECT_EQ(bytes[20] << 24 | bytes[21] << 16 | bytes[22] << 8 | bytes[23], 232);

  const std::string gif = dir.path() + "/x.gif";
  r = ViewCli(dir, "picture " + Q(dir.path()) + " ART --mode gif --png " + Q(gif));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Not a GIF file <ART>\n");
  EXPECT_EQ(ViewCli(dir, "picture " + Q(dir.path()) + " ART --mode bogus --png x").status, 2);
}

}  // namespace
}  // namespace korvane
