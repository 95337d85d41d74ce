// The Image Information of hard-disk rows where the image is not all it
// should be: a partition whose sector 0 is no volume still shows where it
// lies, and an image gone since it was listed gives a reported error.
#include <gtest/gtest.h>

#include <cstdio>

#include "fileops/locations.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"
#include "viewers/image_information.h"

namespace korvane {
namespace {

const CatalogEntry* RowNamed(const PaneState& pane, const std::string& sourceName) {
  for (const CatalogEntry& row : pane.rows)
    if (row.sourceName == sourceName) return &row;
  return nullptr;
}

std::string FieldValue(const std::vector<InformationField>& fields, const std::string& label, bool* found) {
  for (const InformationField& f : fields)
    if (f.label == label) {
      *found = true;
      return f.value;
    }
  *found = false;
  return "";
}

TEST(ImageInformation, APartitionWithoutAVolumeShowsItsPlaceAndNothingElse) {
  test::TempDir dir;
  test::HardDiskBuilder first("FIRST", 400, 1);
  const test::Bytes volume = first.Build().bytes;
  // Partition 2 lies where nothing was ever formatted (zeros).
  dir.Write("parts.img", test::PartitionedImage(1000, {{16, volume}, {500, test::Bytes(512, 0)}}));
  dir.Write("plain.hd", volume);
  PaneState pane;
  pane.locationPath = dir.path();
  ASSERT_TRUE(ReadLocation(pane));

  test::RecordingReporter reporter;
  const std::optional<ImageInformation> parts = ReadImageInformation(pane, *RowNamed(pane, "parts.img"));
  ASSERT_TRUE(parts);
  ASSERT_EQ(parts->volumes.size(), 2u);
  const std::vector<InformationField> fields = parts->AllFields();
  bool found = false;
  EXPECT_EQ(FieldValue(fields, "Partition 2 Offset", &found), ">000001F4");
  EXPECT_EQ(FieldValue(fields, "Partition 2 Partition size", &found), ">00000001");
  EXPECT_EQ(FieldValue(fields, "Partition 2 Volume label", &found), "");
  EXPECT_TRUE(found);
  EXPECT_EQ(FieldValue(fields, "Partition 2 Free", &found), "");
  EXPECT_EQ(FieldValue(fields, "Partition 1 Size", &found), "400");
  FieldValue(fields, "Partition 3 Offset", &found);
  EXPECT_FALSE(found);
  EXPECT_TRUE(reporter.errors.empty());

  const std::optional<ImageInformation> plain = ReadImageInformation(pane, *RowNamed(pane, "plain.hd"));
  ASSERT_TRUE(plain);
  ASSERT_EQ(plain->volumes.size(), 1u);
  EXPECT_EQ(plain->volumes[0].partition, 0);
  for (const InformationField& f : plain->AllFields()) {
    EXPECT_EQ(f.label.find("Partition"), std::string::npos) << f.label;
    EXPECT_NE(f.label, "Offset");
  }
}

TEST(ImageInformation, AnImageGoneSinceTheListingIsReportedAndGivesNone) {
  test::TempDir dir;
  const std::string path = dir.Write("plain.hd", test::HardDiskBuilder("GONE", 300, 1).Build().bytes);
  PaneState pane;
  pane.locationPath = dir.path();
  ASSERT_TRUE(ReadLocation(pane));
  const CatalogEntry row = *RowNamed(pane, "plain.hd");
  ASSERT_EQ(row.kind, kKindHdImg);
  ASSERT_EQ(::remove(path.c_str()), 0);

  test::RecordingReporter reporter;
  pane.cursor = 0;
  pane.rows = {row};
  EXPECT_FALSE(ImageInformationForCursor(pane));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_NE(reporter.errors[0].find("plain.hd"), std::string::npos) << reporter.errors[0];
  // Disk and file rows are left to the other dialogs.
  pane.rows[0].kind = kKindDsk;
  EXPECT_FALSE(ImageInformationForCursor(pane));
  EXPECT_EQ(reporter.errors.size(), 1u);
}

}  // namespace
}  // namespace korvane
