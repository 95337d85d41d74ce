// The hard-disk check: sound images built by the fixture writer and images
// made by another tool pass without errors; each kind of damage is found
// with its severity, structure and sector; crafted trees end.
#include "harddisk/hd_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

#include "fileops/container_check.h"
#include "support/hd_builder.h"

namespace korvane {
namespace {

using test::Bytes;
using test::HdImage;

constexpr uint16_t kTotalAus = 2000;

// A tree with files in the root and two levels of directories.
HdImage Tree(uint16_t spau = 1) {
  test::HardDiskBuilder b("TREE", kTotalAus, spau);
  b.Root().Add(test::DisVarFile("ALPHA", 80, {"ONE", "TWO"}));
  b.Root().Add(test::ProgramFile("BETA", Bytes(700, 0x11)));
  b.Root().Add(test::DisFixFile("GAMMA", 40, {"X", "Y", "Z"}));
  test::HdDir& tools = b.Root().AddDir("TOOLS");
  tools.Add(test::ProgramFile("EDIT", Bytes(1500, 0x22)));
  tools.AddDir("TEXT").Add(test::DisVarFile("NOTES", 80, {"A", "B"}));
  b.Root().AddDir("GAMES").Add(test::ProgramFile("CHESS", Bytes(300, 0x33)));
  return b.Build();
}

CheckReport CheckBytes(const Bytes& bytes) {
  test::TempDir dir;
  const std::string path = dir.Write("disk.hd", bytes);
  ContainerCheck c = CheckPcFile(path, true);
  EXPECT_TRUE(c.checked);
  return c.report;
}

std::string Dump(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings) s += FormatFinding(f) + "\n";
  return s;
}

const Finding* Find(const CheckReport& r, FindingCode code) {
  for (const Finding& f : r.findings)
    if (f.code == code) return &f;
  return nullptr;
}

void SetBit(HdImage& image, uint32_t au, bool used) {
  uint8_t& byte = image.bytes[256 + au / 8];
  const uint8_t bit = static_cast<uint8_t>(0x80 >> (au % 8));
  byte = used ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

uint16_t Word(const HdImage& image, uint32_t sector, size_t offset) {
  const size_t at = size_t{sector} * 256 + offset;
  return static_cast<uint16_t>(image.bytes[at] << 8 | image.bytes[at + 1]);
}

TEST(HdCheck, SoundTreesReportNothing) {
  for (uint16_t spau : {1, 2, 4}) {
    const CheckReport r = CheckBytes(Tree(spau).bytes);
    EXPECT_EQ(r.kind, "HDIMG");
    EXPECT_TRUE(r.findings.empty()) << "SPAU " << spau << "\n" << Dump(r);
  }
  // Bitmap bits past the last AU left clear are no fault either.
  test::HardDiskBuilder b("CLEARTAIL", 300);
  b.ClearBitmapTail().Root().Add(test::ProgramFile("P", Bytes(256, 1)));
  EXPECT_TRUE(CheckBytes(b.Build().bytes).findings.empty());
}

struct DamageCase {
  const char* what;
  std::function<void(HdImage&)> damage;
  FindingCode code;
  Severity severity;
  std::string structure;
  std::function<int64_t(const HdImage&)> sector;
  std::string file;  // "" when any
};

TEST(HdCheck, EachDamageIsFoundWhereItIs) {
  const std::vector<DamageCase> cases = {
      {"DDR loop: TEXT lists TOOLS as its sub-directory",
       [](HdImage& m) { m.PutWord(m.Sector(m.dirAu["TOOLS.TEXT"]), 28, m.dirAu["TOOLS"]); },
       FindingCode::DirectoryTree, Severity::Error, "DDR of TOOLS.TEXT",
       [](const HdImage& m) { return int64_t{m.Sector(m.dirAu.at("TOOLS.TEXT"))}; }, "TOOLS.TEXT"},
      {"dangling parent pointer",
       [](HdImage& m) { m.PutWord(m.Sector(m.dirAu["GAMES"]), 26, 1500); },
       FindingCode::DirectoryTree, Severity::Error, "DDR of GAMES",
       [](const HdImage& m) { return int64_t{m.Sector(m.dirAu.at("GAMES"))}; }, "GAMES"},
      {"FDIR out of name order",
       [](HdImage& m) {
         const uint32_t s = m.Sector(m.fdirAu[""]);
         const uint16_t a = Word(m, s, 0), b = Word(m, s, 2);
         m.PutWord(s, 0, b);
         m.PutWord(s, 2, a);
       },
       FindingCode::FdirUnsorted, Severity::Error, "FDIR", [](const HdImage&) { return int64_t{64}; }, ""},
      {"AU shared by two files: BETA's chain points at ALPHA's data",
       [](HdImage& m) {
         const uint32_t alpha = m.Sector(m.fdrAu["ALPHA"]), beta = m.Sector(m.fdrAu["BETA"]);
         m.PutWord(beta, 40, Word(m, alpha, 40));
         m.PutWord(beta, 42, Word(m, alpha, 42));
       },
       FindingCode::SharedSector, Severity::Error, "data chain",
       [](const HdImage& m) { return int64_t{m.Sector(Word(m, m.Sector(m.fdrAu.at("ALPHA")), 40))}; }, "BETA"},
      {"bitmap marks a used AU free",
       [](HdImage& m) { SetBit(m, m.fdrAu["GAMES.CHESS"], false); },
       FindingCode::BitmapClearButUsed, Severity::Error, "bitmap", [](const HdImage&) { return int64_t{1}; },
       "GAMES.CHESS"},
      {"bitmap marks a free AU used", [](HdImage& m) { SetBit(m, 1990, true); }, FindingCode::BitmapSetButUnused,
       Severity::Warning, "bitmap", [](const HdImage&) { return int64_t{1}; }, ""},
      {"AU chain out of range",
       [](HdImage& m) { m.PutWord(m.Sector(m.fdrAu["TOOLS.EDIT"]), 42, kTotalAus + 7); },
       FindingCode::ChainOutOfRange, Severity::Error, "data chain",
       [](const HdImage& m) { return int64_t{m.Sector(m.fdrAu.at("TOOLS.EDIT"))}; }, "TOOLS.EDIT"},
      {"chain shorter than the data-sector count",
       [](HdImage& m) {
         const uint32_t s = m.Sector(m.fdrAu["TOOLS.EDIT"]);
         m.PutWord(s, 42, Word(m, s, 40));
       },
       FindingCode::ChainLength, Severity::Error, "data chain",
       [](const HdImage& m) { return int64_t{m.Sector(m.fdrAu.at("TOOLS.EDIT"))}; }, "TOOLS.EDIT"},
      {"index entry past the volume",
       [](HdImage& m) { m.PutWord(m.Sector(m.fdirAu["GAMES"]), 0, kTotalAus + 1); },
       FindingCode::FdirOutOfRange, Severity::Error, "FDIR of GAMES",
       [](const HdImage& m) { return int64_t{m.Sector(m.fdirAu.at("GAMES"))}; }, ""},
      {"index entry naming the bitmap",
       [](HdImage& m) { m.PutWord(m.Sector(m.fdirAu[""]), 2, 3); },
       FindingCode::FdirSystemSector, Severity::Error, "FDIR", [](const HdImage&) { return int64_t{64}; }, ""},
      {"sub-directory record without DIR",
       [](HdImage& m) { m.bytes[size_t{m.Sector(m.dirAu["GAMES"])} * 256 + 13] = 'X'; },
       FindingCode::DirectoryTree, Severity::Error, "DDR",
       [](const HdImage& m) { return int64_t{m.Sector(m.dirAu.at("GAMES"))}; }, ""},
      {"two files with one name",
       [](HdImage& m) { std::copy_n("ALPHA     ", 10, m.bytes.begin() + m.Sector(m.fdrAu["BETA"]) * 256); },
       FindingCode::FdirDuplicateName, Severity::Error, "FDIR", [](const HdImage&) { return int64_t{64}; }, "ALPHA"},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.what);
    HdImage image = Tree();
    c.damage(image);
    const CheckReport r = CheckBytes(image.bytes);
    const Finding* f = nullptr;
    for (const Finding& x : r.findings)
      if (x.code == c.code && x.severity == c.severity && x.structure == c.structure &&
          (c.file.empty() || x.file == c.file) && !f)
        f = &x;
    ASSERT_NE(f, nullptr) << Dump(r);
    EXPECT_EQ(f->sector, c.sector(image)) << Dump(r);
    if (c.severity == Severity::Warning) {
      EXPECT_EQ(r.Errors(), 0) << Dump(r);
    }
  }
}

TEST(HdCheck, CrossLinkNamesTheOtherFile) {
  HdImage m = Tree();
  const uint32_t alpha = m.Sector(m.fdrAu["ALPHA"]), beta = m.Sector(m.fdrAu["BETA"]);
  m.PutWord(beta, 40, Word(m, alpha, 40));
  m.PutWord(beta, 42, Word(m, alpha, 40));
  const CheckReport r = CheckBytes(m.bytes);
  const Finding* f = Find(r, FindingCode::SharedSector);
  ASSERT_NE(f, nullptr) << Dump(r);
  EXPECT_EQ(f->otherFdr, m.fdrAu["ALPHA"]);
  EXPECT_NE(f->reason.find("data of ALPHA"), std::string::npos) << f->reason;
  // BETA's own AUs are now marked but hold nothing: space lost, no error.
  EXPECT_TRUE(r.Has(FindingCode::BitmapSetButUnused));
}

TEST(HdCheck, SelfLoopsAndDeepTreesEnd) {
  // A directory listing itself.
  HdImage m = Tree();
  m.PutWord(m.Sector(m.dirAu["GAMES"]), 28, m.dirAu["GAMES"]);
  EXPECT_TRUE(Find(CheckBytes(m.bytes), FindingCode::DirectoryTree));

  // Seventy levels: the walk stops at its depth cap and says so.
  test::HardDiskBuilder b("DEEP", 400);
  test::HdDir* d = &b.Root();
  for (int i = 0; i < 70; ++i) d = &d->AddDir("D" + std::to_string(i));
  const CheckReport r = CheckBytes(b.Build().bytes);
  const Finding* f = Find(r, FindingCode::DirectoryTree);
  ASSERT_NE(f, nullptr) << Dump(r);
  EXPECT_NE(f->reason.find("levels deep"), std::string::npos) << f->reason;
}

TEST(HdCheck, VibLargerThanTheImage) {
  HdImage m = Tree();
  m.bytes.resize(m.bytes.size() / 2);
  const CheckReport r = CheckBytes(m.bytes);
  const Finding* f = Find(r, FindingCode::VibTotal);
  ASSERT_NE(f, nullptr) << Dump(r);
  EXPECT_EQ(f->severity, Severity::Error);
}

Bytes TwoPartitions(const Bytes& first, const Bytes& second, uint32_t* total = nullptr) {
  const uint32_t s1 = static_cast<uint32_t>((first.size() + 511) / 512);
  const uint32_t s2 = static_cast<uint32_t>((second.size() + 511) / 512);
  const uint32_t t = 1 + s1 + s2;
  if (total) *total = t;
  return test::PartitionedImage(t, {{1, first}, {1 + s1, second}});
}

TEST(HdCheck, PartitionedImages) {
  const Bytes sound = TwoPartitions(Tree().bytes, Tree(2).bytes);
  CheckReport r = CheckBytes(sound);
  EXPECT_EQ(r.kind, "PTIMG");
  EXPECT_TRUE(r.findings.empty()) << Dump(r);

  // Damage inside partition 2 is named with the partition.
  HdImage second = Tree(2);
  SetBit(second, second.fdrAu["ALPHA"], false);
  r = CheckBytes(TwoPartitions(Tree().bytes, second.bytes));
  const Finding* f = Find(r, FindingCode::BitmapClearButUsed);
  ASSERT_NE(f, nullptr) << Dump(r);
  EXPECT_EQ(f->structure, "partition 2 bitmap");
}

TEST(HdCheck, BadPartitionTablesAreNamedEvenWhenNoLongerRecognised) {
  uint32_t total = 0;
  const Bytes good = TwoPartitions(Tree().bytes, Tree().bytes, &total);
  const uint32_t s1 = static_cast<uint32_t>(Tree().bytes.size() / 512);
  auto withTable = [&](const std::vector<std::pair<uint32_t, uint32_t>>& entries, uint32_t t) {
    Bytes b = good;
    const Bytes table = test::PartitionTableSector(t, entries);
    std::copy(table.begin(), table.end(), b.begin());
    return b;
  };
  struct {
    const char* what;
    Bytes image;
    const char* reason;
  } cases[] = {
      {"partition 1 empty, 2 set", withTable({{0, 0}, {1 + s1, s1}}, total), "partition 1 is empty"},
      {"partition past the disk's total", withTable({{1, s1}, {1 + s1, s1 + 50}}, total), "past the disk's total"},
      {"overlapping partitions", withTable({{1, s1}, {s1 / 2, s1}}, total), "overlap"},
      {"partition past the image", withTable({{1, s1}, {1 + s1, s1 + 50}}, total + 50), "past the end of the image"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CheckReport r = CheckBytes(c.image);
    bool found = false;
    for (const Finding& f : r.findings)
      found = found || (f.code == FindingCode::PartitionTable && f.severity == Severity::Error &&
                        f.structure == "partition table" && f.sector == 0 &&
                        f.reason.find(c.reason) != std::string::npos);
    EXPECT_TRUE(found) << Dump(r);
  }
}

bool CorpusFile(const std::string& name, std::string& path) {
  path = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool/" + name;
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

TEST(HdCheck, ImagesMadeByAnotherToolHaveNoErrors) {
  for (const char* name : {"scsi-tree.hd", "ide-two.hd"}) {
    std::string path;
    if (!CorpusFile(name, path)) GTEST_SKIP() << "corpus absent: " << path;
    const ContainerCheck c = CheckPcFile(path, true);
    EXPECT_TRUE(c.checked) << name;
    EXPECT_EQ(c.report.Errors(), 0) << name << "\n" << Dump(c.report);
  }
}

TEST(HdCheck, RepairRefusesHardDisksAndLeavesThemAlone) {
  HdImage m = Tree();
  SetBit(m, m.fdrAu["ALPHA"], false);
  test::TempDir dir;
  const std::string path = dir.Write("disk.hd", m.bytes);
  const RepairOutcome outcome = RepairPcFile(path, true);
  EXPECT_TRUE(outcome.failed);
  EXPECT_FALSE(outcome.written);
  EXPECT_EQ(test::ReadFile(path), m.bytes);
  struct stat st;
  EXPECT_NE(stat((path + ".bak").c_str(), &st), 0);
}

}  // namespace
}  // namespace korvane
