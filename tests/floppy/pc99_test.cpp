#include "floppy/pc99.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "fileops/export.h"
#include "fileops/locations.h"
#include "floppy/pc99_convert.h"
#include "floppy/pc99_layout.h"
#include "floppy/pc99_lister.h"
#include "support/disk_builder.h"
#include "support/imgtool_check.h"
#include "support/pc99_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::Pc99Options;

// A sector image whose every sector carries its own number, so that a sector
// read from the wrong place is seen at once.
Bytes NumberedImage(test::DiskBuilder builder, uint32_t total) {
  Bytes image = builder.Build();
  image.resize(size_t{total} * 256, 0);
  for (uint32_t s = 2; s < total; ++s) {
    if (image[size_t{s} * 256] != 0xE5 && image[size_t{s} * 256] != 0) continue;  // keep FDRs and data
    image[size_t{s} * 256] = static_cast<uint8_t>(s >> 8);
    image[size_t{s} * 256 + 1] = static_cast<uint8_t>(s);
  }
  return image;
}

Bytes SectorOf(const Bytes& image, uint32_t s) {
  return Bytes(image.begin() + s * 256, image.begin() + s * 256 + 256);
}

struct Geometry {
  const char* name;
  bool mfm;
  uint16_t total;
  uint8_t spt, tracks, sides, density;
  bool interleave;
};

class Pc99Locate : public testing::TestWithParam<Geometry> {};

TEST_P(Pc99Locate, EverySectorIsFoundWhereverItLiesOnItsTrack) {
  const Geometry g = GetParam();
  const Bytes image =
      NumberedImage(test::DiskBuilder("GEOM", g.total, g.spt, g.tracks, g.sides, g.density), g.total);
  Pc99Options o;
  o.mfm = g.mfm;
  o.sectorsPerTrack = g.spt;
  o.tracksPerSide = g.tracks;
  o.sides = g.sides;
  if (g.interleave) o.interleave = test::TiInterleave(g.mfm);
  test::TempDir dir;
  const std::string path = dir.Write("disk.pc99", test::BuildPc99(image, o));

  test::RecordingReporter reporter;
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  Pc99Sectors sectors(file, path, DefaultPc99Geometry(g.mfm ? kKindPc99Dd : kKindPc99Sd));
  Sector vib;
  DiskSummary summary;
  ASSERT_TRUE(sectors.ReadVib(vib, summary));
  EXPECT_EQ(summary.totalSectors, g.total);
  Sector sector;
  for (uint32_t s = 0; s < g.total; ++s) {
    ASSERT_TRUE(sectors.ReadSector(s, sector)) << s;
    ASSERT_EQ(Bytes(sector.begin(), sector.end()), SectorOf(image, s)) << "sector " << s;
  }
  // The stand-alone locator agrees and returns the whole record.
  Pc99Record record;
  const uint32_t last = g.total - 1u;
  ASSERT_TRUE(LocatePc99Sector(sectors.Geometry(), file, last, record, &path));
  Pc99SectorData(record, sectors.Geometry().kind, sector);
  EXPECT_EQ(Bytes(sector.begin(), sector.end()), SectorOf(image, last));
  EXPECT_EQ(record[Pc99Layout(sectors.Geometry().kind).idMark], 0xFE);
  EXPECT_TRUE(reporter.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Densities, Pc99Locate,
                         testing::Values(Geometry{"SssdFm", false, 360, 9, 40, 1, 1, false},
                                         Geometry{"SssdFmInterleaved", false, 360, 9, 40, 1, 1, true},
                                         Geometry{"DssdFm", false, 720, 9, 40, 2, 1, true},
                                         Geometry{"DsddMfm", true, 1440, 18, 40, 2, 2, true},
                                         Geometry{"Dssd80Fm", false, 1440, 9, 80, 2, 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Pc99TrackIndex, SideOneTracksRunInwardFromTheLastTrack) {
  Pc99Geometry g = DefaultPc99Geometry(kKindPc99Sd);
  g.tracksPerSide = 40;
  EXPECT_EQ(Pc99TrackIndex(g, 360 / 9), 79);  // logical sector 360
  EXPECT_EQ(Pc99TrackIndex(g, 719 / 9), 40);  // logical sector 719
  EXPECT_EQ(Pc99TrackIndex(g, 39), 39);
  EXPECT_EQ(Pc99TrackIndex(g, 80), -1);       // past both sides
  g.tracksPerSide = 0;                         // before the VIB: all on side 0
  EXPECT_EQ(Pc99TrackIndex(g, 50), 50);
}

TEST(Pc99Locate, MissingRecordsAndShortFilesAreNotFoundAndOnlyReportedWithAPath) {
  const Bytes image = NumberedImage(test::DiskBuilder::Sssd("MISS"), 360);
  Pc99Options o;
  o.missing = {20};
  test::TempDir dir;
  Bytes pc99 = test::BuildPc99(image, o);
  pc99.resize(pc99.size() - 3253 + 16 + 334 * 3 + 100);  // the last track holds three whole records
  const std::string path = dir.Write("miss.pc99", pc99);

  test::RecordingReporter reporter;
  PcFile file;
  ASSERT_TRUE(file.Open(path, PcFile::Mode::Read));
  Pc99Geometry g = DefaultPc99Geometry(kKindPc99Sd);
  g.tracksPerSide = 40;
  Pc99Record record;
  EXPECT_FALSE(LocatePc99Sector(g, file, 20, record, nullptr));
  EXPECT_TRUE(reporter.errors.empty());
  EXPECT_FALSE(LocatePc99Sector(g, file, 20, record, &path));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <20> from <" + path + ">");
  EXPECT_TRUE(LocatePc99Sector(g, file, 39 * 9 + 2, record, nullptr));   // third record: whole
  EXPECT_FALSE(LocatePc99Sector(g, file, 39 * 9 + 3, record, nullptr));  // fourth: cut off
}

class Pc99Files : public testing::Test {
 protected:
  static std::vector<test::TiFile> DiskFiles() {
    test::TiFile table = test::DisFixFile("TABLE", 64, {"a", "b", "c", "d", "e", "f", "g"});
    table.fragments = {1, 1};
    return {test::DisVarFile("NOTES", 80, {"first line", "", "third"}), test::ProgramFile("LOADER", Bytes(700, 0x42)),
            table};
  }
  Bytes MakeDisk() {
    test::DiskBuilder disk = test::DiskBuilder::Dssd("TRACKS");
    for (const test::TiFile& f : DiskFiles()) disk.Add(f);
    return disk.Build();
  }
  test::TempDir dir_;
  test::RecordingReporter reporter_;
};

TEST_F(Pc99Files, ListsTheSameRowsAsTheSectorImageAndRecognisesTheDensity) {
  const Bytes disk = MakeDisk();
  Pc99Options o;
  o.sides = 2;
  o.interleave = test::TiInterleave(false);
  dir_.Write("tracks.pc99", test::BuildPc99(disk, o));
  dir_.Write("sectors.dsk", disk);

  PaneState pc99;
  pc99.locationPath = dir_.path();
  ASSERT_TRUE(ReadLocation(pc99));
  PaneState dsk = pc99;
  const int pcRow = [&] {
    for (int i = 0; i < pc99.RowCount(); ++i)
      if (pc99.rows[static_cast<size_t>(i)].sourceName == "tracks.pc99") return i;
    return -1;
  }();
  ASSERT_GE(pcRow, 0);
  EXPECT_EQ(pc99.rows[static_cast<size_t>(pcRow)].kind, kKindPc99Sd);
  EXPECT_EQ(pc99.rows[static_cast<size_t>(pcRow)].disk.total, 720);
  ASSERT_TRUE(EnterRow(pc99, pcRow));
  EXPECT_EQ(pc99.locationType, kLocPc99);
  EXPECT_EQ(pc99.containerLevel, 1);

  ASSERT_TRUE(EnterRow(dsk, pcRow == 0 ? 1 : 0));  // the other row: sectors.dsk
  ASSERT_EQ(dsk.locationType, kLocFloppy);
  ASSERT_EQ(pc99.RowCount(), dsk.RowCount());
  for (size_t i = 0; i < dsk.rows.size(); ++i) {
    const CatalogEntry& a = pc99.rows[i];
    const CatalogEntry& b = dsk.rows[i];
    EXPECT_EQ(a.tiName, b.tiName);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.totalSectors, b.totalSectors);
    EXPECT_EQ(a.recordLength, b.recordLength);
    EXPECT_EQ(a.fdrSector, b.fdrSector);
    if (a.kind != kKindUprdir) {
      EXPECT_EQ(a.containerKind, kKindPc99Sd);
      EXPECT_EQ(a.sourceName, "tracks.pc99");
      EXPECT_EQ(a.containerTracks, 40);
      EXPECT_EQ(a.containerSectorsPerTrack, 9);
    }
  }
  EXPECT_TRUE(reporter_.errors.empty());

  // Re-reading leaves the pane as it is; ".." leads back to the directory.
  EXPECT_TRUE(Refresh(pc99));
  EXPECT_EQ(pc99.locationType, kLocPc99);
  ASSERT_TRUE(EnterRow(pc99, 0));
  EXPECT_EQ(pc99.locationType, kLocPcDirectory);
  EXPECT_EQ(pc99.locationPath, dir_.path());
}

TEST_F(Pc99Files, FilesExportByteForByteThroughTheSharedSectorAccess) {
  const Bytes disk = MakeDisk();
  Pc99Options o;
  o.mfm = true;
  o.sectorsPerTrack = 18;
  o.sides = 2;
  o.interleave = test::TiInterleave(true);
  const Bytes dsdd = test::DiskBuilder::Dsdd("DOUBLE")
                         .Add(test::DisVarFile("NOTES", 80, {"first line", "", "third"}))
                         .Add(test::ProgramFile("LOADER", Bytes(7000, 0x42)))
                         .Build();
  const std::string path = dir_.Write("dd.pc99", test::BuildPc99(dsdd, o));
  dir_.Write("dd.dsk", dsdd);
  PaneState pc99, dsk;
  pc99.locationPath = path;
  dsk.locationPath = dir_.path() + "/dd.dsk";
  ASSERT_TRUE(ReadLocation(pc99));
  ASSERT_TRUE(ReadLocation(dsk));
  ASSERT_EQ(pc99.RowCount(), 2);
  for (size_t i = 0; i < pc99.rows.size(); ++i) {
    ASSERT_TRUE(ExportTiFile(pc99, pc99.rows[i], dir_.path() + "/a", false));
    ASSERT_TRUE(ExportTiFile(dsk, dsk.rows[i], dir_.path() + "/b", false));
    EXPECT_EQ(test::ReadFile(dir_.path() + "/a"), test::ReadFile(dir_.path() + "/b")) << pc99.rows[i].tiName;
  }
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(Pc99Files, AnFmPatternWithoutADiskVibIsNoImageAndABadIndexEntryStopsTheListing) {
  Bytes disk = MakeDisk();
  Pc99Options o;
  o.sides = 2;
  Bytes noDsk = disk;
  noDsk[13] = 'X';
  dir_.Write("nodsk.pc99", test::BuildPc99(noDsk, o));
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "nodsk.pc99", row));
  EXPECT_NE(row.kind, kKindPc99Sd);

  disk[256 + 2] = 0x03;  // second index entry: sector 0x3xx, past the 720 sectors
  disk[256 + 3] = 0x00;
  const std::string path = dir_.Write("bad.pc99", test::BuildPc99(disk, o));
  PaneState pane;
  pane.locationPath = path;
  ListPc99Image(pane, path, kKindPc99Sd, true);
  ASSERT_EQ(reporter_.errors.size(), 1u);
  EXPECT_EQ(reporter_.errors[0], "Disk error, filename <" + path + ">\n, fileno <1>, sector <768>");
  EXPECT_EQ(pane.RowCount(), 2);  // ".." and the first file stay
}

TEST_F(Pc99Files, FmTracksWhoseGapBytesAreFfAreRecognisedByTheirMarks) {
  Pc99Options o;
  o.sides = 2;
  Bytes tracks = test::BuildPc99(MakeDisk(), o);
  constexpr size_t kFmTrack = 3253, kFmPreamble = 16;
  for (size_t t = 0; t < tracks.size(); t += kFmTrack) std::fill_n(tracks.begin() + t, kFmPreamble, 0xFF);
  const std::string path = dir_.Write("ff.pc99", tracks);
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "ff.pc99", row));
  EXPECT_EQ(row.kind, kKindPc99Sd);
  EXPECT_EQ(row.disk.total, 720);
  PaneState pane;
  pane.locationPath = path;
  ASSERT_TRUE(ReadLocation(pane));
  EXPECT_EQ(pane.locationType, kLocPc99);
  std::vector<std::string> names;
  for (const CatalogEntry& r : pane.rows) names.push_back(r.tiName);
  EXPECT_EQ(names, (std::vector<std::string>{"LOADER    ", "NOTES     ", "TABLE     "}));

  // Every other mark still counts: no ID mark, or a first byte that is
  // neither gap value, and the file is no track image.
  Bytes noId = tracks;
  noId[22] = 0xFF;
  dir_.Write("noid.pc99", noId);
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "noid.pc99", row));
  EXPECT_NE(row.kind, kKindPc99Sd);
  Bytes otherGap = tracks;
  otherGap[0] = 0x55;
  dir_.Write("other.pc99", otherGap);
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "other.pc99", row));
  EXPECT_NE(row.kind, kKindPc99Sd);
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(Pc99Files, ConvertsFmAndMfmImagesBackToTheSameSectors) {
  for (bool mfm : {false, true}) {
    const Bytes disk = mfm ? NumberedImage(test::DiskBuilder::Dsdd("DOUBLE"), 1440) : MakeDisk();
    Pc99Options o;
    o.mfm = mfm;
    o.sectorsPerTrack = mfm ? 18 : 9;
    o.sides = 2;
    o.interleave = test::TiInterleave(mfm);
    dir_.Write("in.pc99", test::BuildPc99(disk, o));
    CatalogEntry row;
    ASSERT_TRUE(ClassifyPcFile(dir_.path(), "in.pc99", row));
    ASSERT_EQ(row.kind, mfm ? kKindPc99Dd : kKindPc99Sd);
    const std::string out = dir_.path() + "/out.dsk";
    ASSERT_TRUE(ConvertPc99ToV9T9(row, dir_.path(), out));
    EXPECT_EQ(test::ReadFile(out), disk) << (mfm ? "MFM" : "FM");
  }
  EXPECT_TRUE(reporter_.errors.empty());
}

TEST_F(Pc99Files, AMissingSectorEndsTheConversionButTheConversionCountsAsDone) {
  const Bytes disk = MakeDisk();
  Pc99Options o;
  o.sides = 2;
  o.missing = {100};
  dir_.Write("hole.pc99", test::BuildPc99(disk, o));
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "hole.pc99", row));
  const std::string out = dir_.path() + "/hole.dsk";
  EXPECT_TRUE(ConvertPc99ToV9T9(row, dir_.path(), out));
  ASSERT_EQ(reporter_.errors.size(), 1u);
  EXPECT_EQ(reporter_.errors[0], "Can't read sector <100> from <" + dir_.path() + "/hole.pc99>");
  EXPECT_EQ(test::ReadFile(out), Bytes(disk.begin(), disk.begin() + 100 * 256));
}

TEST_F(Pc99Files, TheImageIsNeverConvertedOntoItself) {
  Pc99Options o;
  o.sides = 2;
  const Bytes pc99 = test::BuildPc99(MakeDisk(), o);
  dir_.Write("Same.pc99", pc99);
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "Same.pc99", row));
  EXPECT_FALSE(ConvertPc99ToV9T9(row, dir_.path(), dir_.path() + "/SAME.PC99"));
  EXPECT_FALSE(ConvertPc99ToV9T9(row, dir_.path(), dir_.path() + "/./Same.pc99"));
  ASSERT_EQ(reporter_.errors.size(), 2u);
  EXPECT_EQ(reporter_.errors[0],
            "Can't convert PC99 DSK-file to a TI99 DSK-file\nwith the same name in the same directory");
  EXPECT_EQ(test::ReadFile(dir_.path() + "/Same.pc99"), pc99);
}

TEST_F(Pc99Files, TheCommandChecksItsDestinationAndAsksBeforeOverwriting) {
  Pc99Options o;
  o.sides = 2;
  const std::string from = dir_.Mkdir("from");
  const std::string to = dir_.Mkdir("to");
  const Bytes disk = MakeDisk();
  const Bytes pc99 = test::BuildPc99(disk, o);
  for (const char* name : {"a.pc99", "b.pc99", "c.pc99"}) WriteWholeFile(from + "/" + name, pc99);
  WriteWholeFile(to + "/a.pc99", Bytes{1, 2, 3});
  WriteWholeFile(to + "/b.pc99", Bytes{4, 5, 6});

  PaneState source, destination;
  source.locationPath = from;
  destination.locationPath = from;
  ASSERT_TRUE(ReadLocation(source));
  ASSERT_TRUE(ReadLocation(destination));
  EXPECT_FALSE(CheckPc99Conversion(source, destination));
  destination.locationType = kLocFloppy;
  EXPECT_FALSE(CheckPc99Conversion(source, destination));
  ASSERT_EQ(reporter_.errors.size(), 2u);
  EXPECT_EQ(reporter_.errors[0], "Can't convert PC99 images to itself");
  EXPECT_EQ(reporter_.errors[1], "Can only convert PC99 images to a directory");

  destination = PaneState{};
  destination.locationPath = to;
  ASSERT_TRUE(ReadLocation(destination));
  ASSERT_TRUE(CheckPc99Conversion(source, destination));
  for (CatalogEntry& r : source.rows) r.marked = true;
  EXPECT_EQ(Pc99ConversionText(source), "Convert 3 PC99 disks to");

  // "No" for a.pc99 skips it; "All" for b.pc99 holds for the rest of the run.
  reporter_.answers = {Answer::No, Answer::All};
  EXPECT_EQ(RunPc99Conversion(source, destination, NoProgress()), 2);
  ASSERT_EQ(reporter_.questions.size(), 2u);
  EXPECT_EQ(reporter_.questions[0].text, "DSK image <TRACKS> allready exist. Overwrite?");
  // The copy commands' overwrite question, so the desktop program offers All.
  EXPECT_EQ(reporter_.questions[0].caption, "Overwrite file(s)");
  EXPECT_EQ(test::ReadFile(to + "/a.pc99"), (Bytes{1, 2, 3}));
  EXPECT_EQ(test::ReadFile(to + "/b.pc99"), disk);
  EXPECT_EQ(test::ReadFile(to + "/c.pc99"), disk);
  std::vector<test::ExpectedTiFile> files;
  for (const test::TiFile& f : DiskFiles()) files.push_back(test::Expect(f));
  test::ExpectImgtoolReads(to + "/c.pc99", files);
  EXPECT_EQ(source.MarkedCount(), 0);
  EXPECT_EQ(destination.RowCount(), 3);  // re-read after each image

  // Cancel stops the run and leaves the row marked.
  for (CatalogEntry& r : source.rows) r.marked = true;
  reporter_.answers = {Answer::Cancel};
  EXPECT_EQ(RunPc99Conversion(source, destination, NoProgress()), 0);
  EXPECT_EQ(source.MarkedCount(), 3);
}

TEST_F(Pc99Files, TheLayoutListsEachTrackWithItsSectorsInTrackOrder) {
  Pc99Options o;
  o.interleave = test::TiInterleave(false);
  const Bytes disk = test::DiskBuilder::Sssd("LAYOUT").Build();
  dir_.Write("lay.pc99", test::BuildPc99(disk, o));
  CatalogEntry row;
  ASSERT_TRUE(ClassifyPcFile(dir_.path(), "lay.pc99", row));
  std::string text;
  ASSERT_TRUE(Pc99LayoutText(row, dir_.path(), text));
  std::string expected =
      "\tDisklayout of lay.pc99\r\n\r\n\tSide Track Sectors\r\n\t" + std::string(65, '-') + "\r\n";
  for (int t = 0; t < 40; ++t) {
    if (t) expected += "\r\n";
    expected += fmt::sprintf("\t 0   %02d     00 07 05 03 01 08 06 04 02", t);
  }
  EXPECT_EQ(text, expected);

  PaneState pane;
  pane.locationPath = "/disks";
  EXPECT_EQ(Pc99LayoutCaption(pane), "Korvane - /disks");
}

// Real sector images, made on a TI and by other tools, laid into tracks.
TEST(Pc99Corpus, RealDisksListAndConvertBackUnchanged) {
  const std::string corpus = KORVANE_CORPUS_DIR;
  if (!IsDirectory(corpus)) GTEST_SKIP() << "corpus folder " << corpus << " is absent";
  struct Case {
    const char* file;
    bool mfm;
    uint8_t spt, sides;
  };
  test::RecordingReporter reporter;
  for (const Case& c : {Case{"xdt99/tisssd.dsk", false, 9, 1}, Case{"xdt99/tidsdd.dsk", true, 18, 2},
                        Case{"classic99/XB27.dsk", false, 9, 2}}) {
    const Bytes disk = test::ReadFile(corpus + "/" + c.file);
    Pc99Options o;
    o.mfm = c.mfm;
    o.sectorsPerTrack = c.spt;
    o.sides = c.sides;
    o.interleave = test::TiInterleave(c.mfm);
    test::TempDir dir;
    dir.Write("real.pc99", test::BuildPc99(disk, o));
    dir.Write("real.dsk", disk);
    PaneState a, b;
    ASSERT_TRUE(ListPc99Image(a, dir.path() + "/real.pc99", c.mfm ? kKindPc99Dd : kKindPc99Sd, false)) << c.file;
    b.locationPath = dir.path() + "/real.dsk";
    ASSERT_TRUE(ReadLocation(b));
    std::vector<std::string> namesA, namesB;
    for (const auto& r : a.rows) namesA.push_back(r.tiName);
    for (const auto& r : b.rows)
      if (r.kind != kKindSubdir) namesB.push_back(r.tiName);
    EXPECT_EQ(namesA, namesB) << c.file;
    EXPECT_FALSE(namesA.empty());
    CatalogEntry row;
    ASSERT_TRUE(ClassifyPcFile(dir.path(), "real.pc99", row));
    ASSERT_TRUE(ConvertPc99ToV9T9(row, dir.path(), dir.path() + "/back.dsk"));
    EXPECT_EQ(test::ReadFile(dir.path() + "/back.dsk"), disk) << c.file;
  }
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
