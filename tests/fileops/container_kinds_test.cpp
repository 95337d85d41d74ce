// The table of container kinds: a kind that is missing, or a row that two
// kinds both claim to open, would send Enter, Refresh, the sector readers
// and the file commands' refusals to the wrong place without a word.
#include "fileops/container_kinds.h"

#include <gtest/gtest.h>

#include <set>

namespace korvane {
namespace {

constexpr LocationType kAllLocations[] = {kLocPcDirectory, kLocCardDrive, kLocFloppy, kLocPc99,     kLocHdImage,
                                          kLocPtImage,     kLocCardImage, kLocCardImageVolume, kLocArchive};

TEST(ContainerKinds, EveryLocationAndContainerRowKindHasItsOwnEntry) {
  std::set<int> located;
  for (LocationType type : kAllLocations) {
    EXPECT_EQ(ContainerOfLocation(type).location, type) << "LocationType " << type;
    located.insert(type);
  }
  for (const ContainerKind& kind : ContainerKinds()) {
    EXPECT_TRUE(located.count(kind.location)) << kind.name << " shows a LocationType no pane has";
    EXPECT_TRUE(kind.opens == nullptr || kind.enter != nullptr) << kind.name << " opens rows it cannot enter";
  }
  for (int rowKind = kKindDsk; rowKind <= kKindCardVolume; ++rowKind) {
    const ContainerKind* kind = ContainerOfRowKind(rowKind);
    ASSERT_NE(kind, nullptr) << "row kind " << rowKind;
    EXPECT_TRUE(kind->rowKinds[0] == rowKind || kind->rowKinds[1] == rowKind) << kind->name;
  }
  // A floppy sub-directory shows LocationType 2 at container level 2.
  PaneState subdir;
  subdir.locationType = kLocFloppy;
  subdir.containerLevel = 2;
  EXPECT_EQ(ContainerOfPane(subdir).id, ContainerId::FloppySubdir);
  subdir.containerLevel = 1;
  EXPECT_EQ(ContainerOfPane(subdir).id, ContainerId::FloppyImage);
  EXPECT_EQ(ContainerOfLocation(static_cast<LocationType>(kLocArchive + 1)).id, ContainerId::None);
}

TEST(ContainerKinds, EachRowOpensAtMostOneKindWhereverItIsShown) {
  for (LocationType from : kAllLocations) {
    for (int rowKind = 0; rowKind < kEntryKindCount; ++rowKind) {
      CatalogEntry row;
      row.kind = static_cast<uint16_t>(rowKind);
      int claimed = 0;
      for (const ContainerKind& kind : ContainerKinds()) claimed += kind.opens && kind.opens(row, from);
      EXPECT_LE(claimed, 1) << "row kind " << rowKind << " in LocationType " << from;
    }
  }
  // The rows of a hard disk's partition list are kind 13 too: they open
  // partitions, not plain images.
  CatalogEntry partition;
  partition.kind = kKindHdImg;
  PaneState list;
  list.locationType = kLocPtImage;
  ASSERT_NE(ContainerOpenedBy(list, partition), nullptr);
  EXPECT_EQ(ContainerOpenedBy(list, partition)->id, ContainerId::PartitionedDisk);
  list.locationType = kLocPcDirectory;
  EXPECT_EQ(ContainerOpenedBy(list, partition)->id, ContainerId::HardDisk);
}

}  // namespace
}  // namespace korvane
