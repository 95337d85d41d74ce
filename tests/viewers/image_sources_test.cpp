// Views of files that live inside disk images: they are exported into the
// scratch file first and must show exactly what the same file shows on the PC.
#include <gtest/gtest.h>

#include <cstdlib>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "support/arc_builder.h"
#include "support/basic_builder.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"
#include "viewers/pictures.h"
#include "viewers/view_builder.h"

namespace korvane {
namespace {

int RowByTiName(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i)
    if (TrimTiName(pane.rows[static_cast<size_t>(i)].tiName) == name) return i;
  ADD_FAILURE() << "no row " << name;
  return 0;
}

// The scratch file goes into a temporary directory of the test's own.
class ImageSources : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    setenv("TMPDIR", scratch_.path().c_str(), 1);
  }
  void TearDown() override {
    if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
    else unsetenv("TMPDIR");
  }
  PaneState OpenImage(const std::string& path) {
    PaneState pane;
    pane.locationPath = ParentPath(path);
    EXPECT_TRUE(ReadLocation(pane));
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == LastComponent(path)) {
        EXPECT_TRUE(EnterRow(pane, i));
        break;
      }
    return pane;
  }
  test::TempDir scratch_;
  std::string oldTmp_;
  bool hadTmp_ = false;
};

TEST_F(ImageSources, FilesInAnImage_ViewAndDrawLikeTheirPcCopies) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const std::vector<test::BasicLine> lines = {{10, test::Tok({{0x9D}, test::Unquoted("CLEAR")})}};
  test::TiFile prog = test::ProgramFile("PROG", test::ProgramImageData(lines));
  test::TiFile art = test::ProgramFile("ART_P", test::Bytes(24 * 256, 0xAA));
  test::TiFile colours = test::ProgramFile("ART_C", test::Bytes(24 * 256, 0x61));
  test::TiFile notes = test::DisVarFile("NOTES", 80, {"ONE", "TWO"});
  const std::string image = dir.Write(
      "pics.dsk", test::DiskBuilder::Sssd("PICS").Add(prog).Add(art).Add(colours).Add(notes).Build());
  PaneState pane = OpenImage(image);
  ASSERT_EQ(pane.locationType, kLocFloppy);

  const TextView listing = BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, "PROG"))], kViewDefault);
  EXPECT_EQ(listing.text, "10 CALL CLEAR\r\n");
  EXPECT_EQ(listing.title, "Korvane - " + image + "->PROG      ");
  EXPECT_EQ(BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, "NOTES"))], kViewDefault).text,
            "ONE\r\nTWO\r\n");

  const Picture picture = ShowTiArtist(pane, RowByTiName(pane, "ART_P"));
  ASSERT_TRUE(picture.ok);
  EXPECT_EQ(picture.image.At(kPictureMargin, kPictureMargin), TiColour(6));
  EXPECT_EQ(picture.image.At(kPictureMargin + 1, kPictureMargin), TiColour(1));
  EXPECT_TRUE(reporter.errors.empty());
}

TEST_F(ImageSources, ProgramsSavedOnATi_ListTheSameInProgramAndMergeForm) {
  const std::string image = std::string(KORVANE_CORPUS_DIR) + "/xdt99/basic1.dsk";
  if (!IsRegularFile(image)) GTEST_SKIP() << "corpus image " << image << " is absent";
  test::RecordingReporter reporter;
  PaneState pane = OpenImage(image);
  for (const char* name : {"COMMENTS", "GIBBRISH", "KEYWORDS", "LOWRCASE", "NUMBERS", "RELXPARS", "STATMNTS"}) {
    const TextView program = BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, name))], kViewDefault);
    const TextView merge =
        BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, std::string(name) + "-M"))], kViewDefault);
    ASSERT_TRUE(program.ok && merge.ok) << name;
    EXPECT_EQ(program.text, merge.text) << name;
    EXPECT_GT(program.text.size(), 20u) << name;
  }
  const TextView statements = BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, "STATMNTS"))], 0);
  EXPECT_EQ(statements.text.rfind("1 ! STATEMENTS\r\n2 ACCEPT AT(1,2)VALIDATE(UALPHA,NUMERIC,DIGIT,\"!\")BEEP", 0), 0u);
  // KEYWORDS-L is a PROGRAM that holds listing text, not BASIC: a hex dump.
  const TextView text = BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, "KEYWORDS-L"))], 0);
  EXPECT_EQ(text.text.rfind("00000000 31 20 45 4C 53 45 20 3D 31 0A", 0), 0u);
  EXPECT_TRUE(reporter.errors.empty());
}


TEST_F(ImageSources, ArchiveMembers_AreExtractedThenViewedAndDrawn) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const std::vector<test::BasicLine> lines = {{100, test::Tok({{0x8B}})}};
  test::Bytes art(2 * 128, 0);
  art[2] = 0x1C, art[3] = 10;  // ten red pixels
  test::TiFile myart = test::DisFixFile("ART", 128, {});
  myart.data = art;
  myart.recordsPerSector = 2;
  myart.level3 = 2;
  const std::vector<test::TiFile> members = {test::MergeFile("MRG", lines), myart};
  dir.Write("PACK", test::V9t9File(test::ArchiveFile("PACK", members, true)));
  PaneState pane = OpenImage(dir.path() + "/PACK");
  ASSERT_EQ(pane.locationType, kLocArchive);
  EXPECT_EQ(BuildView(pane, pane.rows[static_cast<size_t>(RowByTiName(pane, "MRG"))], kViewDefault).text,
            "100 END\r\n");
  const Picture picture = ShowMyart(pane, RowByTiName(pane, "ART"), kPictureMyart256);
  ASSERT_TRUE(picture.ok);
  EXPECT_EQ(picture.image.At(kPictureMargin + 9, kPictureMargin), (Rgb{254, 0, 0}));
  EXPECT_EQ(picture.title, "Korvane - " + dir.path() + "/PACK->ART        (size= 256 bytes: 256x212, 256 colors)");
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane
