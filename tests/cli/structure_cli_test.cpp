// korvane-cli structure: the text of the sector-structure windows, run as a
// user runs it, on images built here and on images made by other TI tools.
#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/pc_file.h"
#include "support/card_builder.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"

namespace korvane {
namespace {

using test::Bytes;
using test::Capture;
using test::RunCli;
using test::ShellQuote;

Bytes Sectors(uint8_t fill, size_t n) { return Bytes(256 * n, fill); }

std::string Corpus(const std::string& name) { return std::string(KORVANE_CORPUS_DIR) + "/" + name; }

std::string FirstLines(const std::string& text, int n) {
  size_t at = 0;
  for (int i = 0; i < n && at != std::string::npos; ++i) at = text.find('\n', at + 1);
  return at == std::string::npos ? text : text.substr(0, at + 1);
}

class StructureCli : public testing::Test {
 protected:
  void SetUp() override {
    test::TiFile file = test::DisVarFile("LETTER", 80, {});
    file.data = Sectors('a', 6);
    file.fragments = {4, 2};
    image = dir.Write("disk.dsk", test::DiskBuilder::Sssd("WORKDISK").Add(file).Build());
  }
  test::TempDir dir;
  std::string image;
};

TEST_F(StructureCli, PrintsAnFdrAsTheWindowShowsIt) {
  const test::CliResult r = RunCli("structure " + ShellQuote(image) + " fdr 2");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "FloppyDisk FDR - Sector >0002\n"
            "File name: LETTER    \n"
            "Extended record length: >0000\n"
            "File status flags: >80\n"
            "Number of records per sector: >03\n"
            "Number of sectors currently allocated: >0006\n"
            "End of file offset: >00\n"
            "Logical record length: >50\n"
            "Number of level 3 records allocated: >0001\n"
            "Date and time of creation: >00000000 (hms) 00:00:00 (ymd) 00-00-00\n"
            "Date and time of last update: >00000000 (hms) 00:00:00 (ymd) 00-00-00\n"
            ">1C\t>022\t>003\n"
            ">1F\t>027\t>005\n");
}

TEST_F(StructureCli, TakesNumbersInDecimalOrHexAndDefaultsTheRootIndex) {
  const std::string expected = RunCli("structure " + ShellQuote(image) + " fdr 2").out;
  EXPECT_EQ(RunCli("structure " + ShellQuote(image) + " fdr '>2'").out, expected);
  EXPECT_EQ(RunCli("structure " + ShellQuote(image) + " fdr 0x2").out, expected);
  const test::CliResult fdir = RunCli("structure " + ShellQuote(image) + " fdir");
  EXPECT_EQ(fdir.status, 0);
  EXPECT_EQ(FirstLines(fdir.out, 3), "FloppyDisk FDIR - Sector >0001\n 000\t>0002\tLETTER\n 002\t>0000\n");
  const test::CliResult vib = RunCli("structure " + ShellQuote(image) + " vib");
  EXPECT_EQ(FirstLines(vib.out, 2), "FloppyDisk VIB - Sector >0000\nVolume name: WORKDISK  \n");
  EXPECT_NE(vib.out.find("\nDirectory 1 FDIR sector: >0000\n"), std::string::npos);
  EXPECT_NE(vib.out.find("\nFile descriptor index record: >0001\n >38        >"), std::string::npos);
}

TEST_F(StructureCli, RefusesBadArgumentsAndEndsOptionsAtDoubleDash) {
  for (const char* bad : {" fdr", " fdr 2x", " fdr -1", " nonsense", " pti 3", " vib --partition 1",
                          " hdvib --volume 1", " vib --volume 0", " vib --bogus"}) {
    const test::CliResult r = RunCli("structure " + ShellQuote(image) + bad, "", Capture::Stderr);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_NE(r.out.find("usage: korvane-cli structure"), std::string::npos) << bad;
  }
  dir.Write("--odd.dsk", test::ReadFile(image));
  const test::CliResult r = RunCli("structure -- --odd.dsk vib", dir.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(FirstLines(r.out, 1), "FloppyDisk VIB - Sector >0000\n");
}

TEST_F(StructureCli, ReportsASectorPastTheEnd) {
  const test::CliResult r =
      RunCli("structure " + ShellQuote(image) + " fdr 999", "", Capture::StdoutAndStderr);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "ERROR: Can't read sector <999> from <" + image + ">\n");
}

TEST(StructureCliImages, CardVolumesAndPartitions) {
  test::TempDir dir;
  const Bytes vol1 =
      test::DiskBuilder("CARD1", 1600, 20, 40, 2, 1).Add(test::DisFixFile("DATA", 128, {"x"})).Build();
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", {{vol1, {}}}));
  test::CliResult r = RunCli("structure " + ShellQuote(card) + " volumes");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "Cf7a+ Volume list\n 0001\t000000\tCARD1\n 0002\t001600\tUNFORMATED\n");
  r = RunCli("structure " + ShellQuote(card) + " fdir --volume 1");
  EXPECT_EQ(FirstLines(r.out, 2), "CF7a+ FDIR - Volume 1 - Sector >0001\n 000\t>0002\tDATA\n");

  test::TiFile note;
  note.name = "NOTE";
  note.status = 0x80;
  note.recordLength = 80;
  note.data = Sectors('n', 1);
  test::HardDiskBuilder builder("PART", 100, 2);
  builder.Root().AddDir("DOCS").Add(note);
  const test::HdImage volume = builder.Build();
  const uint16_t ddr = volume.dirAu.at("DOCS");
  const std::string disk = dir.Write("disk.hd", test::PartitionedImage(104, {{4, volume.bytes}}));
  r = RunCli("structure " + ShellQuote(disk) + " pti");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(FirstLines(r.out, 2), "HardDisk PTI - Sector >0000\nPartition table name: *TI99FSPT*\n");
  EXPECT_NE(r.out.find("\nPartition 1 : offset: >00000004\nPartition 1 : number of sectors: >00000064\n"),
            std::string::npos);
  r = RunCli("structure " + ShellQuote(disk) + " hdvib --partition 1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(FirstLines(r.out, 2), "HardDisk VIB - Sector >0000\nVolume name: PART      \n");
  EXPECT_NE(r.out.find(fmt::sprintf("\n>1C\t>%04X\tDOCS\n", ddr)), std::string::npos) << r.out;
  // The allocation unit comes from the partition's VIB: AU n is sector 2n.
  r = RunCli("structure " + ShellQuote(disk) + " ddr " + std::to_string(ddr) + " --partition 1");
  EXPECT_EQ(FirstLines(r.out, 1), fmt::sprintf("HardDisk DDR - AU >%04X - Sector >%04X\n", ddr, 2 * ddr));
  r = RunCli("structure " + ShellQuote(disk) + " hdfdir " + std::to_string(ddr + 1) + " --partition 1");
  EXPECT_EQ(FirstLines(r.out, 3), fmt::sprintf("HardDisk FDIR - AU >%04X - Sector >%04X\n"
                                               "Associated Directory Descriptor Record:  254\t>%04X\tDOCS\n"
                                               " 000\t>%04X\tNOTE\n",
                                               ddr + 1, 2 * (ddr + 1), ddr, ddr + 2));
  r = RunCli("structure " + ShellQuote(disk) + " hdvib --partition 2", "", Capture::Stderr);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "korvane-cli: partition 2 of " + disk + " is empty\n");
}

TEST(StructureCliCorpus, FloppyImagesWrittenOnARealTi) {
  for (const char* name : {"xdt99/tisssd.dsk", "xdt99/tidsdd.dsk", "xdt99/frag.dsk"}) {
    const std::string path = Corpus(name);
    if (!PathExists(path)) GTEST_SKIP() << "corpus image " << path << " is absent";
    const test::CliResult vib = RunCli("structure " + ShellQuote(path) + " vib");
    EXPECT_EQ(vib.status, 0) << name;
    EXPECT_NE(vib.out.find("\nDisk marker 1: >44 (D)\nDisk marker 2: >53 (S)\nDisk marker 3: >4B (K)\n"),
              std::string::npos)
        << name;
    // Every file the index names has a record that carries the same name.
    const test::CliResult fdir = RunCli("structure " + ShellQuote(path) + " fdir");
    EXPECT_EQ(fdir.status, 0) << name;
    int files = 0;
    size_t at = 0;
    while ((at = fdir.out.find('\n', at)) != std::string::npos) {
      const std::string line = fdir.out.substr(at + 1, fdir.out.find('\n', at + 1) - at - 1);
      ++at;
      const size_t tab1 = line.find('\t'), tab2 = line.find('\t', tab1 + 1);
      if (tab2 == std::string::npos) continue;
      const std::string sector = line.substr(tab1 + 1, tab2 - tab1 - 1);
      const std::string fileName = line.substr(tab2 + 1);
      const test::CliResult fdr = RunCli("structure " + ShellQuote(path) + " fdr '" + sector + "'");
      EXPECT_EQ(fdr.status, 0) << name << " " << sector;
      EXPECT_EQ(fdr.out.find("File name: " + fileName), fdr.out.find('\n') + 1) << name << " " << line;
      ++files;
    }
    EXPECT_GT(files, 0) << name;
  }
}

TEST(StructureCliCorpus, HardDiskImagesMadeByAnotherTool) {
  const std::string scsi = Corpus("tiimagetool/scsi-tree.hd");
  const std::string ide = Corpus("tiimagetool/ide-two.hd");
  if (!PathExists(scsi) || !PathExists(ide)) GTEST_SKIP() << "corpus hard-disk images are absent";

  test::CliResult r = RunCli("structure " + ShellQuote(scsi) + " hdvib");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "HardDisk VIB - Sector >0000\n"
            "Volume name: SCSITREE  \n"
            "Total number of allocation units: >2EE0\n"
            "Sectors per Track: >00\n"
            "Number of AU for files and dirs: >08\n"
            "Step speed parameter: >00\n"
            "Reduced write current cylinder: >00\n"
            "Hard disk parameters: >0000\n"
            "Date and time of creation: >18833022 (hms) 03:04:06 (ymd) 24-01-02\n"
            "Number of files: >02\n"
            "Number of subdirectories: >02\n"
            "File desciptor index record: >0040\n"
            "DSK1 emulation file: >0000\n"
            ">1C\t>0045\tGAMES\n"
            ">1E\t>0041\tTOOLS\n");
  r = RunCli("structure " + ShellQuote(scsi) + " hdfdir 0x40");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\tHELLO\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\tPROG\n"), std::string::npos);
  EXPECT_NE(r.out.find("Associated Directory Descriptor Record:  254\t>0000\tSCSITREE\n"), std::string::npos);

  r = RunCli("structure " + ShellQuote(ide) + " pti");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("Partition 1 : offset: >00000001\nPartition 1 : number of sectors: >00001800\n"
                       "Partition 2 : offset: >00001801\nPartition 2 : number of sectors: >000007FF\n"),
            std::string::npos)
      << r.out;
  r = RunCli("structure " + ShellQuote(ide) + " hdvib --partition 1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(FirstLines(r.out, 2), "HardDisk VIB - Sector >0000\nVolume name: FIRSTPART \n");
  EXPECT_NE(r.out.find("\tDOCS\n"), std::string::npos) << r.out;
  r = RunCli("structure " + ShellQuote(ide) + " hdvib --partition 2");
  EXPECT_EQ(FirstLines(r.out, 2), "HardDisk VIB - Sector >0000\nVolume name: SECONDPRT \n");
}

}  // namespace
}  // namespace korvane
