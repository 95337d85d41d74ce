#include <gtest/gtest.h>

#include "archive/arc_directory.h"
#include "archive/arc_extract.h"
#include "archive/arc_pane.h"
#include "catalog/header.h"
#include "fileops/export.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "platform/paths.h"
#include "support/arc_builder.h"
#include "support/disk_builder.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::TiFile;

std::vector<TiFile> Members() {
  TiFile prog = test::ProgramFile("LOADER", Bytes(1000, 0x5A));
  TiFile var = test::DisVarFile("NOTES", 80, {"first line", "", "a much longer third line of text"});
  var.level3 = 0x0102;  // tells the two byte orders apart
  TiFile fix = test::DisFixFile("TABLE", 64, {"one", "two", "three", "four", "five"});
  TiFile empty = test::DisFixFile("EMPTY", 80, {});
  empty.data.clear();
  TiFile big = test::ProgramFile("BIGONE", Bytes(30 * 256, 0));
  for (size_t i = 0; i < big.data.size(); ++i) big.data[i] = static_cast<uint8_t>(i * 31 / 7);
  return {prog, var, fix, empty, big};
}

class Archives : public testing::TestWithParam<bool> {
 protected:
  bool compressed() const { return GetParam(); }
  // The archive kept as a PC file with a V9T9 header, listed in its folder.
  int PlaceArchive(PaneState& pane, const std::vector<TiFile>& members, const char* pcName = "MYARC") {
    dir_.Write(pcName, test::V9t9File(test::ArchiveFile("MYARC", members, compressed())));
    pane.locationPath = dir_.path();
    EXPECT_TRUE(ReadLocation(pane));
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == pcName) return i;
    return -1;
  }
  test::TempDir dir_;
  test::RecordingReporter reporter_;
};

TEST_P(Archives, ListMembersWithTheirAttributesAndByteOrder) {
  PaneState pane;
  const int row = PlaceArchive(pane, Members());
  ASSERT_GE(row, 0);
  EXPECT_EQ(pane.rows[static_cast<size_t>(row)].kind, compressed() ? kKindIntFix : kKindDisFix);
  ASSERT_TRUE(EnterRow(pane, row));
  EXPECT_EQ(pane.locationType, kLocArchive);
  ASSERT_EQ(pane.RowCount(), 6);  // ".." and five members
  EXPECT_EQ(pane.rows[0].kind, kKindUprdir);
  const std::vector<TiFile> members = Members();
  for (const TiFile& m : members) {
    const auto it = std::find_if(pane.rows.begin(), pane.rows.end(),
                                 [&](const CatalogEntry& r) { return TrimTiName(r.tiName) == m.name; });
    ASSERT_NE(it, pane.rows.end()) << m.name;
    EXPECT_TRUE(it->archiveMember);
    EXPECT_EQ(it->archiveCompressed, compressed());
    EXPECT_EQ(it->headerKind, kHeaderV9t9);
    EXPECT_EQ(it->totalSectors, m.Sectors());
    EXPECT_EQ(it->level3Records, m.level3) << m.name;
    EXPECT_EQ(it->sourceName, "MYARC");
  }
  const auto notes = std::find_if(pane.rows.begin(), pane.rows.end(),
                                  [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "NOTES"; });
  EXPECT_EQ(notes->kind, kKindDisVar);
  EXPECT_EQ(notes->level3Records, 0x0102);
  EXPECT_TRUE(reporter_.errors.empty());

  // A member is no archive of its own; ".." leads back to the folder.
  const auto table = std::find_if(pane.rows.begin(), pane.rows.end(),
                                  [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "TABLE"; });
  CatalogEntry arked = *table;
  arked.recordLength = 128;
  EXPECT_FALSE(OpenArchiveInPane(pane, arked, true));
  ASSERT_EQ(reporter_.errors.size(), 1u);
  EXPECT_EQ(reporter_.errors[0], "Can't unark arked archive, first extract <TABLE>");
  ASSERT_TRUE(EnterRow(pane, 0));
  EXPECT_EQ(pane.locationType, kLocPcDirectory);
  EXPECT_EQ(pane.locationPath, dir_.path());
}

TEST_P(Archives, ExtractEveryMemberByteForByteInBothHeaderForms) {
  const std::vector<TiFile> members = Members();
  PaneState pane;
  ASSERT_TRUE(EnterRow(pane, PlaceArchive(pane, members)));
  struct ResetSetting {
    ~ResetSetting() { GetNameSettings().extractTifiles = false; }
  } reset;
  for (bool tifiles : {false, true}) {
    GetNameSettings().extractTifiles = tifiles;
    for (const CatalogEntry& row : pane.rows) {
      if (row.kind == kKindUprdir) continue;
      const TiFile& m = *std::find_if(members.begin(), members.end(), [&](const TiFile& f) { return f.name == TrimTiName(row.tiName); });
      const std::string out = dir_.path() + "/out";
      ASSERT_TRUE(ExtractArchiveMember(pane, row, out)) << m.name;
      const Bytes got = test::ReadFile(out);
      if (!tifiles) {
        EXPECT_EQ(got, test::V9t9File(m)) << m.name;
      } else {
        ASSERT_EQ(got.size(), 128 + size_t{m.Sectors()} * 256);
        EXPECT_TRUE(HasTifilesMagic(ByteView(got.data(), got.size())));
        EXPECT_EQ(got[8] * 256 + got[9], m.Sectors());
        const Bytes v9t9 = test::V9t9File(m);
        EXPECT_EQ(Bytes(got.begin() + 128, got.end()), Bytes(v9t9.begin() + 128, v9t9.end()));
      }
    }
  }
  GetNameSettings().extractTifiles = false;
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_P(Archives, ViewsAndCopiesTakeMembersThroughTheExtractor) {
  const std::vector<TiFile> members = Members();
  PaneState pane;
  ASSERT_TRUE(EnterRow(pane, PlaceArchive(pane, members)));
  std::string pcPath;
  ASSERT_TRUE(TiFileAsPcFile(pane, pane.rows[1], pcPath));
  EXPECT_EQ(pcPath, ScratchTiFile());
  const auto m = std::find_if(members.begin(), members.end(),
                              [&](const TiFile& f) { return f.name == TrimTiName(pane.rows[1].tiName); });
  EXPECT_EQ(test::ReadFile(pcPath), test::V9t9File(*m));

  PaneState dest;
  dest.locationPath = dir_.Mkdir("copies");
  ASSERT_TRUE(ReadLocation(dest));
  for (CatalogEntry& r : pane.rows) r.marked = r.kind != kKindUprdir;
  CopyRows(pane, dest, NoProgress());
  for (const TiFile& f : members) EXPECT_EQ(test::ReadFile(dest.locationPath + "/" + f.name), test::V9t9File(f)) << f.name;
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_P(Archives, ATruncatedArchiveIsReportedAndTheMemberKeepsItsSizeAndWhatWasThere) {
  const std::vector<TiFile> members = Members();
  Bytes file = test::V9t9File(test::ArchiveFile("MYARC", members, compressed()));
  PaneState pane;
  ASSERT_TRUE(EnterRow(pane, PlaceArchive(pane, members)));
  const CatalogEntry big = *std::find_if(pane.rows.begin(), pane.rows.end(),
                                         [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "BIGONE"; });
  // Cut inside the last member: 20 sectors and a bit of a plain archive, the
  // second half of a compressed stream.
  file.resize(compressed() ? 128 + (file.size() - 128) / 2 : file.size() - 20 * 256 - 77);
  ASSERT_TRUE(WriteWholeFile(pane.locationPath, file));
  const std::string out = dir_.path() + "/big.out";
  EXPECT_FALSE(ExtractArchiveMember(pane, big, out));
  ASSERT_EQ(reporter_.errors.size(), 1u);
  EXPECT_NE(reporter_.errors[0].find("<" + pane.locationPath + ">"), std::string::npos) << reporter_.errors[0];
  const Bytes got = test::ReadFile(out);
  const Bytes want = test::V9t9File(members[4]);
  ASSERT_EQ(got.size(), want.size());
  EXPECT_EQ(Bytes(got.begin(), got.begin() + 128 + 5 * 256), Bytes(want.begin(), want.begin() + 128 + 5 * 256));
}

TEST_P(Archives, FifteenMembersSpanTwoDirectoryBlocks) {
  std::vector<TiFile> members;
  for (int i = 0; i < 15; ++i) members.push_back(test::ProgramFile("P" + std::to_string(i), Bytes(300, static_cast<uint8_t>(i))));
  PaneState pane;
  ASSERT_TRUE(EnterRow(pane, PlaceArchive(pane, members)));
  ASSERT_EQ(pane.RowCount(), 16);
  const CatalogEntry last = *std::find_if(pane.rows.begin(), pane.rows.end(),
                                          [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "P14"; });
  EXPECT_EQ(last.archiveIndex, 14);
  ASSERT_TRUE(ExtractArchiveMember(pane, last, dir_.path() + "/p14"));
  EXPECT_EQ(test::ReadFile(dir_.path() + "/p14"), test::V9t9File(members[14]));
}

TEST_P(Archives, AnArchiveInsideADiskOpensThroughTheScratchFileAndLeavesBackToTheFolder) {
  const std::string scratch = dir_.Mkdir("tmp");
  struct Env {
    explicit Env(const std::string& dir) { setenv("TMPDIR", dir.c_str(), 1); }
    ~Env() { unsetenv("TMPDIR"); }
  } env(scratch);
  const Bytes disk = test::DiskBuilder::Dssd("HOLDER").Add(test::ArchiveFile("INNER", Members(), compressed())).Build();
  dir_.Write("holder.dsk", disk);
  PaneState pane;
  pane.locationPath = dir_.path();
  ASSERT_TRUE(ReadLocation(pane));
  const int holder = pane.rows[0].sourceName == "holder.dsk" ? 0 : 1;
  ASSERT_TRUE(EnterRow(pane, holder));
  ASSERT_EQ(pane.locationType, kLocFloppy);
  const int arc = pane.rows[0].kind == kKindUprdir ? 1 : 0;
  ASSERT_TRUE(EnterRow(pane, arc));
  EXPECT_EQ(pane.locationType, kLocArchive);
  EXPECT_EQ(pane.locationPath, ScratchArchiveFile());
  EXPECT_TRUE(pane.containerInContainer);
  EXPECT_EQ(pane.RowCount(), 6);
  const CatalogEntry notes = *std::find_if(pane.rows.begin(), pane.rows.end(),
                                           [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "NOTES"; });
  ASSERT_TRUE(ExtractArchiveMember(pane, notes, dir_.path() + "/notes"));
  EXPECT_EQ(test::ReadFile(dir_.path() + "/notes"), test::V9t9File(Members()[1]));
  ASSERT_TRUE(Leave(pane));
  EXPECT_EQ(pane.locationType, kLocPcDirectory);
  EXPECT_EQ(pane.locationPath, dir_.path());
  EXPECT_FALSE(pane.containerInContainer);
  EXPECT_TRUE(reporter_.errors.empty());

  // A failed export leaves no earlier archive in the scratch file for the
  // pane to list, and the pane where it was.
  ASSERT_TRUE(EnterRow(pane, holder));
  CatalogEntry broken = pane.rows[static_cast<size_t>(arc)];
  broken.fdrSector = 5000;
  EXPECT_FALSE(OpenArchiveInPane(pane, broken, true));
  EXPECT_EQ(pane.locationType, kLocFloppy);
  EXPECT_FALSE(PathExists(ScratchArchiveFile()));
  EXPECT_EQ(reporter_.errors.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Forms, Archives, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

TEST(ArchiveDirectory, PlainDataIsReadFromSectorOneAfterASingleBlock) {
  const std::vector<TiFile> members = Members();
  const Bytes contents = test::ArchiveContents(members, false);
  ArchiveMemoryInput input(ByteView(contents.data(), contents.size()));
  ArchiveDirectory dir;
  ASSERT_TRUE(ReadPlainDirectory(input, dir));
  EXPECT_EQ(dir.directoryBlocks, 1u);
  EXPECT_EQ(dir.entries.size(), members.size());
  // The first member's data starts at sector 1.
  EXPECT_EQ(contents[256], members[0].data[0]);
}

TEST(ArchiveDirectory, APictureAndAStreamWithoutClearAreNoArchives) {
  test::TempDir dir;
  test::RecordingReporter reporter;
  TiFile gif = test::DisFixFile("PICTURE", 128, {"GIF89a....", "x", "on a second sector"});
  // Inside an image a GIF row goes straight to the archive reader, which refuses it.
  const std::string image = dir.Write("pics.dsk", test::DiskBuilder::Sssd("PICS").Add(gif).Build());
  TiFile bad = test::ArchiveFile("BAD", Members(), true);
  bad.data[0] = 0x81;
  dir.Write("BAD", test::V9t9File(bad));
  PaneState pane;
  pane.locationPath = image;
  ASSERT_TRUE(ReadLocation(pane));
  ASSERT_EQ(pane.RowCount(), 1);
  EnterRow(pane, 0);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0].rfind("Not an archive <", 0), 0u) << reporter.errors[0];

  pane = PaneState{};
  pane.locationPath = dir.path();
  ASSERT_TRUE(ReadLocation(pane));
  int badRow = -1;
  for (int i = 0; i < pane.RowCount(); ++i)
    if (pane.rows[static_cast<size_t>(i)].sourceName == "BAD") badRow = i;
  ASSERT_GE(badRow, 0);
  ASSERT_TRUE(EnterRow(pane, badRow));
  EXPECT_EQ(reporter.errors.size(), 1u) << reporter.errors.back();  // no message, no members
  EXPECT_EQ(pane.RowCount(), 1);
}

// Archives made by TI-99 archivers: every member extracts without a fault.
TEST(ArchiveCorpus, RealArchivesListAndExtractCleanly) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  test::RecordingReporter reporter;
  test::TempDir out;
  for (const char* file : {"classic99/JUWEL99ARC", "xdt99/archive.tfi"}) {
    const std::string path = corpus + "/" + file;
    CatalogEntry row;
    ASSERT_TRUE(ClassifyPcFile(ParentPath(path), LastComponent(path), row));
    ASSERT_TRUE(CanOpenAsArchive(row)) << file;
    FileList members;
    ASSERT_TRUE(ReadArchiveMembers(path, row, row.sourceName, members)) << file;
    ASSERT_FALSE(members.empty()) << file;
    for (const CatalogEntry& m : members) {
      EXPECT_TRUE(IsTiFileKind(m.kind)) << file << " " << m.tiName;
      const std::string dest = out.path() + "/m";
      ASSERT_TRUE(ExtractArchiveMember(path, m, dest)) << file << " " << m.tiName;
      EXPECT_EQ(test::ReadFile(dest).size(), 128 + size_t{m.totalSectors} * 256);
    }
  }
  EXPECT_TRUE(reporter.errors.empty()) << reporter.errors.front();
}

// arkb.dsk holds an archive of the very files that lie beside it on the
// disk: each member must come out as the disk's file does.
TEST(ArchiveCorpus, AnArchiveInsideARealDiskExtractsTheFilesBesideIt) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  test::RecordingReporter reporter;
  test::TempDir dir;
  const std::string scratch = dir.Mkdir("tmp");
  setenv("TMPDIR", scratch.c_str(), 1);
  PaneState disk;
  disk.locationPath = corpus + "/xdt99/arkb.dsk";
  ASSERT_TRUE(ReadLocation(disk));
  PaneState archive = disk;
  const auto bark = std::find_if(archive.rows.begin(), archive.rows.end(),
                                 [](const CatalogEntry& r) { return TrimTiName(r.tiName) == "BARK"; });
  ASSERT_NE(bark, archive.rows.end());
  ASSERT_TRUE(EnterRow(archive, static_cast<int>(bark - archive.rows.begin())));
  unsetenv("TMPDIR");
  int compared = 0;
  for (const CatalogEntry& m : archive.rows) {
    if (m.kind == kKindUprdir) continue;
    const auto same = std::find_if(disk.rows.begin(), disk.rows.end(),
                                   [&](const CatalogEntry& r) { return r.tiName == m.tiName; });
    ASSERT_NE(same, disk.rows.end()) << m.tiName;
    ASSERT_TRUE(ExtractArchiveMember(archive, m, dir.path() + "/member"));
    ASSERT_TRUE(ExportTiFile(disk, *same, dir.path() + "/file", false));
    const Bytes a = test::ReadFile(dir.path() + "/member"), b = test::ReadFile(dir.path() + "/file");
    ASSERT_EQ(a.size(), b.size()) << m.tiName;
    // Bytes 20-27 of an FDR hold dates that an archive does not keep.
    EXPECT_TRUE(std::equal(a.begin(), a.begin() + 20, b.begin())) << m.tiName;
    // The archiver keeps the records; the unused tail of a fixed-record
    // sector (E5h on the disk) is not part of them.
    const bool fixed = m.kind == kKindDisFix || m.kind == kKindIntFix;
    const size_t used = fixed ? size_t{m.recordsPerSector} * m.recordLength : 256;
    for (size_t at = 128; at < a.size(); at += 256)
      EXPECT_TRUE(std::equal(a.begin() + at, a.begin() + at + used, b.begin() + at)) << m.tiName << " at " << at;
    ++compared;
  }
  EXPECT_EQ(compared, 6);
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
