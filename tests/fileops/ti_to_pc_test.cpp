// TI files turned into plain PC files: record layouts, the three methods,
// the bounds of one converted sector, and the refusals.
#include "fileops/ti_to_pc.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

struct Outcome {
  ConvertResult result = ConvertResult::Failed;
  std::string text;
};

// Writes `pcFile` into a fresh directory, reads its row as the pane would and
// converts it into "out/result".
class Converter {
 public:
  Outcome Run(const Bytes& pcFile, int method) {
    const std::string source = dir.Write("source", pcFile);
    CatalogEntry row;
    EXPECT_TRUE(ClassifyPcFile(dir.path(), "source", row));
    EXPECT_TRUE(IsTiFileKind(row.kind)) << "the test file must read as a TI file";
    out = dir.Mkdir("out");
    Outcome o;
    o.result = ConvertTiFileToPc(source, row, out, "result", method, NoProgress());
    o.text = Text(test::ReadFile(out + "/result"));
    return o;
  }

  test::TempDir dir;
  std::string out;
};

TEST(TiToPc, VariableRecordsGiveOneLinePerRecordWithEachMethod) {
  test::RecordingReporter reporter;
  const test::TiFile dv = test::DisVarFile("TEXT", 80, {"HELLO", "", "WORLD"});
  EXPECT_EQ(Converter().Run(test::V9t9File(dv), kTiPcAddCrLf).text, "HELLO\r\n\r\nWORLD\r\n");
  EXPECT_EQ(Converter().Run(test::V9t9File(dv), kTiPcAddLf).text, "HELLO\n\nWORLD\n");
  EXPECT_EQ(Converter().Run(test::V9t9File(dv), kTiPcBinary).text, "HELLOWORLD");

  // INTERNAL records are copied byte for byte like DISPLAY ones.
  test::TiFile iv = test::DisVarFile("DATA", 10, {std::string("\x00\x01\xff", 3), "AB"});
  iv.status = 0x82;
  EXPECT_EQ(Converter().Run(test::TifilesFile(iv), kTiPcAddCrLf).text, std::string("\x00\x01\xff\r\nAB\r\n", 9));

  // Records spread over several sectors come out in order.
  std::vector<std::string> many;
  std::string expected;
  for (int i = 0; i < 12; ++i) {
    many.push_back(std::string(60, static_cast<char>('A' + i)));
    expected += many.back() + "\r\n";
  }
  const test::TiFile long3 = test::DisVarFile("LONG", 80, many);
  ASSERT_GE(long3.Sectors(), 3);
  EXPECT_EQ(Converter().Run(test::V9t9File(long3), kTiPcAddCrLf).text, expected);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(TiToPc, FixedRecordsEndAtTheRecordCountWhateverIsAllocated) {
  test::RecordingReporter reporter;
  test::TiFile df = test::DisFixFile("FIVE", 80, {"R1", "R2", "R3", "R4", "R5"});
  ASSERT_EQ(df.recordsPerSector, 3);
  df.data.resize(df.data.size() + 256, 'X');  // a spare sector full of junk
  std::string expected;
  for (int i = 1; i <= 5; ++i) expected += "R" + std::to_string(i) + std::string(78, ' ') + "\r\n";
  EXPECT_EQ(Converter().Run(test::V9t9File(df), kTiPcAddCrLf).text, expected);

  df.recordsPerSector = 0;
  const Outcome none = Converter().Run(test::V9t9File(df), kTiPcAddCrLf);
  EXPECT_EQ(none.result, ConvertResult::Converted);
  EXPECT_EQ(none.text, "");
}

TEST(TiToPc, ProgramGivesEverySectorIncludingTheUnusedTail) {
  test::RecordingReporter reporter;
  Bytes image(300);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7);
  const Outcome o = Converter().Run(test::TifilesFile(test::ProgramFile("PROG", image)), kTiPcBinary);
  ASSERT_EQ(o.text.size(), 512u);
  EXPECT_EQ(o.text.substr(0, 300), Text(image));
  EXPECT_EQ(o.text.substr(300), std::string(212, '\0'));
}

// Sectors that turn into the most output: one-byte records with CR LF and
// sectors of empty variable records. None of it may be lost or overrun.
TEST(TiToPc, SectorsThatGrowTheMostAreConvertedWhole) {
  test::RecordingReporter reporter;
  test::TiFile ones;
  ones.name = "ONES";
  ones.status = 0x00;
  ones.recordLength = 1;
  ones.recordsPerSector = 255;  // the most the field can say
  ones.level3 = 600;
  for (int i = 0; i < 3 * 256; ++i) ones.data.push_back(static_cast<uint8_t>('a' + i % 26));
  const Outcome o = Converter().Run(test::V9t9File(ones), kTiPcAddCrLf);
  ASSERT_EQ(o.text.size(), 600u * 3);
  // 255 records from each sector: the 256th byte of a sector is never a record.
  EXPECT_EQ(o.text.substr(0, 6), "a\r\nb\r\n");
  EXPECT_EQ(o.text.substr(255 * 3, 3), std::string(1, static_cast<char>('a' + 256 % 26)) + "\r\n");

  test::TiFile empties;
  empties.name = "EMPTY";
  empties.status = 0x80;
  empties.recordLength = 80;
  empties.recordsPerSector = 3;
  empties.data = Bytes(2 * 256, 0);  // two sectors of zero-length records, no end mark
  empties.level3 = 2;
  std::string expected;
  for (int i = 0; i < 2 * 256; ++i) expected += "\r\n";
  EXPECT_EQ(Converter().Run(test::V9t9File(empties), kTiPcAddCrLf).text, expected);
}

TEST(TiToPc, CorruptHeadersAndLengthsNeverReachPastASector) {
  test::RecordingReporter reporter;
  // Ten 80-byte records per sector cannot be: three fit.
  test::TiFile df = test::DisFixFile("TEN", 80, {"A", "B", "C", "D"});
  df.recordsPerSector = 10;
  const Outcome fixed = Converter().Run(test::V9t9File(df), kTiPcBinary);
  EXPECT_EQ(fixed.text.size(), 4u * 80);
  EXPECT_EQ(fixed.text.substr(3 * 80, 1), "D");

  // A length byte that runs past the end of the sector gives what is there.
  test::TiFile dv;
  dv.name = "CUT";
  dv.status = 0x80;
  dv.recordLength = 254;
  dv.recordsPerSector = 1;
  dv.level3 = 1;
  dv.data = Bytes(256, 'x');
  dv.data[0] = 200;
  dv.data[201] = 100;  // 202 + 100 > 256
  const Outcome var = Converter().Run(test::V9t9File(dv), kTiPcAddLf);
  EXPECT_EQ(var.text, std::string(200, 'x') + "\n" + std::string(54, 'x') + "\n");
}

TEST(TiToPc, AClassic99FileEndingInsideASectorConverts) {
  test::RecordingReporter reporter;
  Bytes file = test::TifilesFile(test::DisVarFile("C99", 80, {"FIRST", "SECOND"}));
  file[9] = 5;  // the header's sector count disagrees with the size
  file.resize(128 + 20);
  const Outcome o = Converter().Run(file, kTiPcAddCrLf);
  EXPECT_EQ(o.result, ConvertResult::Converted);
  EXPECT_EQ(o.text, "FIRST\r\nSECOND\r\n");
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(TiToPc, ReadAndWriteFailuresAreReportedOnce) {
  test::RecordingReporter reporter;
  Converter c;
  // The header promises three sectors, the file holds one.
  Bytes file = test::V9t9File(test::DisVarFile("TRUNC", 80, {"KEPT"}));
  file[15] = 3;
  file[18] = 3;
  const Outcome o = c.Run(file, kTiPcAddCrLf);
  EXPECT_EQ(o.result, ConvertResult::Failed);
  EXPECT_EQ(o.text, "KEPT\r\n") << "what was converted before the failure stays";
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <2> from <" + c.dir.path() + "/source>");

  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(c.dir.path(), "source", row));
  EXPECT_EQ(ConvertTiFileToPc(c.dir.path() + "/missing", row, c.out, "x", kTiPcAddCrLf, NoProgress()),
            ConvertResult::Failed);
  EXPECT_EQ(reporter.errors.back(), "Can't open file for read <" + c.dir.path() + "/missing>");
  EXPECT_FALSE(PathExists(c.out + "/x")) << "nothing is created for a source that cannot be read";
}

// Cancels after the first converted sector.
class CancelAfterFirstSector : public Progress {
 public:
  bool Step(uint64_t) override { return !(cancelled_ = true); }
  bool Cancelled() const override { return cancelled_; }

 private:
  bool cancelled_ = false;
};

TEST(TiToPc, CancelLeavesNoShortFile) {
  test::RecordingReporter reporter;
  Converter c;
  const std::string source =
      c.dir.Write("source", test::V9t9File(test::DisVarFile("LONG", 80, std::vector<std::string>(30, std::string(70, 'L')))));
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(c.dir.path(), "source", row));
  ASSERT_GT(row.totalSectors, 1);
  CancelAfterFirstSector cancel;
  EXPECT_EQ(ConvertTiFileToPc(source, row, c.dir.path(), "result", kTiPcAddCrLf, cancel),
            ConvertResult::NotConverted);
  EXPECT_FALSE(PathExists(c.dir.path() + "/result"));
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(TiToPc, ASourceIsNeverConvertedOntoItself) {
  test::RecordingReporter reporter;
  reporter.defaultAnswer = Answer::Yes;
  test::TempDir dir;
  const Bytes file = test::V9t9File(test::DisVarFile("SELF", 80, {"X"}));
  const std::string path = dir.Write("self", file);
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir.path(), "self", row));
  // The same file spelled another way is still the same file.
  EXPECT_EQ(ConvertTiFileToPc(path, row, dir.path() + "/.", "self", kTiPcAddCrLf, NoProgress()),
            ConvertResult::Failed);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't copy files to itself");
  EXPECT_EQ(test::ReadFile(path), file);
}

TEST(TiToPc, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  test::RecordingReporter reporter;
  Converter c;
  c.dir.Mkdir("out");
  const Bytes old = {'o', 'l', 'd'};
  c.dir.Write("out/result", old);
  const Bytes file = test::V9t9File(test::DisVarFile("NEW", 80, {"NEW"}));

  reporter.answers = {Answer::No};
  EXPECT_EQ(c.Run(file, kTiPcAddCrLf).result, ConvertResult::NotConverted);
  EXPECT_EQ(test::ReadFile(c.out + "/result"), old);
  ASSERT_EQ(reporter.questions.size(), 1u);
  EXPECT_EQ(reporter.questions[0].text, "file <result> allready exist. Overwrite?");

  reporter.answers = {Answer::Yes};
  const Outcome o = c.Run(file, kTiPcAddCrLf);
  EXPECT_EQ(o.result, ConvertResult::Converted);
  EXPECT_EQ(o.text, "NEW\r\n");
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(TiToPc, TheConvertCommandChoosesTheDirectionOrRefuses) {
  test::RecordingReporter reporter;
  PaneState directory;
  directory.locationType = kLocPcDirectory;
  PaneState image;
  image.locationType = kLocFloppy;
  CatalogEntry ti;
  ti.kind = kKindIntVar;
  CatalogEntry dos;
  dos.kind = kKindDos;
  CatalogEntry subdir;
  subdir.kind = kKindSubdir;

  EXPECT_EQ(StartConversion(directory, ti), ConversionKind::TiToPc);
  EXPECT_EQ(StartConversion(directory, dos), ConversionKind::PcToTi);
  EXPECT_TRUE(reporter.errors.empty());
  EXPECT_EQ(StartConversion(directory, subdir), ConversionKind::None);
  EXPECT_EQ(reporter.errors.back(), "Can only convert TI-files to PC-files");
  EXPECT_EQ(StartConversion(image, ti), ConversionKind::None);
  EXPECT_EQ(reporter.errors.back(), "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card");
  EXPECT_EQ(StartConversion(image, dos), ConversionKind::None);
  EXPECT_EQ(reporter.errors.size(), 3u);
}

TEST(TiToPc, TheDialogProposesNameExtensionAndMethod) {
  CatalogEntry row;
  row.tiName = "MY/FILE   ";
  row.kind = kKindDisVar;
  row.recordLength = 80;
  EXPECT_EQ(TiPcDialogCaption(row), "Convert TI file [MY@FILE] to");

  const std::vector<std::string> lines = {"DIS/VAR80=TXT,AddCrLf"};
  TiPcDefaults d = LookupTiPcDefaults(lines, row.kind, row.recordLength);
  EXPECT_EQ(TiPcProposedName(row, d), "my@file.txt");
  EXPECT_EQ(d.method, kTiPcAddCrLf);
  row.recordLength = 81;
  d = LookupTiPcDefaults(lines, row.kind, row.recordLength);
  EXPECT_EQ(TiPcProposedName(row, d), "my@file");
  EXPECT_EQ(d.method, kTiPcSelect);

  // A TI name that would name a directory never becomes one.
  row.tiName = "..        ";
  EXPECT_EQ(TiPcProposedName(row, {}), "@@");

  EXPECT_EQ(FilterTypedPcName("my file*?.txt"), "myfile.txt");
  EXPECT_EQ(FilterTypedPcName("a/b\\c|d<e>f:g\"h").size(), 8u);
  EXPECT_EQ(FilterTypedPcName(std::string(100, 'n')).size(), 80u);

  EXPECT_EQ(CheckTiPcChoice("", kTiPcAddCrLf), "Please enter a filename");
  EXPECT_EQ(CheckTiPcChoice("..", kTiPcAddCrLf), "Please enter a filename");
  EXPECT_EQ(CheckTiPcChoice("x.txt", kTiPcSelect), "Please select a conversion methode");
  EXPECT_EQ(CheckTiPcChoice("x.txt", kTiPcBinary), "");
}

// Real files: one DIS/VAR 64 file with each header kind, a DIS/FIX 129 file.
TEST(TiToPc, CorpusFilesConvertAlikeWhateverTheirHeader) {
  const std::string corpus = std::string(KORVANE_CORPUS_DIR) + "/xdt99";
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  test::RecordingReporter reporter;
  const std::string reference = Converter().Run(test::ReadFile(corpus + "/V64V.v9t9"), kTiPcAddCrLf).text;
  EXPECT_EQ(Converter().Run(test::ReadFile(corpus + "/V64V.tfi"), kTiPcAddCrLf).text, reference);
  EXPECT_EQ(Converter().Run(test::ReadFile(corpus + "/V64V"), kTiPcAddCrLf).text, reference);
  // Every line is a record of at most 64 characters ended by CR LF.
  size_t start = 0, lines = 0;
  while (start < reference.size()) {
    const size_t end = reference.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 64u);
    start = end + 2;
    ++lines;
  }
  EXPECT_GT(lines, 3u);
  EXPECT_EQ(reference.substr(0, 10), "!@ABCDEFGH");

  // DIS/FIX 129: one record per sector, ten records.
  const std::string f129 = Converter().Run(test::ReadFile(corpus + "/F129.tfi"), kTiPcBinary).text;
  const Bytes raw = test::ReadFile(corpus + "/F129.tfi");
  ASSERT_EQ(f129.size(), 10u * 129);
  for (size_t r = 0; r < 10; ++r)
    EXPECT_EQ(f129.substr(r * 129, 129), Text(Bytes(raw.begin() + 128 + r * 256, raw.begin() + 128 + r * 256 + 129)));
  EXPECT_TRUE(reporter.errors.empty());
}

// Record files written by a real TI, taken out of their disk images first.
TEST(TiToPc, RecordFilesOfRealDisksConvertWhole) {
  const std::string corpus = std::string(KORVANE_CORPUS_DIR) + "/xdt99";
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  test::RecordingReporter reporter;
  test::TempDir dir;
  std::map<std::string, std::string> texts;
  for (const char* image : {"recsdis.dsk", "recsint.dsk"}) {
    PaneState pane;
    pane.locationPath = dir.Write(image, test::ReadFile(corpus + "/" + image));
    ASSERT_TRUE(ReadLocation(pane));
    int files = 0;
    for (const CatalogEntry& row : pane.rows) {
      if (!IsTiFileKind(row.kind)) continue;
      ++files;
      std::string source;
      ASSERT_TRUE(TiFileAsPcFile(pane, row, source)) << row.tiName;
      ASSERT_EQ(ConvertTiFileToPc(source, row, dir.path(), "out", kTiPcBinary, NoProgress()),
                ConvertResult::Converted);
      const Bytes out = test::ReadFile(dir.path() + "/out");
      if (row.kind == kKindDisFix || row.kind == kKindIntFix)
        EXPECT_EQ(out.size(), size_t{row.level3Records} * row.recordLength) << image << " " << row.tiName;
      else
        EXPECT_FALSE(out.empty()) << image << " " << row.tiName;
      ASSERT_EQ(ConvertTiFileToPc(source, row, dir.path(), "out.txt", kTiPcAddCrLf, NoProgress()),
                ConvertResult::Converted);
      texts[std::string(image) + ":" + TrimTiName(row.tiName)] = Text(test::ReadFile(dir.path() + "/out.txt"));
      std::remove((dir.path() + "/out").c_str());
      std::remove((dir.path() + "/out.txt").c_str());
    }
    EXPECT_GT(files, 10) << image;
  }
  // One-byte fixed records: the TI stores 0 records per sector for the 256 that fit.
  EXPECT_EQ(texts["recsdis.dsk:F1"], "1\r\n2\r\n \r\n \r\n5\r\n \r\n \r\n");
  EXPECT_EQ(texts["recsdis.dsk:V10R"].substr(0, 23), "1START\r\n2\r\n3234567890\r\n");
  // A 255-byte variable record fills its sector, its length byte FFh first.
  const std::string& v255 = texts["recsdis.dsk:V255V2"];
  ASSERT_EQ(v255.size(), 255u + 2 + 127 + 2 + 126 + 2);
  EXPECT_EQ(v255.substr(0, 4), "!@AB");
  EXPECT_EQ(v255.substr(255, 2), "\r\n");
  EXPECT_EQ(v255.substr(255 + 2 + 127, 2), "\r\n");
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
