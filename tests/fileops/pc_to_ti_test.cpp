// Plain PC files turned into TI files: the line reader, the fixed, variable
// and PROGRAM writers, the header, the dialog's checks and the round trip.
#include "fileops/pc_to_ti.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "fileops/ti_to_pc.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b, size_t from = 0, size_t length = std::string::npos) {
  const std::string s(b.begin(), b.end());
  return s.substr(from, length);
}

// A converted file: its bytes and its header as the directory reader reads it.
struct TiResult {
  bool ok = false;
  Bytes bytes;
  CatalogEntry row;
  Bytes Sector(size_t n) const {
    const size_t at = 128 + n * 256;
    return at + 256 <= bytes.size() ? Bytes(bytes.begin() + at, bytes.begin() + at + 256) : Bytes();
  }
};

TiResult Convert(const Bytes& source, int type, int recordLength, int method, bool dataHeader = false,
                 std::array<uint16_t, 3> words = {}) {
  test::TempDir dir;
  const std::string path = dir.Write("source.txt", source);
  const std::string out = dir.Mkdir("out");
  PcTiJob job;
  job.tiName = "RESULT";
  job.type = type;
  job.recordLength = recordLength;
  job.method = method;
  job.dataHeader = dataHeader;
  job.words = words;
  TiResult r;
  r.ok = ConvertPcFileToTi(path, out, job, NoProgress());
  r.bytes = test::ReadFile(out + "/RESULT");
  EXPECT_TRUE(ClassifyPcFile(out, "RESULT", r.row) || !r.ok);
  return r;
}

// The records of one variable-record sector, up to its end mark.
std::vector<std::string> VarRecords(const Bytes& sector) {
  std::vector<std::string> records;
  size_t at = 0;
  while (at < sector.size() && sector[at] != 0xFF) {
    records.push_back(S(sector, at + 1, sector[at]));
    at += 1 + sector[at];
  }
  return records;
}

CatalogEntry Classify(const std::string& dir, const std::string& name) {
  CatalogEntry row;
  EXPECT_TRUE(ClassifyPcFile(dir, name, row));
  return row;
}

std::vector<std::string> Lines(ByteStream&& in, int method) {
  std::vector<std::string> lines;
  for (std::string line = ReadTextLine(in); !line.empty(); line = ReadTextLine(in)) {
    ApplyLineMethod(line, method);
    lines.push_back(line);
  }
  return lines;
}

TEST(PcToTiLines, LineEndsAreRecognisedInEveryMix) {
  const Bytes crlf = B("AB\r\n\r\nZ");
  EXPECT_EQ(Lines(ByteStream(ByteView(crlf.data(), crlf.size())), kPcTiRemoveCrLf),
            (std::vector<std::string>{"AB", "", "Z"}));
  const Bytes lflf = B("AB\n\nZ");
  EXPECT_EQ(Lines(ByteStream(ByteView(lflf.data(), lflf.size())), kPcTiRemoveCrLf),
            (std::vector<std::string>{"AB", "Z"}));
  EXPECT_EQ(Lines(ByteStream(ByteView(lflf.data(), lflf.size())), kPcTiToLf),
            (std::vector<std::string>{"AB\n\n", "Z\n"}));
  const Bytes mixed = B("A\rB\n\rC\r\n");
  EXPECT_EQ(Lines(ByteStream(ByteView(mixed.data(), mixed.size())), kPcTiToCr),
            (std::vector<std::string>{"A\r", "B\r", "C\r"}));
  // A line holds at most 255 characters; the rest starts the next line.
  const Bytes longLine = B(std::string(300, 'x') + "\r\n");
  EXPECT_EQ(Lines(ByteStream(ByteView(longLine.data(), longLine.size())), kPcTiRemoveCrLf),
            (std::vector<std::string>{std::string(255, 'x'), std::string(45, 'x')}));
}

TEST(PcToTi, VariableRecordsFromLines) {
  test::RecordingReporter reporter;
  TiResult r = Convert(B("AB\r\n\r\nZ"), kPcTiDisVar, 80, kPcTiRemoveCrLf);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(S(r.Sector(0), 0, 7), std::string("\x02" "AB" "\x00" "\x01" "Z" "\xff", 7));
  EXPECT_EQ(r.row.kind, kKindDisVar);
  EXPECT_EQ(r.row.headerKind, kHeaderV9t9);
  EXPECT_EQ(r.row.tiName, "RESULT    ");
  EXPECT_EQ(r.row.totalSectors, 1);
  EXPECT_EQ(r.row.level3Records, 1);
  EXPECT_EQ(r.row.eofOffset, 6);
  EXPECT_EQ(r.row.recordsPerSector, 255 / 81);

  r = Convert(B("AB\n\nZ"), kPcTiDisVar, 80, kPcTiToLf);
  EXPECT_EQ(VarRecords(r.Sector(0)), (std::vector<std::string>{"AB\n\n", "Z\n"}));

  // A 200-character line becomes records of 80, 80 and 40 bytes.
  r = Convert(B(std::string(200, 'q') + "\r\n"), kPcTiIntVar, 80, kPcTiRemoveCrLf);
  EXPECT_EQ(VarRecords(r.Sector(0)),
            (std::vector<std::string>{std::string(80, 'q'), std::string(80, 'q'), std::string(40, 'q')}));
  EXPECT_EQ(r.row.kind, kKindIntVar);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(PcToTi, VariableRecordsStartANewSectorWhenTheEndMarkWouldNotFit) {
  test::RecordingReporter reporter;
  std::string text;
  for (int i = 0; i < 5; ++i) text += std::string(254, static_cast<char>('a' + i)) + "\n";
  const TiResult r = Convert(B(text), kPcTiDisVar, 254, kPcTiRemoveCrLf);
  ASSERT_EQ(r.row.totalSectors, 5);
  EXPECT_EQ(r.row.level3Records, 5);
  EXPECT_EQ(r.row.eofOffset, 255);
  for (size_t s = 0; s < 5; ++s) {
    const Bytes sector = r.Sector(s);
    EXPECT_EQ(sector[0], 254);
    EXPECT_EQ(sector[255], 0xFF);
    EXPECT_EQ(VarRecords(sector), (std::vector<std::string>{std::string(254, static_cast<char>('a' + s))}));
  }
}

TEST(PcToTi, RecordLength255VariableRecordsStayInsideTheirSector) {
  test::RecordingReporter reporter;
  const TiResult r = Convert(B(std::string(255, 'z')), kPcTiIntVar, 255, kPcTiRemoveCrLf);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.row.recordLength, 255);
  EXPECT_EQ(r.bytes[13], 1) << "records per sector";
  // The 255-byte line goes into records of 254 and 1 bytes, each with its
  // length byte and end mark inside its sector.
  std::vector<std::string> records;
  for (size_t s = 0; s < r.row.totalSectors; ++s) {
    const std::vector<std::string> part = VarRecords(r.Sector(s));
    records.insert(records.end(), part.begin(), part.end());
  }
  EXPECT_EQ(records, (std::vector<std::string>{std::string(254, 'z'), "z"}));
}

TEST(PcToTi, FixedRecordsFromLinesArePaddedAndPacked) {
  test::RecordingReporter reporter;
  const TiResult r = Convert(B("one\r\ntwo\r\nthree\r\nfour\r\n"), kPcTiDisFix, 80, kPcTiToCr);
  ASSERT_TRUE(r.ok);
  const Bytes s0 = r.Sector(0);
  EXPECT_EQ(S(s0, 0, 80), "one\r" + std::string(76, '\0'));
  EXPECT_EQ(S(s0, 160, 80), "three\r" + std::string(74, '\0'));
  EXPECT_EQ(S(s0, 240, 16), std::string(16, '\0'));
  EXPECT_EQ(S(r.Sector(1), 0, 5), "four\r");
  EXPECT_EQ(r.row.kind, kKindDisFix);
  EXPECT_EQ(r.row.totalSectors, 2);
  EXPECT_EQ(r.row.level3Records, 4);
  EXPECT_EQ(r.row.recordsPerSector, 3);
  EXPECT_EQ(r.row.eofOffset, 80);
}

TEST(PcToTi, FixedRecordsFromBinaryBlocks) {
  test::RecordingReporter reporter;
  Bytes source(512);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i);
  const TiResult r = Convert(source, kPcTiIntFix, 80, kPcTiBinary);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.row.kind, kKindIntFix);
  EXPECT_EQ(r.row.level3Records, 8);  // 80, 80, 80 and 16 bytes from each block
  EXPECT_EQ(r.row.totalSectors, 3);
  EXPECT_EQ(r.row.eofOffset, 160);
  const Bytes s1 = r.Sector(1);
  EXPECT_EQ(Bytes(s1.begin(), s1.begin() + 16), Bytes(source.begin() + 240, source.begin() + 256));
  EXPECT_EQ(Bytes(s1.begin() + 16, s1.begin() + 80), Bytes(64, 0));
  EXPECT_EQ(Bytes(s1.begin() + 80, s1.begin() + 160), Bytes(source.begin() + 256, source.begin() + 336));

  // Record length 1: 256 records per sector, which the header's byte holds as 0.
  const TiResult ones = Convert(B("abc"), kPcTiDisFix, 1, kPcTiBinary);
  EXPECT_EQ(ones.bytes[13], 0);
  EXPECT_EQ(ones.row.level3Records, 3);
  EXPECT_EQ(S(ones.Sector(0), 0, 4), std::string("abc\0", 4));
}

TEST(PcToTi, ProgramImagesWithAndWithoutTheDataHeader) {
  test::RecordingReporter reporter;
  Bytes source(1000);
  for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 3);
  TiResult r = Convert(source, kPcTiProgram, 0, kPcTiBinary);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.row.kind, kKindProgram);
  EXPECT_EQ(r.row.totalSectors, 4);
  EXPECT_EQ(r.row.eofOffset, 232);
  EXPECT_EQ(r.row.recordLength, 1000) << "the size the row shows";
  EXPECT_EQ(r.bytes.size(), 128u + 1024u);
  EXPECT_EQ(Bytes(r.bytes.begin() + 128, r.bytes.begin() + 1128), source);

  r = Convert(source, kPcTiProgram, 0, kPcTiBinary, true, {1, 2, 0xABCD});
  EXPECT_EQ(r.row.totalSectors, 4);
  EXPECT_EQ(r.row.eofOffset, 238);
  EXPECT_EQ(Bytes(r.bytes.begin() + 128, r.bytes.begin() + 134), (Bytes{0, 1, 0, 2, 0xAB, 0xCD}));
  EXPECT_EQ(Bytes(r.bytes.begin() + 134, r.bytes.begin() + 1134), source);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(PcToTi, AFileTooLargeForTheCountsOfAHeaderIsRefused) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  // 65536 one-byte records: one more than the level-3 count holds.
  dir.Write("big", Bytes(65536, 'r'));
  const std::string out = dir.Mkdir("out");
  PcTiJob job{"BIG", kPcTiDisFix, 1, kPcTiBinary, false, {}};
  EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/big", out, job, NoProgress()));
  EXPECT_EQ(reporter.errors.back(), "Can't write to file <" + out + "/BIG>");
  EXPECT_FALSE(PathExists(out + "/BIG")) << "no file with counts that describe another one";

  PcFile sparse;
  ASSERT_TRUE(sparse.Open(dir.path() + "/huge", PcFile::Mode::CreateWrite));
  ASSERT_TRUE(sparse.Truncate(uint64_t{65535} * 256 + 1));
  sparse.Close();
  job = {"HUGE", kPcTiProgram, 0, kPcTiBinary, false, {}};
  EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/huge", out, job, NoProgress()));
  EXPECT_FALSE(PathExists(out + "/HUGE"));
}

// Cancels once the conversion has reported `after` steps.
class CancelAfter : public Progress {
 public:
  explicit CancelAfter(int after) : left_(after) {}
  bool Step(uint64_t) override { return --left_ > 0; }
  bool Cancelled() const override { return left_ <= 0; }

 private:
  int left_;
};

TEST(PcToTi, CancelStopsBetweenSectorsAndLeavesNoHalfFile) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  std::string text;
  for (int i = 0; i < 200; ++i) text += "A LINE OF TEXT THAT FILLS A RECORD\r\n";
  dir.Write("long.txt", B(text));
  const std::string out = dir.Mkdir("out");
  for (int type : {kPcTiDisVar, kPcTiDisFix, kPcTiProgram}) {
    CancelAfter cancel(3);
    PcTiJob job{"LONG", type, type == kPcTiProgram ? 0 : 80, type == kPcTiProgram ? kPcTiBinary : kPcTiRemoveCrLf,
                false, {}};
    EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/long.txt", out, job, cancel)) << type;
    EXPECT_FALSE(PathExists(out + "/LONG")) << type;
  }
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(PcToTi, RefusalsComeBeforeAnythingIsWritten) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const Bytes text = B("keep me\r\n");
  dir.Write("SAME", text);
  PcTiJob job{"SAME", kPcTiDisVar, 80, kPcTiRemoveCrLf, false, {}};
  EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/SAME", dir.path() + "/", job, NoProgress()));
  EXPECT_EQ(reporter.errors.back(), "Can't copy files to itself");
  EXPECT_EQ(test::ReadFile(dir.path() + "/SAME"), text);

  // Another file of the chosen name stays unless the user says otherwise.
  const Bytes other = B("another TI file");
  dir.Write("OTHER", other);
  job.tiName = "OTHER";
  reporter.answers = {Answer::No};
  EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/SAME", dir.path(), job, NoProgress()));
  EXPECT_EQ(reporter.questions.back().text, "file <OTHER> allready exist. Overwrite?");
  EXPECT_EQ(test::ReadFile(dir.path() + "/OTHER"), other);
  reporter.answers = {Answer::Yes};
  EXPECT_TRUE(ConvertPcFileToTi(dir.path() + "/SAME", dir.path(), job, NoProgress()));
  EXPECT_EQ(Classify(dir.path(), "OTHER").kind, kKindDisVar);

  job.tiName = "ABSENT";
  EXPECT_FALSE(ConvertPcFileToTi(dir.path() + "/absent", dir.path(), job, NoProgress()));
  EXPECT_EQ(reporter.errors.back(), "Can't open file for read <" + dir.path() + "/absent>");
  EXPECT_FALSE(PathExists(dir.path() + "/ABSENT"));
  EXPECT_EQ(reporter.errors.size(), 2u);
}

TEST(PcToTiDialog, TheConvertButtonChecksInOrderWithTheExactTexts) {
  PcTiChoice c;
  EXPECT_EQ(CheckPcTiChoice(c).message, "Please enter a filename");
  EXPECT_EQ(CheckPcTiChoice(c).focus, PcTiField::Name);
  c.tiName = "NOTES";
  EXPECT_EQ(CheckPcTiChoice(c).message, "Please select a filetype");
  c.type = kPcTiDisVar;
  EXPECT_EQ(CheckPcTiChoice(c).message, "Please select a recordlength");
  c.recordLength = 255;
  EXPECT_EQ(CheckPcTiChoice(c).message, "Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes");
  c.type = kPcTiIntVar;  // INT/VAR takes 255
  EXPECT_EQ(CheckPcTiChoice(c).message, "Please select a conversion methode");
  EXPECT_EQ(CheckPcTiChoice(c).focus, PcTiField::Method);
  c.method = kPcTiToLf;
  EXPECT_EQ(CheckPcTiChoice(c).message, "");

  PcTiChoice p;
  p.tiName = "PROG";
  p.type = kPcTiProgram;
  p.method = kPcTiBinary;
  EXPECT_EQ(CheckPcTiChoice(p).message, "") << "PROGRAM needs no record length";
  p.dataHeader = true;
  p.headerWords = {"a000", "", "10"};
  EXPECT_EQ(CheckPcTiChoice(p).message, "Please enter a hexadecimal value header value");
  EXPECT_EQ(CheckPcTiChoice(p).focus, PcTiField::HeaderWord2);
  p.headerWords = {"a000", "FFFF", "10"};
  const PcTiCheck ok = CheckPcTiChoice(p);
  EXPECT_EQ(ok.message, "");
  EXPECT_EQ(ok.words, (std::array<uint16_t, 3>{0xA000, 0xFFFF, 0x0010}));
  p.headerWords = {"a000", "12345", "zz"};
  EXPECT_EQ(CheckPcTiChoice(p).focus, PcTiField::HeaderWord2);
}

TEST(PcToTiDialog, FieldsAndTypeRules) {
  EXPECT_EQ(PcTiDialogCaption("a-rather-long-pc-file-name-with-more.txt"),
            "Convert PC file [a-rather-long-pc-file-name-wit] to");
  EXPECT_EQ(PcTiProposedName("readme.first.txt"), "README");
  EXPECT_EQ(PcTiProposedName("a?b.txt"), "A@B");
  EXPECT_EQ(FilterTypedTiName("my file.x*/"), "myfilex");
  EXPECT_EQ(FilterTypedTiName("ABCDEFGHIJKL"), "ABCDEFGHIJ");
  EXPECT_EQ(FilterTypedHexWord("0x1fG23"), "01f2");
  const PcTiTypeRules program = TypeRules(kPcTiProgram);
  EXPECT_FALSE(program.recordLengthEnabled);
  EXPECT_FALSE(program.methodEnabled);
  EXPECT_TRUE(program.dataHeaderEnabled);
  const PcTiTypeRules records = TypeRules(kPcTiDisFix);
  EXPECT_TRUE(records.recordLengthEnabled);
  EXPECT_TRUE(records.methodEnabled);
  EXPECT_FALSE(records.dataHeaderEnabled);
}

// Text converted to TI records and back with matching methods is unchanged.
TEST(PcToTiRoundTrip, TextComesBackEqual) {
  test::RecordingReporter reporter;
  struct Case {
    std::string text;
    int type, recordLength, toTi, toPc;
  };
  const std::string crlf = "first line\r\n\r\nthird, after an empty one\r\n" + std::string(80, '#') + "\r\nlast\r\n";
  // A run of LF bytes is one line end to the line reader, so LF text keeps
  // its empty lines only when the line ends travel inside the records.
  const std::string lf = "alpha\nbeta\ngamma\n";
  const std::string lfBlank = "alpha\nbeta\n\ngamma\n";
  const std::vector<Case> cases = {
      {crlf, kPcTiDisVar, 80, kPcTiRemoveCrLf, kTiPcAddCrLf},
      {crlf, kPcTiIntVar, 254, kPcTiRemoveCrLf, kTiPcAddCrLf},
      {lf, kPcTiDisVar, 80, kPcTiRemoveCrLf, kTiPcAddLf},
      {lfBlank, kPcTiDisVar, 80, kPcTiToLf, kTiPcBinary},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    dir.Write("text.txt", B(c.text));
    PcTiJob job{"TEXT", c.type, c.recordLength, c.toTi, false, {}};
    ASSERT_TRUE(ConvertPcFileToTi(dir.path() + "/text.txt", dir.path(), job, NoProgress()));
    CatalogEntry row;
    ASSERT_TRUE(ClassifyPcFile(dir.path(), "TEXT", row));
    ASSERT_EQ(ConvertTiFileToPc(dir.path() + "/TEXT", row, dir.path(), "back.txt", c.toPc, NoProgress()),
              ConvertResult::Converted);
    EXPECT_EQ(S(test::ReadFile(dir.path() + "/back.txt")), c.text) << "type " << c.type << " method " << c.toTi;
  }
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(PcToTiRoundTrip, ProgramImagesComeBackPaddedToWholeSectors) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  Bytes image(700);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i ^ 0x5A);
  dir.Write("image.bin", image);
  PcTiJob job{"IMAGE", kPcTiProgram, 0, kPcTiBinary, false, {}};
  ASSERT_TRUE(ConvertPcFileToTi(dir.path() + "/image.bin", dir.path(), job, NoProgress()));
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir.path(), "IMAGE", row));
  ASSERT_EQ(ConvertTiFileToPc(dir.path() + "/IMAGE", row, dir.path(), "back.bin", kTiPcBinary, NoProgress()),
            ConvertResult::Converted);
  Bytes expected = image;
  expected.resize(768, 0);
  EXPECT_EQ(test::ReadFile(dir.path() + "/back.bin"), expected);
}

}  // namespace
}  // namespace korvane
