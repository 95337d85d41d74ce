#include "fileops/file_commands.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "catalog/header.h"
#include "catalog/sort.h"
#include "fileops/locations.h"
#include "floppy/floppy_lister.h"
#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"
#include "support/pane_reader.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

PaneState OpenDir(const std::string& path) { return test::ReadSortedPane(path); }

PaneState OpenImage(const std::string& path) {
  PaneState pane;
  pane.locationPath = path;
  pane.floppyHasUprdir = false;
  ListFloppyImage(pane, path, FloppyListOptions{1, false, false});
  SortRows(pane.rows, pane.sortKey);
  return pane;
}

int IndexOf(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i) {
    const CatalogEntry& r = pane.rows[static_cast<size_t>(i)];
    if (r.sourceName == name || TrimTiName(r.tiName) == name) return i;
  }
  ADD_FAILURE() << "no row " << name;
  return 0;
}

void Mark(PaneState& pane, std::initializer_list<const char*> names) {
  for (const char* n : names) pane.rows[static_cast<size_t>(IndexOf(pane, n))].marked = true;
}

test::TiFile Program(const std::string& name, size_t bytes, uint8_t seed) {
  Bytes image(bytes);
  for (size_t i = 0; i < bytes; ++i) image[i] = static_cast<uint8_t>(i + seed);
  return test::ProgramFile(name, image);
}

TEST(FileCommands, EveryRefusalIsReportedWithItsTextBeforeAnythingHappens) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Mkdir("Sub");
  dir.Write("hello", test::V9t9File(Program("HELLO", 10, 1)));
  const std::string image = dir.Write("a.dsk", test::DiskBuilder::Sssd("A").Build());
  PaneState pc = OpenDir(dir.path());
  PaneState sameInOtherCase = OpenDir(dir.path());
  std::string upper = dir.path();
  std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
  sameInOtherCase.locationPath = upper;
  const PaneState floppy = OpenImage(image);
  PaneState other;
  other.locationType = kLocArchive;

  pc.cursor = IndexOf(pc, "hello");
  EXPECT_FALSE(CheckCopy(pc, sameInOtherCase));
  EXPECT_FALSE(CheckCopy(pc, other));
  PaneState card;
  card.locationType = kLocCardImage;
  EXPECT_FALSE(CheckCopy(pc, card));
  pc.cursor = IndexOf(pc, "Sub");
  EXPECT_FALSE(CheckCopy(floppy, pc));  // empty image: no row to copy
  EXPECT_FALSE(CheckCopy(pc, floppy));
  EXPECT_FALSE(CheckDelete(other));
  EXPECT_FALSE(CheckCreateDirectory(floppy));
  EXPECT_FALSE(CheckRename(other));
  EXPECT_FALSE(CheckSetAttributes(floppy));
  EXPECT_EQ(reporter.errors, (std::vector<std::string>{
                                 "Can't copy files to itself",
                                 "Can't copy files to ARC, PC99DSK or HDIMG",
                                 "Can only copy DSK images to CF7A+ card",
                                 "Can only copy TI files, DSK or HD images to a directory",
                                 "Can only copy TI files to a DSK image",
                                 "Can only delete files from directories or DSK images",
                                 "Can't create a directory here",
                                 "Can't rename a file or directory here",
                                 "Can only set attributes of files in a directory",
                             }));
  // Marked rows: one eligible row is enough, and only it is copied.
  reporter.errors.clear();
  Mark(pc, {"Sub", "hello"});
  EXPECT_TRUE(CheckCopy(pc, floppy));
  EXPECT_EQ(CopyText(pc, floppy), "Copy 2 TI files to");
  PaneState target = floppy;
  EXPECT_EQ(CopyRows(pc, target, NoProgress()), CopyResult::Done);
  ASSERT_EQ(target.RowCount(), 1);
  EXPECT_EQ(TrimTiName(target.rows[0].tiName), "HELLO");
  test::ExpectImgtoolReads(image, {test::Expect(Program("HELLO", 10, 1))});
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(FileCommands, CopyBetweenDirectoryAndImagesRoundTripsByteForByte) {
  test::RecordingReporter reporter;
  test::TempDir dir, out;
  const test::TiFile prog = Program("PROG", 1000, 3);
  const test::TiFile text = test::DisVarFile("TEXT", 80, std::vector<std::string>(20, "record"));
  dir.Write("prog", test::V9t9File(prog));
  dir.Write("text.tfi", test::TifilesFile(text));
  const std::string a = dir.Write("a.dsk", test::DiskBuilder::Dsdd("A").Build());
  const std::string b = out.Write("b.dsk", test::DiskBuilder::Sssd("B").Build());

  PaneState pc = OpenDir(dir.path());
  PaneState imageA = OpenImage(a);
  Mark(pc, {"prog", "text.tfi"});
  ASSERT_EQ(CopyRows(pc, imageA, NoProgress()), CopyResult::Done);
  EXPECT_EQ(pc.MarkedCount(), 0);
  ASSERT_EQ(imageA.RowCount(), 2);  // the pane was re-read

  // Image to image, then image to directory.
  PaneState imageB = OpenImage(b);
  Mark(imageA, {"PROG", "TEXT"});
  ASSERT_EQ(CopyRows(imageA, imageB, NoProgress()), CopyResult::Done);
  PaneState outDir = OpenDir(out.path());
  Mark(imageB, {"PROG", "TEXT"});
  ASSERT_EQ(CopyRows(imageB, outDir, NoProgress()), CopyResult::Done);
  EXPECT_EQ(test::ReadFile(out.path() + "/PROG"), test::V9t9File(prog));
  EXPECT_EQ(test::ReadFile(out.path() + "/TEXT"), test::V9t9File(text));
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(b)), std::vector<std::string>{});
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(a)), std::vector<std::string>{});
  test::ExpectImgtoolReads(a, {test::Expect(prog), test::Expect(text)});
  test::ExpectImgtoolReads(b, {test::Expect(prog), test::Expect(text)});
  EXPECT_TRUE(reporter.errors.empty());
  EXPECT_TRUE(reporter.questions.empty());
}

TEST(FileCommands, OverwriteQuestionAllAndCancel) {
  test::RecordingReporter reporter;
  test::TempDir src, dst;
  for (const char* n : {"ONE", "TWO", "THREE"}) {
    src.Write(n, test::V9t9File(Program(n, 300, 1)));
    dst.Write(n, Bytes(10, 0));
  }
  PaneState from = OpenDir(src.path());
  PaneState to = OpenDir(dst.path());
  Mark(from, {"ONE", "THREE", "TWO"});
  reporter.answers = {Answer::All};
  EXPECT_EQ(CopyRows(from, to, NoProgress()), CopyResult::Done);
  ASSERT_EQ(reporter.questions.size(), 1u);  // All answered the rest
  EXPECT_EQ(reporter.questions[0].caption, "Overwrite file(s)");
  EXPECT_EQ(reporter.questions[0].text, "DSK image <ONE> allready exist. Overwrite?");
  EXPECT_EQ(test::ReadFile(dst.path() + "/TWO"), test::ReadFile(src.path() + "/TWO"));

  // Cancel ends the batch: rows before it are unmarked, the rest stay marked.
  const std::string image = dst.Write("d.dsk", test::DiskBuilder::Sssd("D").Add(Program("THREE", 5, 9)).Build());
  PaneState floppy = OpenImage(image);
  const Bytes before = test::ReadFile(image);
  Mark(from, {"ONE", "THREE", "TWO"});
  reporter.questions.clear();
  reporter.answers = {Answer::Cancel};
  EXPECT_EQ(CopyRows(from, floppy, NoProgress()), CopyResult::Stopped);
  EXPECT_EQ(reporter.questions[0].text, "TI file <THREE> allready exist. Overwrite?");
  EXPECT_FALSE(from.rows[static_cast<size_t>(IndexOf(from, "ONE"))].marked);
  EXPECT_FALSE(from.rows[static_cast<size_t>(IndexOf(from, "THREE"))].marked);
  EXPECT_TRUE(from.rows[static_cast<size_t>(IndexOf(from, "TWO"))].marked);
  EXPECT_EQ(IndexOf(floppy, "ONE") >= 0, true);
  EXPECT_EQ(test::ReadFileThroughChain(test::ReadFile(image), "THREE"),
            test::ReadFileThroughChain(before, "THREE"));
  test::ExpectImgtoolReads(image, {test::Expect(Program("ONE", 300, 1)), test::Expect(Program("THREE", 5, 9))});
}

TEST(FileCommands, DeleteTextsAndEngines) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::DiskBuilder disk = test::DiskBuilder::Sssd("D");
  for (const char* n : {"A1", "A2", "A3", "A4", "A5", "A6"}) disk.Add(Program(n, 600, 2));
  const std::string image = dir.Write("d.dsk", disk.Build());
  PaneState floppy = OpenImage(image);
  for (CatalogEntry& r : floppy.rows) r.marked = true;
  EXPECT_EQ(DeleteText(floppy), "Do you really wish to delete 6 files?\n    A1\n    A2\n    A3\n    A4  ...");
  floppy.rows[0].marked = floppy.rows[5].marked = false;
  floppy.cursor = 3;
  EXPECT_EQ(DeleteRows(floppy, NoProgress()), 4);
  EXPECT_EQ(floppy.RowCount(), 2);
  EXPECT_EQ(floppy.cursor, 0);
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(image)), std::vector<std::string>{});
  test::ExpectImgtoolReads(image, {test::Expect(Program("A1", 600, 2)), test::Expect(Program("A6", 600, 2))});

  dir.Mkdir("empty");
  PaneState pc = OpenDir(dir.path());
  pc.cursor = IndexOf(pc, "empty");
  EXPECT_EQ(DeleteText(pc), "Do you really wish to delete <empty>");
  Mark(pc, {"empty", "d.dsk"});
  EXPECT_EQ(DeleteRows(pc, NoProgress()), 2);
  EXPECT_EQ(pc.RowCount(), 0);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(FileCommands, RenameRewritesV9t9NameAndVolumeButNeverClobbers) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("hello.v9t9", test::V9t9File(Program("HELLO", 300, 1)));
  const Bytes tifiles = test::TifilesFile(Program("TIF", 300, 1));
  dir.Write("tif.tfi", tifiles);
  dir.Write("disk.dsk", test::DiskBuilder::Sssd("OLDVOL").Build());
  dir.Write("world.v9t9", Bytes(300, 7));
  PaneState pc = OpenDir(dir.path());

  pc.cursor = IndexOf(pc, "hello.v9t9");
  EXPECT_FALSE(RenameRow(pc, "world"));  // world.v9t9 exists
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0].rfind("Can't rename file or directory <" + dir.path() + "/hello.v9t9>, error <", 0), 0u);
  EXPECT_EQ(test::ReadFile(dir.path() + "/world.v9t9"), Bytes(300, 7));

  reporter.errors.clear();
  pc.cursor = IndexOf(pc, "hello.v9t9");
  ASSERT_TRUE(RenameRow(pc, "wide"));
  EXPECT_EQ(test::ReadFile(dir.path() + "/wide.v9t9")[0], 'W');
  const Bytes renamed = test::ReadFile(dir.path() + "/wide.v9t9");
  EXPECT_EQ(std::string(renamed.begin(), renamed.begin() + 10), "WIDE      ");
  EXPECT_EQ(TrimTiName(pc.rows[static_cast<size_t>(pc.cursor)].tiName), "WIDE");

  pc.cursor = IndexOf(pc, "tif.tfi");
  ASSERT_TRUE(RenameRow(pc, "other"));
  EXPECT_EQ(test::ReadFile(dir.path() + "/other.tfi"), tifiles);

  pc.cursor = IndexOf(pc, "disk.dsk");
  ASSERT_TRUE(RenameRow(pc, "newvol"));
  const Bytes vib = test::ReadFile(dir.path() + "/newvol.dsk");
  EXPECT_EQ(std::string(vib.begin(), vib.begin() + 10), "NEWVOL    ");
  test::ExpectImgtoolReads(dir.path() + "/newvol.dsk", {});

  // Keys the field ignores never reach the name: no path can be made.
  pc.cursor = IndexOf(pc, "newvol.dsk");
  EXPECT_EQ(FilterRenameInput(pc.rows[static_cast<size_t>(pc.cursor)], "../x.y"), "xy");
  EXPECT_FALSE(RenameRow(pc, " ./"));
  EXPECT_EQ(reporter.messages.back().text, "Please enter a name for the file or directory");
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(FileCommands, RenameOffersAPcNameAsItIsAndKeepsItWhenNotEdited) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("my file.txt", Bytes{'h', 'i'});
  PaneState pc = OpenDir(dir.path());
  pc.cursor = IndexOf(pc, "my file.txt");
  const CatalogEntry row = pc.rows[static_cast<size_t>(pc.cursor)];
  EXPECT_EQ(RenameField(row), "my file.txt");
  // Rename pressed without editing: the file keeps its name.
  ASSERT_TRUE(RenameRow(pc, RenameField(row)));
  EXPECT_TRUE(PathExists(dir.path() + "/my file.txt"));
  EXPECT_FALSE(PathExists(dir.path() + "/myfile.txt"));
  // Typed keys are still filtered, and no path can be made.
  EXPECT_EQ(FilterRenameInput(row, "a b"), "ab");
  EXPECT_FALSE(RenameRow(pc, "../x"));
  EXPECT_TRUE(PathExists(dir.path() + "/my file.txt"));
  EXPECT_EQ(reporter.errors.size(), 1u);
}

TEST(FileCommands, SetAttributesWritesNothing_WhenTheHeaderChangedSinceListing) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("file", test::V9t9File(Program("V9", 300, 1)));
  PaneState pc = OpenDir(dir.path());
  pc.cursor = IndexOf(pc, "file");
  // Replaced by a TIFILES file: byte 12, the V9T9 status byte, is its EOF offset.
  const Bytes tif = test::TifilesFile(Program("TIF", 300, 1));
  dir.Write("file", tif);
  EXPECT_EQ(SetAttributes(pc, {TriState::Set, TriState::Leave}, NoProgress()), 0);
  EXPECT_EQ(test::ReadFile(dir.path() + "/file"), tif);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read diskinfo from diskfile <" + dir.path() + "/file>");
}

TEST(FileCommands, SetAttributesChangesOnlyTheStatusByteOfTheHeader) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const Bytes tif = test::TifilesFile(Program("TIF", 300, 1));
  const Bytes v9 = test::V9t9File(Program("V9", 300, 1));
  dir.Write("tif", tif);
  dir.Write("v9", v9);
  PaneState pc = OpenDir(dir.path());
  pc.cursor = IndexOf(pc, "tif");
  EXPECT_EQ(AttributeText(pc), "Do you really wish to set attributes for <TIF>");
  EXPECT_EQ(InitialAttributeStates(pc).protect, TriState::Clear);
  EXPECT_EQ(SetAttributes(pc, {TriState::Set, TriState::Leave}, NoProgress()), 1);
  Bytes expected = tif;
  expected[10] |= 0x08;
  EXPECT_EQ(test::ReadFile(dir.path() + "/tif"), expected);

  Mark(pc, {"tif", "v9"});
  EXPECT_EQ(AttributeText(pc), "Do you really wish to set attributes for 2 files?\n    TIF\n    V9");
  EXPECT_EQ(InitialAttributeStates(pc).archive, TriState::Leave);
  EXPECT_EQ(SetAttributes(pc, {TriState::Clear, TriState::Set}, NoProgress()), 2);
  expected[10] = static_cast<uint8_t>((expected[10] & ~0x08) | 0x10);
  EXPECT_EQ(test::ReadFile(dir.path() + "/tif"), expected);
  Bytes v9Expected = v9;
  v9Expected[12] |= 0x10;
  EXPECT_EQ(test::ReadFile(dir.path() + "/v9"), v9Expected);
  EXPECT_EQ(pc.MarkedCount(), 0);
  EXPECT_EQ(NextTriState(TriState::Leave), TriState::Clear);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(FileCommands, CreateDirectoryAndImage) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  PaneState pc = OpenDir(dir.path());
  EXPECT_FALSE(CreateDirectoryInPane(pc, " ./"));
  EXPECT_EQ(reporter.messages.back().text, "Please enter a name for the directory");
  ASSERT_TRUE(CreateDirectoryInPane(pc, "new/dir"));  // "/" is ignored as the field ignores it
  EXPECT_TRUE(IsDirectory(dir.path() + "/newdir"));
  EXPECT_FALSE(CreateDirectoryInPane(pc, "newdir"));
  EXPECT_EQ(reporter.errors.back(), fmt::sprintf("Can't create directory <%s/newdir>, error <%d>", dir.path(), EEXIST));

  reporter.errors.clear();
  EXPECT_FALSE(CreateImage(pc, "", ImageChoices()[0].geometry, NoProgress()));
  EXPECT_EQ(reporter.messages.back().text, "Please enter a volumelabel");
  ASSERT_TRUE(CreateImage(pc, "Games", ImageChoices()[kDefaultImageChoice].geometry, NoProgress()));
  EXPECT_EQ(test::ReadFile(dir.path() + "/Games.dsk").size(), 720u * 256);
  EXPECT_GE(IndexOf(pc, "Games.dsk"), 0);  // re-read
  reporter.answers = {Answer::No};
  EXPECT_FALSE(CreateImage(pc, "Games", ImageChoices()[0].geometry, NoProgress()));
  EXPECT_EQ(reporter.questions.back().text, "DSK allready exist:\n<" + dir.path() + "/Games.dsk>\nOverwrite?");
  EXPECT_EQ(test::ReadFile(dir.path() + "/Games.dsk").size(), 720u * 256);
  reporter.answers = {Answer::Yes};
  ASSERT_TRUE(CreateImage(pc, "Games", ImageChoices()[0].geometry, NoProgress()));
  EXPECT_EQ(test::ReadFile(dir.path() + "/Games.dsk").size(), 360u * 256);
  test::ExpectImgtoolReads(dir.path() + "/Games.dsk", {});
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(FileCommands, CopyIntoFloppySubdirectoryUsesItsOwnIndex) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  dir.Write("notes", test::V9t9File(test::DisVarFile("NOTES", 80, {"in the sub-directory"})));
  const std::string image = dir.Write("s.dsk", test::DiskBuilder::Dssd("S")
                                                   .Add(test::DisVarFile("ROOT", 80, {"x"}))
                                                   .AddSubdir("UTIL", {test::DisVarFile("OLD", 80, {"y"})})
                                                   .Build());
  PaneState floppy = OpenImage(image);
  ASSERT_TRUE(EnterRow(floppy, IndexOf(floppy, "UTIL")));
  PaneState pc = OpenDir(dir.path());
  pc.cursor = IndexOf(pc, "notes");
  ASSERT_EQ(CopyRows(pc, floppy, NoProgress()), CopyResult::Done);
  EXPECT_EQ(floppy.containerLevel, 2);
  EXPECT_GE(IndexOf(floppy, "NOTES"), 0);
  const PaneState root = OpenImage(image);
  for (const CatalogEntry& r : root.rows) EXPECT_NE(TrimTiName(r.tiName), "NOTES");
  EXPECT_EQ(test::CheckFloppyConsistency(test::ReadFile(image)), std::vector<std::string>{});
  test::ExpectImgtoolReads(image, {test::Expect(test::DisVarFile("ROOT", 80, {"x"})),
                                   test::Expect(test::DisVarFile("OLD", 80, {"y"}), "UTIL.OLD"),
                                   test::Expect(test::DisVarFile("NOTES", 80, {"in the sub-directory"}), "UTIL.NOTES")});
  EXPECT_TRUE(reporter.errors.empty());
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

TEST(FileCommands, TiNamesThatCannotNamePcFilesAreRefused) {
  test::RecordingReporter reporter;
  test::TempDir dir, out;
  const std::string image = dir.Write("n.dsk", test::DiskBuilder::Sssd("N").Add(Program("GOOD", 100, 1)).Build());
  const PaneState floppy = OpenImage(image);
  const PaneState target = OpenDir(out.path());
  CopyBatch batch;
  for (const std::string& name : {std::string(".."), std::string("."), std::string("\0ABC", 4)}) {
    CatalogEntry row = floppy.rows[0];
    row.tiName = name;
    row.tiName.resize(10, ' ');
    EXPECT_EQ(CopyRowToDirectory(floppy, target, row, batch), 0);
  }
  EXPECT_EQ(reporter.errors, (std::vector<std::string>{"Invalid filename <..>", "Invalid filename <.>",
                                                       "Invalid filename <>"}));
  EXPECT_EQ(OpenDir(out.path()).RowCount(), 0);
}

}  // namespace
}  // namespace korvane
