#include <gtest/gtest.h>

#include <set>

#include "harddisk/hd_format.h"
#include "harddisk/hd_rows.h"
#include "harddisk/hd_tree.h"
#include "harddisk/hd_test_util.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"

namespace korvane::test {
namespace {

TiFile Data(const std::string& name, size_t bytes, uint8_t seed) {
  TiFile f;
  f.name = name;
  f.status = 0x00;
  f.recordLength = 80;
  f.recordsPerSector = 3;
  f.level3 = static_cast<uint16_t>((bytes + 255) / 256);
  for (size_t i = 0; i < bytes; ++i) f.data.push_back(static_cast<uint8_t>(seed + i * 7));
  return f;
}

HardDiskBuilder Tree(uint16_t spau = 1) {
  HardDiskBuilder b("TREEVOL", 4000, spau);
  b.Root().Add(Data("HELLO", 300, 1)).Add(ProgramFile("PROG", Bytes(1000, 9)));
  HdDir& tools = b.Root().AddDir("TOOLS");
  tools.Add(Data("IVAR", 1024, 3));
  tools.AddDir("TEXT").Add(Data("LINES", 3840, 4));
  b.Root().AddDir("GAMES").Add(ProgramFile("BIGPRG", Bytes(12288, 0x42)));
  return b;
}

struct Listed {
  bool ok = false;
  HardDiskDirectory dir;
};

Listed List(const std::string& path, uint32_t base, uint16_t ownAu, int depth = 1, bool up = true) {
  Listed l;
  l.ok = ReadHardDiskDirectory(path, "img.hd", base, ownAu, depth, up, l.dir);
  return l;
}

TEST(ReadHardDiskDirectory, RootRowsCarryTheirPlaceOnTheDisk) {
  TempDir tmp;
  const HdImage img = Tree(2).Build();
  const std::string path = tmp.Write("img.hd", img.bytes);
  RecordingReporter reporter;
  const Listed l = List(path, 0, 0);
  ASSERT_TRUE(l.ok);
  EXPECT_TRUE(reporter.errors.empty());
  ASSERT_EQ(l.dir.rows.size(), 5u);  // "..", 2 files, 2 directories

  const CatalogEntry& up = l.dir.rows[0];
  EXPECT_EQ(up.kind, kKindUprdir);
  EXPECT_EQ(up.hdFields[hdrow::kOwnAu], 0);  // the root has no parent

  const CatalogEntry* hello = FindByName(l.dir.rows, "HELLO");
  ASSERT_NE(hello, nullptr);
  EXPECT_EQ(hello->kind, kKindDisFix);
  EXPECT_EQ(hello->sourceName, "img.hd");
  EXPECT_EQ(hello->totalSectors, 2);
  EXPECT_EQ(hello->headerKind, kHeaderV9t9);
  EXPECT_EQ(hello->containerKind, kKindHdImg);
  EXPECT_EQ(hello->containerSectorsPerTrack, 32);
  EXPECT_EQ(hello->hdFields[hdrow::kParentAu], 0);
  EXPECT_EQ(hello->hdFields[hdrow::kOwnAu], img.fdrAu.at("HELLO"));
  EXPECT_EQ(hello->hdFields[hdrow::kSpau], 2);
  EXPECT_EQ(hello->fdrSector, 2 * img.fdrAu.at("HELLO"));

  const CatalogEntry* tools = FindByName(l.dir.rows, "TOOLS");
  ASSERT_NE(tools, nullptr);
  EXPECT_EQ(tools->kind, kKindSubdir);
  EXPECT_EQ(tools->statusFlags, 1);  // depth
  EXPECT_EQ(tools->totalSectors, 2);  // the SPAU, in the size word
  EXPECT_EQ(tools->hdFields[hdrow::kOwnAu], img.dirAu.at("TOOLS"));
  EXPECT_EQ(tools->hdFields[hdrow::kIndexAu], 32);  // the listing directory's index
  EXPECT_EQ(tools->fdrSector, 2 * img.dirAu.at("TOOLS"));
}

TEST(ReadHardDiskDirectory, SubdirectoryRowsPointBackToTheirRecord) {
  TempDir tmp;
  const HdImage img = Tree().Build();
  const std::string path = tmp.Write("img.hd", img.bytes);
  const uint16_t tools = img.dirAu.at("TOOLS"), text = img.dirAu.at("TOOLS.TEXT");
  const Listed l = List(path, 0, text, 3);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.dir.shown.kind, kKindSubdir);
  EXPECT_EQ(l.dir.shown.hdFields[hdrow::kOwnAu], text);
  EXPECT_EQ(l.dir.shown.hdFields[hdrow::kParentAu], tools);
  EXPECT_EQ(l.dir.shown.hdFields[hdrow::kIndexAu], img.fdirAu.at("TOOLS.TEXT"));
  EXPECT_EQ(l.dir.rows[0].hdFields[hdrow::kOwnAu], tools);  // ".." leads to TOOLS
  const CatalogEntry* lines = FindByName(l.dir.rows, "LINES");
  ASSERT_NE(lines, nullptr);
  EXPECT_EQ(lines->hdFields[hdrow::kParentAu], text);
}

TEST(ReadHardDiskDirectory, ListsAll114SubdirectoriesAndNothingBeyondTheRecord) {
  HardDiskBuilder b("MANY", 2000);
  for (int i = 0; i < 114; ++i) b.Root().AddDir("D" + std::to_string(i));
  HdImage img = b.Build();
  TempDir tmp;
  const std::string path = tmp.Write("img.hd", img.bytes);
  Listed l = List(path, 0, 0, 1, false);
  ASSERT_EQ(l.dir.rows.size(), 114u);
  std::set<std::string> names;
  for (const CatalogEntry& r : l.dir.rows) names.insert(TrimTiName(r.tiName));
  EXPECT_EQ(names.size(), 114u);
  EXPECT_TRUE(names.count("D113"));
}

TEST(ReadHardDiskDirectory, IndexYieldsAtMost127FilesItsLastWordNamesTheOwner) {
  HardDiskBuilder b("FULL", 2000);
  for (int i = 0; i < 127; ++i) b.Root().Add(Data("F" + std::to_string(100 + i), 10, 0));
  HdImage img = b.Build();
  img.PutWord(64, 254, img.fdrAu.at("F100"));  // the owner word looks like a file
  TempDir tmp;
  const Listed l = List(tmp.Write("img.hd", img.bytes), 0, 0, 1, false);
  EXPECT_EQ(l.dir.rows.size(), 127u);
}

TEST(ReadHardDiskDirectory, PointerAtTheTotalAuCountIsError8AndEndsItsSection) {
  HdImage img = Tree().Build();
  img.PutWord(0, 28 + 2, 4000);  // second sub-directory of the root = total AU
  img.PutWord(64, 2, 4000);      // second file of the root index
  TempDir tmp;
  RecordingReporter reporter;
  const std::string path = tmp.Write("img.hd", img.bytes);
  const Listed l = List(path, 0, 0, 1, false);
  EXPECT_TRUE(l.ok);
  ASSERT_EQ(reporter.errors.size(), 2u);
  EXPECT_EQ(reporter.errors[0], "Disk error, filename <" + path + ">\n, fileno <1>, sector <4000>");
  EXPECT_EQ(reporter.errors[1], "Disk error, filename <" + path + ">\n, fileno <1>, sector <4000>");
  // What came before each bad pointer is kept: the first file and the
  // first directory.
  ASSERT_EQ(l.dir.rows.size(), 2u);
  EXPECT_NE(FindByName(l.dir.rows, "HELLO"), nullptr);
  EXPECT_NE(FindByName(l.dir.rows, "TOOLS"), nullptr);
}

TEST(ReadHardDiskDirectory, RecordWithoutDirMarkIsUnknown) {
  HdImage img = Tree().Build();
  img.bytes[img.Sector(img.dirAu.at("GAMES")) * 256 + 13] = 'X';
  img.bytes[img.Sector(img.dirAu.at("TOOLS")) * 256 + 2] = '.';  // "TO.LS" is no valid name
  TempDir tmp;
  const Listed l = List(tmp.Write("img.hd", img.bytes), 0, 0);
  EXPECT_EQ(FindByName(l.dir.rows, "GAMES")->kind, kKindUnknown);
  EXPECT_EQ(FindByName(l.dir.rows, "TO.LS")->kind, kKindUnknown);
}

TEST(ReadHardDiskDirectory, UnreadableImageOrVolumeIsReported) {
  TempDir tmp;
  RecordingReporter reporter;
  HardDiskDirectory dir;
  EXPECT_FALSE(ReadHardDiskDirectory(tmp.path() + "/absent.hd", "absent.hd", 0, 0, 1, true, dir));
  const std::string junk = tmp.Write("junk.hd", Bytes(4096, 0xFF));
  EXPECT_FALSE(ReadHardDiskDirectory(junk, "junk.hd", 0, 0, 1, true, dir));
  ASSERT_EQ(reporter.errors.size(), 2u);
  EXPECT_EQ(reporter.errors[0], "Can't open file for read <" + tmp.path() + "/absent.hd>");
  EXPECT_EQ(reporter.errors[1], "Can't read diskinfo from diskfile <" + junk + ">");
}

TEST(WalkHardDiskTree, VisitsEveryDirectoryOnceEvenWhenPointersLoop) {
  HdImage img = Tree().Build();
  const uint16_t text = img.dirAu.at("TOOLS.TEXT");
  // TEXT names TOOLS (its parent) and itself as sub-directories, and GAMES
  // names the root's first sub-directory record again.
  img.PutWord(img.Sector(text), 28, img.dirAu.at("TOOLS"));
  img.PutWord(img.Sector(text), 30, text);
  img.PutWord(img.Sector(img.dirAu.at("GAMES")), 28, img.dirAu.at("TOOLS"));
  TempDir tmp;
  const std::string path = tmp.Write("img.hd", img.bytes);
  std::vector<std::string> visited;
  EXPECT_TRUE(WalkHardDiskTree(path, 0, [&](const std::string& p, const HardDiskDirectory&) {
    visited.push_back(p);
    return true;
  }));
  EXPECT_EQ(visited, (std::vector<std::string>{"", "TOOLS", "TOOLS.TEXT", "GAMES"}));
}

TEST(WalkHardDiskTree, DeepChainEndsAtTheDepthCap) {
  HardDiskBuilder b("DEEP", 4000);
  HdDir* d = &b.Root();
  for (int i = 0; i < kMaxWalkDepth + 10; ++i) d = &d->AddDir("L" + std::to_string(i));
  TempDir tmp;
  const std::string path = tmp.Write("img.hd", b.Build().bytes);
  int count = 0;
  WalkHardDiskTree(path, 0, [&](const std::string&, const HardDiskDirectory&) { return ++count, true; });
  EXPECT_EQ(count, kMaxWalkDepth + 1);
}

HdPartition Part(uint32_t offset, const std::string& name, uint16_t aus) {
  HardDiskBuilder b(name, aus);
  b.Root().Add(Data(name.substr(0, 4) + "F", 600, static_cast<uint8_t>(aus)));
  return {offset, b.Build().bytes};
}

TEST(ReadPartitionList, OnePartitionRowPerValidVolumeInTableOrder) {
  // Partitions 1, 2 and 4 hold volumes; 3 holds no VIB and gets no row.
  std::vector<HdPartition> parts = {Part(1, "FIRST", 400), Part(201, "SECOND", 300), {400, Bytes(512, 0xFF)},
                                    Part(401, "FOURTH", 200)};
  TempDir tmp;
  const std::string path = tmp.Write("ide.hd", PartitionedImage(600, parts));
  FileList rows;
  ASSERT_TRUE(ReadPartitionList(path, "ide.hd", 1, true, rows));
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].kind, kKindUprdir);
  EXPECT_EQ(rows[0].statusFlags, 1);
  EXPECT_EQ(TrimTiName(rows[1].tiName), "FIRST");
  EXPECT_EQ(TrimTiName(rows[2].tiName), "SECOND");
  EXPECT_EQ(TrimTiName(rows[3].tiName), "FOURTH");
  const CatalogEntry& second = rows[2];
  EXPECT_EQ(second.kind, kKindHdImg);
  EXPECT_EQ(second.sourceName, "ide.hd");
  EXPECT_EQ(second.statusFlags, 1);
  EXPECT_EQ(second.volumePosition, 402);
  EXPECT_EQ(second.totalSectors, 300);
  EXPECT_EQ(second.sizeInSectors, 300u);
  EXPECT_EQ(second.hdFields[hdrow::kIndexAu], 64);
  EXPECT_EQ(HardDiskPartitionNumber(path, rows[3]), 4);

  // Each partition's directory is read at its own base.
  HardDiskDirectory dir;
  ASSERT_TRUE(ReadHardDiskDirectory(path, "ide.hd", 402, 0, 2, false, dir));
  ASSERT_EQ(dir.rows.size(), 1u);
  EXPECT_EQ(TrimTiName(dir.rows[0].tiName), "SECOF");
  EXPECT_EQ(dir.rows[0].volumePosition, 402);
}

TEST(ReadPartitionList, InvalidTableIsError9) {
  Bytes image = PartitionedImage(600, {Part(1, "FIRST", 400)});
  image[24 + 3] = 0, image[32 + 3] = 7;  // partition 1 empty, partition 2 present
  TempDir tmp;
  const std::string path = tmp.Write("bad.hd", image);
  RecordingReporter reporter;
  FileList rows;
  EXPECT_FALSE(ReadPartitionList(path, "bad.hd", 1, false, rows));
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"Can't read diskinfo from diskfile <" + path + ">"});
}

TEST(HardDiskSectors, ReadsStayInsideTheVolume) {
  // A file of partition 1 whose chain runs past the volume must not show
  // partition 2's bytes.
  HdPartition first = Part(1, "FIRST", 100);
  HdPartition second = Part(51, "SECOND", 100);
  TempDir tmp;
  const std::string path = tmp.Write("ide.hd", PartitionedImage(200, {first, second}));
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  auto volume = OpenHardDiskVolume(file, path, 2);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->VolumeSectors(), 100u);
  RecordingReporter reporter;
  Sector s;
  EXPECT_TRUE(volume->ReadSector(99, s));
  EXPECT_FALSE(volume->ReadSector(100, s));
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"Can't read sector <100> from <" + path + ">"});
  EXPECT_FALSE(volume->WriteSector(1, s));  // hard-disk images are never written
}

}  // namespace
}  // namespace korvane::test
