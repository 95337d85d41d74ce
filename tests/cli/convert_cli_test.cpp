// korvane-cli to-v9t9, to-tifiles, ti2pc and pc2ti, run as a user runs them:
// from a working directory that may hold Korvane.ini.
#include <gtest/gtest.h>

#include <string>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "support/cli_runner.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

using test::Bytes;

using Result = test::CliResult;  // stdout and stderr together

// Runs korvane-cli in `cwd`.
Result Cli(const std::string& cwd, const std::string& args) {
  return test::RunCli(args, cwd, test::Capture::StdoutAndStderr);
}

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

CatalogEntry Classify(const std::string& dir, const std::string& name) {
  CatalogEntry row;
  EXPECT_TRUE(ClassifyPcFile(dir, name, row)) << name;
  return row;
}

// A settings file as Windows writes it: CR LF, names in any case.
void WriteSettings(const test::TempDir& dir) {
  dir.Write("Korvane.ini", B("[Korvane]\r\n"
                             "extracttifiles=0\r\n"
                             "[TI_PC_FILE_CONVERSION]\r\n"
                             "dis/var80=TXT,addcrlf\r\n"
                             "[pc_ti_file_conversion]\r\n"
                             ".TXT=DIS/VAR80,RemoveCrAndOrLf\r\n"
                             ".bin=PROGRAM\r\n"));
}

TEST(HeaderCommands, RewriteHeadersBothWaysAndRefuseWhatTheyCannotConvert) {
  test::TempDir dir;
  const test::TiFile file = test::DisVarFile("HELLO", 80, {"HI"});
  const Bytes v9t9 = test::V9t9File(file);
  // The TIFILES header stores no name: the way back takes it from the PC name.
  dir.Write("HELLO", v9t9);
  dir.Write("notes.txt", B("plain\n"));

  Result r = Cli(dir.path(), "to-tifiles . HELLO");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, "Converting <HELLO>\n");
  EXPECT_EQ(Classify(dir.path(), "HELLO").headerKind, kHeaderTifiles);
  r = Cli(dir.path(), "to-v9t9 . HELLO");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(test::ReadFile(dir.path() + "/HELLO"), v9t9);

  r = Cli(dir.path(), "to-v9t9 . notes.txt");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Sorry ... no file(s) of the correct type selected for this operation!"), std::string::npos);
  r = Cli(dir.path(), "to-v9t9 . missing");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("no row <missing>"), std::string::npos) << r.out;

  dir.Write("disk.dsk", test::DiskBuilder::Sssd("DISK").Add(file).Build());
  r = Cli(dir.path(), "to-tifiles disk.dsk HELLO");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ERROR: Can only convert V9T9, TIFILES or CLASSIC99 files in a directory"), std::string::npos)
      << r.out;
}

TEST(Ti2PcCommand, TakesItsDefaultsFromTheSettingsFile) {
  test::TempDir dir;
  dir.Write("greet", test::TifilesFile(test::DisVarFile("GREET", 80, {"HELLO", "", "WORLD"})));
  dir.Mkdir("out");

  // Without a settings file there is no method to propose.
  Result r = Cli(dir.path(), "ti2pc . greet out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Korvane: Please select a conversion methode"), std::string::npos) << r.out;

  WriteSettings(dir);
  r = Cli(dir.path(), "ti2pc . greet out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/greet.txt")), "HELLO\r\n\r\nWORLD\r\n");

  // An existing file is kept unless the question is answered.
  r = Cli(dir.path(), "ti2pc . greet out --method lf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("file <greet.txt> allready exist. Overwrite? -> No"), std::string::npos) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/greet.txt")), "HELLO\r\n\r\nWORLD\r\n");
  r = Cli(dir.path(), "ti2pc . greet out --method lf --yes");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/greet.txt")), "HELLO\n\nWORLD\n");

  r = Cli(dir.path(), "ti2pc . greet out --name 'a b.bin' --method binary");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/ab.bin")), "HELLOWORLD") << "a blank cannot be typed";
}

TEST(Ti2PcCommand, ConvertsFilesInsideDiskImagesAndRefusesImagesAsDestination) {
  test::TempDir dir;
  dir.Write("disk.dsk", test::DiskBuilder::Dssd("DISK")
                            .Add(test::DisFixFile("TABLE", 8, {"ROW1", "ROW2", "ROW3"}))
                            .Add(test::DisVarFile("TEXT", 80, {"INSIDE"}))
                            .Build());
  dir.Mkdir("out");
  Result r = Cli(dir.path(), "ti2pc disk.dsk table out --method crlf");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/table")), "ROW1    \r\nROW2    \r\nROW3    \r\n");

  r = Cli(dir.path(), "ti2pc . disk.dsk out --method crlf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ERROR: Can only convert TI-files to PC-files"), std::string::npos) << r.out;
  r = Cli(dir.path(), "ti2pc disk.dsk TEXT disk.dsk --method crlf");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ERROR: Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card"), std::string::npos)
      << r.out;
  r = Cli(dir.path(), "ti2pc disk.dsk TEXT out --method sideways");
  EXPECT_EQ(r.status, 2);
}

TEST(Pc2TiCommand, MakesTiFilesWithDefaultsAndChecksTheChoice) {
  test::TempDir dir;
  WriteSettings(dir);
  dir.Write("notes.txt", B("first\r\n\r\nthird\r\n"));
  Bytes image(600);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i);
  dir.Write("image.bin", image);
  dir.Write("other.dat", B("x"));
  dir.Mkdir("out");

  Result r = Cli(dir.path(), "pc2ti . notes.txt out");
  EXPECT_EQ(r.status, 0) << r.out;
  CatalogEntry row = Classify(dir.path() + "/out", "NOTES");
  EXPECT_EQ(row.kind, kKindDisVar);
  EXPECT_EQ(row.recordLength, 80);
  EXPECT_EQ(row.headerKind, kHeaderV9t9);
  EXPECT_EQ(row.tiName, "NOTES     ");

  // And back again: the text is unchanged.
  r = Cli(dir.path(), "ti2pc out NOTES out --name back.txt");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(S(test::ReadFile(dir.path() + "/out/back.txt")), "first\r\n\r\nthird\r\n");

  r = Cli(dir.path(), "pc2ti . image.bin out --name prog --header 1 2 a0");
  EXPECT_EQ(r.status, 0) << r.out;
  const Bytes prog = test::ReadFile(dir.path() + "/out/prog");
  ASSERT_EQ(prog.size(), 128u + 3 * 256);
  EXPECT_EQ(Bytes(prog.begin() + 128, prog.begin() + 134), (Bytes{0, 1, 0, 2, 0, 0xA0}));
  row = Classify(dir.path() + "/out", "prog");
  EXPECT_EQ(row.kind, kKindProgram);
  EXPECT_EQ(row.recordLength, 606);
  EXPECT_EQ(row.tiName, "PROG      ");

  r = Cli(dir.path(), "pc2ti . other.dat out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Korvane: Please select a filetype"), std::string::npos) << r.out;
  r = Cli(dir.path(), "pc2ti . other.dat out --type dis/var --reclen 255 --method binary");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes"),
            std::string::npos) << r.out;
  r = Cli(dir.path(), "pc2ti . other.dat out --type int/fix --reclen 80 --method binary --header 1 2 3");
  EXPECT_EQ(r.status, 2) << "a data header belongs to PROGRAM files";
  r = Cli(dir.path(), "pc2ti . other.dat out --type program --header 1 xyz 3");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Please enter a hexadecimal value header value"), std::string::npos) << r.out;

  dir.Write("disk.dsk", test::DiskBuilder::Sssd("DISK").Build());
  r = Cli(dir.path(), "pc2ti . notes.txt disk.dsk");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card"), std::string::npos);
  r = Cli(dir.path(), "pc2ti . absent.txt out");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("ERROR: Can't open file for read <./absent.txt>"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace korvane
