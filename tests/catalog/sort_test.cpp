#include "catalog/sort.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

CatalogEntry Make(uint16_t kind, const std::string& pc, const std::string& ti, uint16_t sectors = 0,
                  uint16_t flags = 0) {
  CatalogEntry r;
  r.kind = kind;
  r.sourceName = pc;
  r.tiName = ti;
  r.totalSectors = sectors;
  r.statusFlags = flags;
  return r;
}

std::vector<std::string> Names(const FileList& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(r.tiName);
  return out;
}

FileList Sample() {
  return {Make(kKindDisVar, "b", "ZED", 3), Make(kKindSubdir, "s", "SUB"), Make(kKindProgram, "A", "alpha", 9, 0x08),
          Make(kKindDsk, "d", "DISK"), Make(kKindUprdir, "..", ".."), Make(kKindDisFix, "c", "Beta", 3)};
}

TEST(Sort, GroupsUpThenSubdirectoriesThenTheRest) {
  for (int key = 0; key < 5; ++key) {
    FileList rows = Sample();
    SortRows(rows, key);
    EXPECT_EQ(rows[0].kind, kKindUprdir) << key;
    EXPECT_EQ(rows[1].kind, kKindSubdir) << key;
  }
}

TEST(Sort, EachKeyOrdersInsideTheGroup) {
  FileList rows = Sample();
  SortRows(rows, kSortPcName);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"..", "SUB", "alpha", "ZED", "Beta", "DISK"}));
  SortRows(rows, kSortTiName);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"..", "SUB", "alpha", "Beta", "DISK", "ZED"}));
  SortRows(rows, kSortSize);  // disk rows compare by what their summary holds there (0 here)
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"..", "SUB", "DISK", "Beta", "ZED", "alpha"}));
  SortRows(rows, kSortType);
  EXPECT_EQ(Names(rows), (std::vector<std::string>{"..", "SUB", "DISK", "Beta", "ZED", "alpha"}));
  SortRows(rows, kSortAttr);
  EXPECT_EQ(rows.back().tiName, "alpha");  // protected last
}

TEST(Sort, DescriptionKeyKeepsTheOrder) {
  FileList rows = Sample();
  SortRows(rows, kSortNone);
  EXPECT_EQ(Names(rows), Names(Sample()));
}

}  // namespace
}  // namespace korvane
