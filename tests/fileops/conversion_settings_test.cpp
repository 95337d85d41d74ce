// The conversion defaults kept in the two sections of the settings file.
#include "fileops/conversion_settings.h"

#include <gtest/gtest.h>

#include "catalog/entry.h"
#include "support/disk_builder.h"

namespace korvane {
namespace {

TEST(TiPcLookup, MatchesTypeAndRecordLengthAndTakesExtensionAndMethod) {
  const std::vector<std::string> lines = {
      "no equals sign here",
      "DIS/VAR80=txt,AddCrLf",
      "DIS/VAR 163=bas, addlf",  // blank between type and length, blank after the comma
      "dis/fix336=dat,BINARY",   // 336 modulo 256 is 80
      "DIS/FIX80=later,AddLf",   // a later line never wins over an earlier one
      "INT/VAR254=.text",
      "INT/FIX128=record",
      "PROGRAM=img",
  };
  TiPcDefaults d = LookupTiPcDefaults(lines, kKindDisVar, 80);
  EXPECT_EQ(d.method, kTiPcAddCrLf);
  EXPECT_EQ(d.extension, ".txt");
  d = LookupTiPcDefaults(lines, kKindDisVar, 163);
  EXPECT_EQ(d.method, kTiPcAddLf);
  EXPECT_EQ(d.extension, ".bas");
  d = LookupTiPcDefaults(lines, kKindDisFix, 80);
  EXPECT_EQ(d.method, kTiPcBinary);
  EXPECT_EQ(d.extension, ".dat");
  // The extension keeps at most four characters of the value.
  d = LookupTiPcDefaults(lines, kKindIntVar, 254);
  EXPECT_EQ(d.method, kTiPcSelect);
  EXPECT_EQ(d.extension, ".tex");
  EXPECT_EQ(LookupTiPcDefaults(lines, kKindIntFix, 128).extension, ".reco");
  // A PROGRAM line matches without a length and means binary.
  d = LookupTiPcDefaults(lines, kKindProgram, 8000);
  EXPECT_EQ(d.method, kTiPcBinary);
  EXPECT_EQ(d.extension, ".img");
}

TEST(TiPcLookup, GivesNoExtensionAndNoMethodWhenNothingMatches) {
  const std::vector<std::string> lines = {"DIS/VAR80=txt,AddCrLf", "DIS/VAR=nolength,AddCrLf"};
  TiPcDefaults d = LookupTiPcDefaults(lines, kKindDisVar, 81);
  EXPECT_EQ(d.method, kTiPcSelect);
  EXPECT_EQ(d.extension, "");
  d = LookupTiPcDefaults(lines, kKindProgram, 100);
  EXPECT_EQ(d.method, kTiPcSelect);
  EXPECT_EQ(d.extension, "");
  EXPECT_EQ(LookupTiPcDefaults({}, kKindDisFix, 80).extension, "");
}

TEST(TiPcLookup, AProgramLineMayNameAnotherMethod) {
  const TiPcDefaults d = LookupTiPcDefaults({"PROGRAM=prg,AddCrLf"}, kKindProgram, 0);
  EXPECT_EQ(d.method, kTiPcAddCrLf);
  EXPECT_EQ(d.extension, ".prg");
}

TEST(PcTiLookup, MatchesTheExtensionAndReadsTypeLengthAndMethod) {
  const std::vector<std::string> lines = {
      ".txt=dis/var80, removecrandorlf",
      ".DOC=DIS/FIX 128,ConvertCrLfToCr",
      ".bin=program",
      ".big=int/fix300,binary",  // no such item in the length list
      ".odd=something,binary",
  };
  PcTiDefaults d = LookupPcTiDefaults(lines, ".txt");
  EXPECT_EQ(d.type, kPcTiDisVar);
  EXPECT_EQ(d.recordLength, 80);
  EXPECT_EQ(d.method, kPcTiRemoveCrLf);
  d = LookupPcTiDefaults(lines, ".doc");
  EXPECT_EQ(d.type, kPcTiDisFix);
  EXPECT_EQ(d.recordLength, 128);
  EXPECT_EQ(d.method, kPcTiToCr);
  d = LookupPcTiDefaults(lines, ".bin");
  EXPECT_EQ(d.type, kPcTiProgram);
  EXPECT_EQ(d.recordLength, 0);
  EXPECT_EQ(d.method, kPcTiSelect);
  d = LookupPcTiDefaults(lines, ".big");
  EXPECT_EQ(d.type, kPcTiIntFix);
  EXPECT_EQ(d.recordLength, 0);
  EXPECT_EQ(d.method, kPcTiBinary);
  d = LookupPcTiDefaults(lines, ".odd");
  EXPECT_EQ(d.type, kPcTiNoType);
  d = LookupPcTiDefaults(lines, ".none");
  EXPECT_EQ(d.type, kPcTiNoType);
  EXPECT_EQ(d.recordLength, 0);
  EXPECT_EQ(d.method, kPcTiSelect);
}

TEST(PcExtension, IsTheLastDotOnInLowerCase) {
  EXPECT_EQ(PcExtension("README.TXT"), ".txt");
  EXPECT_EQ(PcExtension("a.b.Doc"), ".doc");
  EXPECT_EQ(PcExtension("noext"), "");
}

TEST(TiPcLookup, TakesLinesAsAHandWrittenSettingsFileHoldsThem) {
  // Blanks around "=" and after the comma, as people write them (the
  // PC -> TI section skips blanks after its comma too), and a long section:
  // a line far past the first 512 characters is still found, never a line
  // cut short into another record length.
  std::vector<std::string> lines(40, "DIS/FIX128 = arc , binary");
  lines.push_back("DIS/VAR80 = txt , AddCrLf");
  TiPcDefaults d = LookupTiPcDefaults(lines, kKindDisVar, 80);
  EXPECT_EQ(d.method, kTiPcAddCrLf);
  EXPECT_EQ(d.extension, ".txt");
  d = LookupTiPcDefaults({"DIS/VAR8"}, kKindDisVar, 8);
  EXPECT_EQ(d.extension, "") << "a line without a value is passed over";
}

TEST(ConversionSections, AreReadFromAFileWrittenOnWindows) {
  test::TempDir dir;
  const std::string text =
      "[Korvane]\r\n"
      "sortby=1\r\n"
      "\r\n"
      "[ti_pc_file_conversion]\r\n"
      "; text files\r\n"
      "Dis/Var80=TXT,addcrlf\r\n"
      "PROGRAM=Bin\r\n"
      "[PC_TI_FILE_CONVERSION]\r\n"
      ".Txt=DIS/VAR80,RemoveCrAndOrLf\r\n";
  const std::string path = dir.Write("Korvane.ini", test::Bytes(text.begin(), text.end()));

  const std::vector<std::string> tiPc = ReadConversionSection(path, kTiPcSection);
  ASSERT_EQ(tiPc.size(), 2u);
  EXPECT_EQ(tiPc[0], "Dis/Var80=TXT,addcrlf");  // no CR left at the end
  TiPcDefaults t = LookupTiPcDefaults(tiPc, kKindDisVar, 80);
  EXPECT_EQ(t.method, kTiPcAddCrLf);
  EXPECT_EQ(t.extension, ".TXT");
  t = LookupTiPcDefaults(tiPc, kKindProgram, 0);
  EXPECT_EQ(t.method, kTiPcBinary);
  EXPECT_EQ(t.extension, ".Bin");

  const PcTiDefaults p = LookupPcTiDefaults(ReadConversionSection(path, kPcTiSection), PcExtension("NOTES.TXT"));
  EXPECT_EQ(p.type, kPcTiDisVar);
  EXPECT_EQ(p.recordLength, 80);
  EXPECT_EQ(p.method, kPcTiRemoveCrLf);

  EXPECT_TRUE(ReadConversionSection(dir.path() + "/missing.ini", kTiPcSection).empty());
}

TEST(DialogLists, ShowTheTextsOfTheirCodes) {
  EXPECT_STREQ(TiPcMethodText(kTiPcAddCrLf), "Add CR/LF (EDITOR/ASM)");
  EXPECT_STREQ(TiPcMethodText(kTiPcAddLf), "Add LF (TI WRITER)");
  EXPECT_STREQ(PcTiMethodText(kPcTiToCr), "Convert CR/LF or LF to CR (TI WRITER)");
  EXPECT_STREQ(PcTiTypeText(kPcTiIntVar), "INT/VAR");
  EXPECT_EQ(PcTiStatusFlags(kPcTiIntVar), 0x82);
  EXPECT_EQ(PcTiStatusFlags(kPcTiProgram), 0x01);
  EXPECT_EQ(RecordLengthText(0), "--SELECT--");
  EXPECT_EQ(RecordLengthText(80), " 80");
}

}  // namespace
}  // namespace korvane
