#include "fileops/locations.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "catalog/sort.h"
#include "platform/paths.h"
#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "support/pane_reader.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

const CatalogEntry* Row(const PaneState& pane, const std::string& name) {
  for (const CatalogEntry& r : pane.rows)
    if (r.sourceName == name || TrimTiName(r.tiName) == name) return &r;
  return nullptr;
}

int IndexOf(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i)
    if (TrimTiName(pane.rows[i].tiName) == name || pane.rows[i].sourceName == name) return i;
  return -1;
}

PaneState Open(const std::string& path) { return test::ReadSortedPane(path); }

TEST(ScanDirectory, ClassifiesFilesByTheirFirstBytes) {
  test::TempDir dir;
  dir.Write("small", Bytes(100, 'x'));
  Bytes header = test::V9t9File(test::DisVarFile("EMPTYFILE", 80, {}));
  header.resize(128);
  header[14] = header[15] = 0;  // a TI file with 0 data sectors
  dir.Write("zero", header);
  const Bytes image = test::DiskBuilder::Sssd("VOL").Build();
  dir.Write("disk.dsk", Bytes(image.begin(), image.begin() + 256));  // a VIB alone is enough
  dir.Write("tifiles", test::TifilesFile(test::ProgramFile("PROG", Bytes(300, 1))));
  Bytes unknown = test::V9t9File(test::ProgramFile("ODD", Bytes(10, 0)));
  unknown[12] = 0x81;
  dir.Write("odd", unknown);
  dir.Mkdir("MY.DIR.X");

  PaneState pane = Open(dir.path());
  EXPECT_EQ(pane.locationType, kLocPcDirectory);
  EXPECT_EQ(Row(pane, "small")->kind, kKindDos);
  ASSERT_NE(Row(pane, "zero"), nullptr);
  EXPECT_EQ(Row(pane, "zero")->kind, kKindDisVar);
  EXPECT_EQ(Row(pane, "zero")->totalSectors, 0);
  EXPECT_EQ(Row(pane, "disk.dsk")->kind, kKindDsk);
  EXPECT_EQ(Row(pane, "disk.dsk")->tiName, "VOL       ");
  EXPECT_EQ(Row(pane, "tifiles")->headerKind, kHeaderTifiles);
  EXPECT_EQ(Row(pane, "odd")->kind, kKindDos);
  ASSERT_NE(Row(pane, "MY.DIR.X"), nullptr);
  EXPECT_EQ(Row(pane, "MY.DIR.X")->tiName, "MYDIRX");
  EXPECT_EQ(Row(pane, ".."), nullptr);  // the start directory has no way up
  EXPECT_EQ(Row(pane, "."), nullptr);
}

TEST(ScanDirectory, AStarPatternFiltersByNameIgnoringCase) {
  test::TempDir dir;
  dir.Write("a.dsk", test::DiskBuilder::Sssd("A").Build());
  dir.Write("B.DSK", test::DiskBuilder::Sssd("B").Build());
  dir.Write("notes.txt", Bytes(10, 'x'));
  PaneState pane = Open(dir.path() + "/*.dsk");
  EXPECT_EQ(pane.RowCount(), 2);
  EXPECT_TRUE(WildcardMatch("*.dsk", "B.DSK"));
  EXPECT_TRUE(WildcardMatch("a?c*", "ABCDEF"));
  EXPECT_FALSE(WildcardMatch("*.dsk", "dsk"));
}

TEST(ReadLocation, AMissingPathIsNoLocation) {
  PaneState pane;
  pane.locationPath = "/no/such/place";
  EXPECT_FALSE(ReadLocation(pane));
}

TEST(ReadLocation, APathNamingAFileOpensItAsAFloppyImage) {
  test::TempDir dir;
  const std::string path =
      dir.Write("games.dsk", test::DiskBuilder::Sssd("GAMES").Add(test::DisVarFile("README", 80, {"HI"})).Build());
  PaneState pane = Open(path);
  EXPECT_EQ(pane.locationType, kLocFloppy);
  ASSERT_EQ(pane.RowCount(), 1);  // no ".." row
  EXPECT_EQ(pane.rows[0].tiName, "README    ");
}

TEST(EnterAndLeave, WalkIntoSubdirectoriesImagesAndFloppySubdirectoriesAndBack) {
  test::TempDir dir;
  dir.Mkdir("sub");
  dir.Write("sub/games.dsk", test::DiskBuilder::Dssd("GAMES")
                                 .Add(test::DisVarFile("README", 80, {"HI"}))
                                 .AddSubdir("UTIL", {test::DisVarFile("NOTES", 80, {"IN UTIL"})})
                                 .Build());
  PaneState pane = Open(dir.path());
  pane.rowsPerPage = 10;

  ASSERT_TRUE(EnterRow(pane, IndexOf(pane, "sub")));
  EXPECT_EQ(pane.directoryDepth, 1);
  EXPECT_EQ(pane.locationPath, dir.path() + "/sub");
  ASSERT_NE(Row(pane, ".."), nullptr);
  EXPECT_EQ(pane.rows[0].kind, kKindUprdir);

  ASSERT_TRUE(EnterRow(pane, IndexOf(pane, "GAMES")));
  EXPECT_EQ(pane.locationType, kLocFloppy);
  EXPECT_EQ(pane.containerLevel, 1);
  EXPECT_EQ(pane.locationPath, dir.path() + "/sub/games.dsk");
  EXPECT_EQ(pane.rows[0].kind, kKindUprdir);
  EXPECT_EQ(pane.rows[1].kind, kKindSubdir);
  EXPECT_EQ(pane.rows[1].tiName, "UTIL      ");

  pane.cursor = 1;
  ASSERT_TRUE(EnterRow(pane, 1));
  EXPECT_EQ(pane.containerLevel, 2);
  EXPECT_EQ(pane.innerName, "UTIL");
  ASSERT_NE(Row(pane, "NOTES"), nullptr);
  EXPECT_EQ(Row(pane, "NOTES")->sourceName, "games.dsk->UTIL");

  ASSERT_TRUE(Leave(pane));
  EXPECT_EQ(pane.containerLevel, 1);
  EXPECT_EQ(pane.cursor, 1);  // back on the sub-directory row
  ASSERT_TRUE(EnterRow(pane, 0));  // ".." leaves the image
  EXPECT_EQ(pane.locationType, kLocPcDirectory);
  EXPECT_EQ(pane.locationPath, dir.path() + "/sub");
  ASSERT_TRUE(Leave(pane));
  EXPECT_EQ(pane.locationPath, dir.path());
  EXPECT_EQ(pane.directoryDepth, 0);
  EXPECT_FALSE(Leave(pane));  // the start directory is the top
}

TEST(EnterAndLeave, ABadFdirEntryStopsTheListingWithTheDiskError) {
  test::TempDir dir;
  Bytes image = test::DiskBuilder::Sssd("BAD")
                    .Add(test::DisVarFile("A", 80, {"1"}))
                    .Add(test::DisVarFile("B", 80, {"2"}))
                    .Build();
  image[256 + 2] = 0x01;  // second FDIR entry: sector 360 = total sectors
  image[256 + 3] = 0x68;
  const std::string path = dir.Write("bad.dsk", image);
  test::RecordingReporter r;
  PaneState pane = Open(path);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0], "Disk error, filename <" + path + ">\n, fileno <1>, sector <360>");
  EXPECT_EQ(pane.RowCount(), 1);  // the rows read so far stay
}

TEST(EnterAndLeave, AnImageThatIsNoDiskReportsDiskInfo) {
  test::TempDir dir;
  const std::string path = dir.Write("junk.dsk", Bytes(1024, 0x55));
  test::RecordingReporter r;
  PaneState pane = Open(path);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0], "Can't read diskinfo from diskfile <" + path + ">");
  EXPECT_EQ(LastErrorCode(), 9);
}

TEST(EnterAndLeave, UnreadableFdrsBecomeUnknownRowsAndInvalidNamesToo) {
  test::TempDir dir;
  Bytes image = test::DiskBuilder::Sssd("ODD").Add(test::DisVarFile("GOOD", 80, {"1"})).Build();
  image[2 * 256 + 12] = 0x83;  // flags that decode to no kind
  PaneState pane = Open(dir.Write("odd.dsk", image));
  ASSERT_EQ(pane.RowCount(), 1);
  EXPECT_EQ(pane.rows[0].kind, kKindUnknown);
}

TEST(Refresh, ReReadsAndClampsTheCursor) {
  test::TempDir dir;
  dir.Write("a", Bytes(10, 'a'));
  dir.Write("b", Bytes(10, 'b'));
  PaneState pane = Open(dir.path());
  pane.cursor = 1;
  std::remove((dir.path() + "/b").c_str());
  ASSERT_TRUE(Refresh(pane));
  EXPECT_EQ(pane.RowCount(), 1);
  EXPECT_EQ(pane.cursor, 0);
}

TEST(ScanDirectory, SkipsANamedPipeInsteadOfWaitingForAWriter) {
  test::TempDir dir;
  dir.Write("a.dsk", test::DiskBuilder::Sssd("A").Build());
  dir.Write("notes.txt", Bytes(10, 'x'));
  const std::string pipe = dir.path() + "/pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  // A reader that blocks in open() is let go by opening the pipe for
  // writing, so that a failure fails the test instead of hanging it.
  auto finishes = [&](auto work) {
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready) {
      done.get();
      return true;
    }
    const int writer = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    done.wait();
    if (writer >= 0) close(writer);
    return false;
  };

  PaneState pane;
  pane.locationPath = dir.path();
  EXPECT_TRUE(finishes([&] { return ReadLocation(pane); }));
  EXPECT_EQ(pane.RowCount(), 2);
  EXPECT_NE(Row(pane, "a.dsk"), nullptr);
  EXPECT_NE(Row(pane, "notes.txt"), nullptr);
  EXPECT_EQ(Row(pane, "pipe"), nullptr);
  // Asked for by name, the pipe is opened without waiting and is no TI file.
  CatalogEntry row;
  EXPECT_TRUE(finishes([&] { return ClassifyPcFile(dir.path(), "pipe", row); }));
  EXPECT_FALSE(IsTiFileKind(row.kind));
}

// Takes away, while it lives, this thread's power to read past permission
// bits (tests run as root, which reads a directory of mode 000).
class WithoutDacOverride {
 public:
  WithoutDacOverride() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
    reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = syscall(SYS_capset, &header_, reduced) == 0;
  }
  ~WithoutDacOverride() {
    if (active_) syscall(SYS_capset, &header_, saved_);
  }
  WithoutDacOverride(const WithoutDacOverride&) = delete;
  WithoutDacOverride& operator=(const WithoutDacOverride&) = delete;

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
};

bool CanOpenDirectory(const std::string& path) {
  DIR* d = opendir(path.c_str());
  if (d) closedir(d);
  return d != nullptr;
}

TEST(EnterAndLeave, AnUnreadableDirectoryIsReportedOnceWhenEnteredLeftOrRefreshed) {
  test::TempDir dir;
  const std::string locked = dir.Mkdir("locked");
  const std::string outer = dir.Mkdir("outer");
  dir.Mkdir("outer/inner");
  PaneState pane = Open(dir.path());
  WithoutDacOverride noOverride;
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  if (CanOpenDirectory(locked)) {
    chmod(locked.c_str(), 0700);
    GTEST_SKIP() << "a directory of mode 000 can still be read here";
  }
  const std::string denied = "\n\n" + std::string(strerror(EACCES));
  test::RecordingReporter r;

  EXPECT_FALSE(EnterRow(pane, IndexOf(pane, "locked")));
  EXPECT_EQ(r.errors, std::vector<std::string>{"Can't read file or directory <" + locked + ">" + denied});
  EXPECT_EQ(pane.locationPath, dir.path());
  EXPECT_EQ(pane.directoryDepth, 0);

  ASSERT_TRUE(EnterRow(pane, IndexOf(pane, "outer")));
  ASSERT_EQ(chmod(outer.c_str(), 0), 0);
  r.errors.clear();
  EXPECT_FALSE(Refresh(pane));
  EXPECT_EQ(r.errors, std::vector<std::string>{"Can't read file or directory <" + outer + ">" + denied});

  ASSERT_EQ(chmod(outer.c_str(), 0700), 0);
  ASSERT_TRUE(Refresh(pane));
  ASSERT_TRUE(EnterRow(pane, IndexOf(pane, "inner")));
  ASSERT_EQ(chmod(outer.c_str(), 0), 0);
  r.errors.clear();
  EXPECT_FALSE(Leave(pane));
  EXPECT_EQ(r.errors, std::vector<std::string>{"Can't read file or directory <" + outer + ">" + denied});

  // A directory that is gone is reported once too, with the system's text.
  ASSERT_EQ(chmod(outer.c_str(), 0700), 0);
  ASSERT_EQ(chmod(locked.c_str(), 0700), 0);
  PaneState gone = Open(dir.path());
  ASSERT_TRUE(EnterRow(gone, IndexOf(gone, "locked")));
  ASSERT_EQ(rmdir(locked.c_str()), 0);
  r.errors.clear();
  EXPECT_FALSE(Refresh(gone));
  EXPECT_EQ(r.errors, std::vector<std::string>{"Can't read file or directory <" + locked + ">\n\n" +
                                               std::string(strerror(ENOENT))});
}

TEST(Corpus, ListsImagesWrittenByOtherTools) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder not present: " << corpus;
  struct Expect {
    const char* image;
    const char* file;
    uint16_t kind;
    uint16_t sectors;
    uint16_t recordLength;
    bool isProtected;
  };
  const Expect cases[] = {
      {"xdt99/recsdis.dsk", "F129", kKindDisFix, 10, 129, false},
      {"xdt99/recsint.dsk", "INTVAR128V", kKindIntVar, 6, 128, false},
      {"xdt99/frag.dsk", "F1", kKindDisVar, 7, 127, false},
      {"xdt99/basic1.dsk", "COMMENTS", kKindProgram, 3, 578, false},
      {"xdt99/tidsdd.dsk", "TEXT", kKindDisVar, 1, 80, false},
      {"classic99/XB27.dsk", "LOAD", kKindProgram, 4, 1009, true},
      {"classic99/ASM-LNK.DSK", "PASCAL", kKindDisFix, 357, 128, false},
  };
  for (const Expect& e : cases) {
    PaneState pane = Open(corpus + "/" + e.image);
    const CatalogEntry* row = Row(pane, e.file);
    ASSERT_NE(row, nullptr) << e.image << " " << e.file;
    EXPECT_EQ(row->kind, e.kind) << e.image;
    EXPECT_EQ(row->totalSectors, e.sectors) << e.image;
    EXPECT_EQ(row->recordLength, e.recordLength) << e.image;
    EXPECT_EQ((row->statusFlags & 0x08) != 0, e.isProtected) << e.image;
  }
}

TEST(Corpus, ClassifiesTiFilesWithEachHeaderKind) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder not present: " << corpus;
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(corpus + "/xdt99", "V64V.tfi", row));
  EXPECT_EQ(row.headerKind, kHeaderTifiles);
  EXPECT_EQ(row.kind, kKindDisVar);
  EXPECT_EQ(row.recordLength, 64);
  ASSERT_TRUE(ClassifyPcFile(corpus + "/xdt99", "V64V.v9t9", row));
  EXPECT_EQ(row.headerKind, kHeaderV9t9);
  ASSERT_TRUE(ClassifyPcFile(corpus + "/classic99", "HELLO", row));
  EXPECT_EQ(row.kind, kKindProgram);
  EXPECT_EQ(row.tiName, "HELLO     ");  // nameless header: the PC name
  ASSERT_TRUE(ClassifyPcFile(corpus + "/xdt99", "prog00255.tfi", row));
  EXPECT_EQ(row.recordLength, 255);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(EnterRow, AGifInADisFix128FileIsWrittenForThePictureViewerNotOpenedAsAnArchive) {
  test::TempDir dir;
  test::TiFile gif = test::DisFixFile("PIC", 128, {"GIF89a picture bytes", "more"});
  dir.Write("pic.tfi", test::TifilesFile(gif));
  GetNameSettings().picViewer.clear();  // nothing to start: only the file is written

  test::RecordingReporter r;
  PaneState pane = Open(dir.path());
  const int index = IndexOf(pane, "PIC");
  ASSERT_GE(index, 0);
  EXPECT_FALSE(EnterRow(pane, index));
  EXPECT_EQ(pane.locationType, kLocPcDirectory);
  EXPECT_TRUE(r.errors.empty()) << r.errors[0];
  const Bytes written = test::ReadFile(ScratchGifFile());
  ASSERT_GE(written.size(), 6u);
  EXPECT_EQ(std::string(written.begin(), written.begin() + 6), "GIF89a");
}

TEST(EnterRow, ADisFix128FileWithoutAGifIsOpenedAsAPlainArchive) {
  test::TempDir dir;
  dir.Write("text.tfi", test::TifilesFile(test::DisFixFile("TEXT", 128, {"JUST TEXT", "AND MORE", "ON A SECOND SECTOR"})));
  PaneState pane = Open(dir.path());
  EXPECT_TRUE(EnterRow(pane, IndexOf(pane, "TEXT")));
  EXPECT_EQ(pane.locationType, kLocArchive);
}

}  // namespace
}  // namespace korvane
