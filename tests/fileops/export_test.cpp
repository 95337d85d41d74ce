#include "fileops/export.h"

#include <gtest/gtest.h>

#include "catalog/catalog_paths.h"
#include "catalog/header.h"
#include "floppy/floppy_lister.h"
#include "platform/paths.h"
#include "platform/pc_file.h"
#include "support/disk_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

PaneState OpenImage(const std::string& path) {
  PaneState pane;
  pane.locationPath = path;
  ListFloppyImage(pane, path, FloppyListOptions{1, false, false});
  return pane;
}

const CatalogEntry& Row(const PaneState& pane, const std::string& name) {
  for (const CatalogEntry& r : pane.rows)
    if (TrimTiName(r.tiName) == name) return r;
  throw std::runtime_error("no row " + name);
}

Bytes Slice(const Bytes& b, size_t from, size_t n) { return Bytes(b.begin() + from, b.begin() + from + n); }

TEST(Export, WritesV9t9HeaderAndEveryFragmentInFileOrder) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TiFile prog = test::ProgramFile("PROG", Bytes(700, 0));
  for (size_t i = 0; i < prog.data.size(); ++i) prog.data[i] = static_cast<uint8_t>(i * 7);
  prog.status |= status::kArchived | status::kProtected;
  test::TiFile text = test::DisVarFile("TEXT", 80, std::vector<std::string>(40, std::string(70, 'x')));
  ASSERT_GT(text.Sectors(), 6);
  text.fragments = {3, 2, static_cast<uint16_t>(text.Sectors() - 5)};
  const std::string image = dir.Write("a.dsk", test::DiskBuilder::Sssd("VOL").Add(prog).Add(text).Build());
  const PaneState pane = OpenImage(image);

  const std::string out = dir.path() + "/text.v9t9";
  ASSERT_TRUE(ExportTiFile(pane, Row(pane, "TEXT"), out, false));
  EXPECT_EQ(test::ReadFile(out), test::V9t9File(text));

  ASSERT_TRUE(ExportTiFile(pane, Row(pane, "PROG"), out, false));
  const Bytes got = test::ReadFile(out);
  ASSERT_EQ(got.size(), 128u + 3 * 256);
  EXPECT_EQ(got[12], status::kProgram | status::kProtected);  // archive bit masked out
  EXPECT_EQ(got[17], 0);                                       // no record length for a PROGRAM
  EXPECT_EQ(Slice(got, 128, 700), prog.data);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(Export, TifilesHeaderCarriesAttributesAndNoName) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TiFile fix = test::DisFixFile("FIX", 80, {"one", "two", "three", "four"});
  fix.level3 = 0x0104;
  const std::string image = dir.Write("a.dsk", test::DiskBuilder::Dsdd("VOL").Add(fix).Build());
  const PaneState pane = OpenImage(image);
  const std::string out = dir.path() + "/fix.tfi";
  ASSERT_TRUE(ExportTiFile(pane, Row(pane, "FIX"), out, true));
  const Bytes got = test::ReadFile(out);
  ASSERT_EQ(got.size(), 128u + 2 * 256);
  const Bytes magic = {7, 'T', 'I', 'F', 'I', 'L', 'E', 'S'};
  EXPECT_EQ(Slice(got, 0, 8), magic);
  EXPECT_EQ(Slice(got, 8, 8), (Bytes{0, 2, 0x00, 3, fix.eofOffset, 80, 0x04, 0x01}));
  EXPECT_EQ(got[16], 0xCA);
  EXPECT_EQ(got[127], 0x53);
  CatalogEntry decoded;
  ASSERT_TRUE(DecodeHeader(ByteView(got.data(), 256), "fix.tfi", false, decoded));
  EXPECT_EQ(decoded.level3Records, 0x0104);
  EXPECT_EQ(Slice(got, 128, 512), fix.data);
}

TEST(Export, FailureLeavesNoFileBehindAndIsReportedOnce) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TiFile bad = test::ProgramFile("BAD", Bytes(600, 1));
  bad.brokenChainPastEnd = true;
  const std::string image = dir.Write("a.dsk", test::DiskBuilder::Sssd("VOL").Add(bad).Build());
  const PaneState pane = OpenImage(image);
  const std::string out = dir.Write("old.bin", Bytes(5000, 9));
  EXPECT_FALSE(ExportTiFile(pane, Row(pane, "BAD"), out, false));
  EXPECT_FALSE(PathExists(out));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0].rfind("Can't read sector <", 0), 0u) << reporter.errors[0];

  // Exporting over the image itself is refused before it is touched.
  reporter.errors.clear();
  const Bytes before = test::ReadFile(image);
  EXPECT_FALSE(ExportTiFile(pane, pane.rows[0], image, false));
  EXPECT_EQ(test::ReadFile(image), before);
  EXPECT_EQ(reporter.errors, std::vector<std::string>{"Can't copy files to itself"});
}

TEST(TiFileAsPcFile, ScratchFileNeverKeepsAnEarlierFile) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TempDir tmp;
  setenv("TMPDIR", tmp.path().c_str(), 1);
  test::TiFile good = test::ProgramFile("GOOD", Bytes(300, 5));
  test::TiFile bad = test::ProgramFile("BAD", Bytes(300, 6));
  bad.brokenChainPastEnd = true;
  // The builder lays files after a broken chain past the end too: one image each.
  const PaneState pane = OpenImage(dir.Write("a.dsk", test::DiskBuilder::Sssd("VOL").Add(good).Build()));
  const PaneState broken = OpenImage(dir.Write("b.dsk", test::DiskBuilder::Sssd("VOL").Add(bad).Build()));

  std::string path;
  ASSERT_TRUE(TiFileAsPcFile(pane, Row(pane, "GOOD"), path));
  EXPECT_EQ(path, ScratchTiFile());
  EXPECT_EQ(test::ReadFile(path), test::V9t9File(good));
  EXPECT_FALSE(TiFileAsPcFile(broken, Row(broken, "BAD"), path));
  EXPECT_FALSE(PathExists(ScratchTiFile()));

  // A row of a PC directory is its own file.
  PaneState pc;
  pc.locationPath = dir.path();
  CatalogEntry row;
  row.sourceName = "x.tfi";
  ASSERT_TRUE(TiFileAsPcFile(pc, row, path));
  EXPECT_EQ(path, dir.path() + "/x.tfi");
  pc.locationPath = dir.path() + "/*.tfi";  // a location with a name pattern
  ASSERT_TRUE(TiFileAsPcFile(pc, row, path));
  EXPECT_EQ(path, dir.path() + "/x.tfi");
  unsetenv("TMPDIR");
}

}  // namespace
}  // namespace korvane
