// korvane-cli copy, export, rm, rename, attrib, mkdir and mkdsk, run as a
// user runs them, on files made by other TI software.
#include <gtest/gtest.h>

#include <string>

#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"

namespace korvane {
namespace {

using test::Bytes;

struct Result {
  int status = -1;
  std::string err;  // stderr: messages and answered questions
};

Result Cli(const std::string& args) {
  const test::CliResult r = test::RunCli(args, "", test::Capture::Stderr);
  return {r.status, r.out};
}

std::string Q(const std::string& s) { return test::ShellQuote(s); }

std::string Corpus(const std::string& name) { return std::string(KORVANE_CORPUS_DIR) + "/" + name; }

bool HaveCorpus() { return IsDirectory(KORVANE_CORPUS_DIR); }

// The data of a PC file with a header, padded to whole sectors.
Bytes DataSectors(const Bytes& pcFile, size_t sectors) {
  Bytes data(pcFile.begin() + 128, pcFile.end());
  data.resize(sectors * 256, 0);
  return data;
}

TEST(FileCommandsCli, CorpusFilesCopiedIntoAnImageExportByteForByte) {
  if (!HaveCorpus()) GTEST_SKIP() << "corpus folder " << KORVANE_CORPUS_DIR << " not present";
  test::TempDir src, work;
  for (const char* name : {"classic99/HELLO", "classic99/FONT1", "classic99/HILO", "classic99/TESTBLKS",
                           "classic99/BASICSKIER", "classic99/TEST3", "classic99/LOGO_P", "classic99/JUWEL99ARC",
                           "xdt99/F129.tfi", "xdt99/V64V.v9t9", "xdt99/prog00255.tfi", "xdt99/archive.tfi"}) {
    Bytes bytes;
    ASSERT_TRUE(ReadWholeFile(Corpus(name), bytes)) << name;
    src.Write(LastComponent(name), bytes);
  }
  ASSERT_EQ(Cli("mkdsk " + Q(work.path()) + " big --geometry dsdd80").status, 0);
  const std::string image = work.path() + "/big.dsk";

  PaneState pc;
  pc.locationPath = src.path();
  ASSERT_TRUE(ReadLocation(pc));
  int checked = 0;
  std::vector<test::ExpectedTiFile> copied;
  for (const CatalogEntry& row : pc.rows) {
    ASSERT_TRUE(IsTiFileKind(row.kind)) << row.sourceName;
    const Result copy = Cli("copy " + Q(src.path()) + " " + Q(image) + " " + Q(row.sourceName) + " --yes");
    ASSERT_EQ(copy.status, 0) << row.sourceName << copy.err;
    const std::string out = work.path() + "/out";
    const Result exp = Cli("export " + Q(image) + " " + Q(TrimTiName(row.tiName)) + " " + Q(out));
    ASSERT_EQ(exp.status, 0) << row.sourceName << exp.err;
    const Bytes original = test::ReadFile(src.path() + "/" + row.sourceName);
    const Bytes exported = test::ReadFile(out);
    ASSERT_EQ(exported.size(), 128u + row.totalSectors * 256u) << row.sourceName;
    EXPECT_EQ(Bytes(exported.begin() + 128, exported.end()), DataSectors(original, row.totalSectors)) << row.sourceName;
    CatalogEntry back;
    ASSERT_TRUE(DecodeHeader(ByteView(exported.data(), 128), "out", false, back)) << row.sourceName;
    EXPECT_EQ(back.statusFlags, row.statusFlags & 0x8B);
    EXPECT_EQ(back.level3Records, row.level3Records) << row.sourceName;
    EXPECT_EQ(back.eofOffset, row.eofOffset) << row.sourceName;
    if (row.headerKind == kHeaderV9t9) {
      EXPECT_EQ(Bytes(exported.begin(), exported.begin() + 28), Bytes(original.begin(), original.begin() + 28));
    }
    copied.push_back({TrimTiName(row.tiName), static_cast<uint8_t>(row.statusFlags), static_cast<uint8_t>(row.recordLength),
                      DataSectors(original, row.totalSectors)});
    ++checked;
  }
  EXPECT_EQ(checked, 12);
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(image)), std::vector<std::string>{});
  test::ExpectImgtoolReads(image, copied);
}

TEST(FileCommandsCli, WritingIntoRealImagesKeepsThemConsistent) {
  if (!HaveCorpus()) GTEST_SKIP() << "corpus folder " << KORVANE_CORPUS_DIR << " not present";
  test::TempDir work;
  const test::TiFile file = test::DisVarFile("ADDED", 80, std::vector<std::string>(60, "a line from the PC"));
  work.Write("added.tfi", test::TifilesFile(file));
  for (const char* name : {"xdt99/frag.dsk", "xdt99/tisssd.dsk", "xdt99/tidsdd.dsk", "xdt99/basic1.dsk", "classic99/XB27.dsk"}) {
    Bytes bytes;
    ASSERT_TRUE(ReadWholeFile(Corpus(name), bytes));
    const std::string image = work.Write("disk.dsk", bytes);
    const size_t problemsBefore = test::CheckFloppyConsistency(bytes).size();
    const Result r = Cli("copy " + Q(work.path()) + " " + Q(image) + " added.tfi");
    EXPECT_EQ(r.status, 0) << name << r.err;
    const Bytes after = test::ReadFile(image);
    Bytes data = file.data;
    data.resize(file.Sectors() * 256u, 0);
    EXPECT_EQ(test::ReadFileThroughChain(after, "ADDED"), data) << name;
    EXPECT_LE(test::CheckFloppyConsistency(after).size(), problemsBefore) << name;
    std::vector<test::ExpectedTiFile> expected = test::FilesOnImage(bytes);
    expected.push_back(test::Expect(file));
    test::ExpectImgtoolReads(image, expected);

    // Delete it again: only what the copy changed goes back.
    EXPECT_EQ(Cli("rm " + Q(image) + " ADDED").status, 0) << name;
    const Bytes removed = test::ReadFile(image);
    EXPECT_EQ(Bytes(removed.begin(), removed.begin() + 512), Bytes(bytes.begin(), bytes.begin() + 512)) << name;
  }
  // A disk with no free sector refuses the file and stays as it was.
  Bytes full;
  ASSERT_TRUE(ReadWholeFile(Corpus("classic99/ASM-LNK.DSK"), full));
  const std::string image = work.Write("full.dsk", full);
  const Result r = Cli("copy " + Q(work.path()) + " " + Q(image) + " added.tfi");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: DSK is full <" + image + ">\n");
  EXPECT_EQ(test::ReadFile(image), full);
}

TEST(FileCommandsCli, RefusalsAndQuestionsShowTheirTexts) {
  test::TempDir dir;
  dir.Write("prog", test::V9t9File(test::ProgramFile("PROG", Bytes(300, 1))));
  Result r = Cli("copy " + Q(dir.path()) + " " + Q(dir.path()));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Can't copy files to itself\n");

  ASSERT_EQ(Cli("mkdsk " + Q(dir.path()) + " disk").status, 0);  // DSSD by default
  EXPECT_EQ(test::ReadFile(dir.path() + "/disk.dsk").size(), 720u * 256);
  EXPECT_EQ(Cli("mkdsk " + Q(dir.path()) + " a.b").status, 1);

  r = Cli("attrib " + Q(dir.path() + "/disk.dsk") + " X +P");
  EXPECT_EQ(r.err, "ERROR: Can only set attributes of files in a directory\n");

  ASSERT_EQ(Cli("copy " + Q(dir.path()) + " " + Q(dir.path() + "/disk.dsk") + " prog").status, 0);
  r = Cli("copy " + Q(dir.path()) + " " + Q(dir.path() + "/disk.dsk") + " prog");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "TI file <PROG> allready exist. Overwrite? -> No\n");
  r = Cli("rename " + Q(dir.path() + "/disk.dsk") + " PROG a/b");
  EXPECT_EQ(r.status, 1);

  ASSERT_EQ(Cli("attrib " + Q(dir.path()) + " prog +P +A").status, 0);
  EXPECT_EQ(test::ReadFile(dir.path() + "/prog")[12], 0x01 | 0x08 | 0x10);
  // The protected file replaces the copy in the image and is renamed there.
  const std::string disk = dir.path() + "/disk.dsk";
  ASSERT_EQ(Cli("copy " + Q(dir.path()) + " " + Q(disk) + " prog --yes").status, 0);
  ASSERT_EQ(Cli("rename " + Q(disk) + " PROG GAME").status, 0);
  test::TiFile locked = test::ProgramFile("PROG", Bytes(300, 1));
  locked.status |= 0x08 | 0x10;
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(disk)), std::vector<std::string>{});
  test::ExpectImgtoolReads(disk, {test::Expect(locked, "GAME")});
  ASSERT_EQ(Cli("mkdir " + Q(dir.path()) + " sub").status, 0);
  EXPECT_TRUE(IsDirectory(dir.path() + "/sub"));
}

}  // namespace
}  // namespace korvane
