#include "catalog/listing.h"

#include <gtest/gtest.h>

#include "catalog/sort.h"
#include "fileops/locations.h"
#include "support/disk_builder.h"
#include "support/pane_reader.h"

namespace korvane {
namespace {

using test::Bytes;

const std::string kHead =
    "Name             Size   Type            Attr       Description\r\n" + std::string(87, '-') + "\r\n";

PaneState Open(const std::string& path) { return test::ReadSortedPane(path); }

TEST(Listing, AnEmptyDirectoryGivesTheHeaderLinesOnly) {
  test::TempDir dir;
  EXPECT_EQ(DirectoryListing(Open(dir.path())), "Directory of  " + dir.path() + "\r\n\r\n" + kHead);
}

TEST(Listing, RowsOfAPcDirectoryShowTheirHeaderKind) {
  test::TempDir dir;
  test::TiFile f = test::DisVarFile("LETTER", 80, {"DEAR"});
  f.status |= 0x08;
  f.data.resize(5 * 256);
  dir.Write("letter.tfi", test::TifilesFile(f));
  dir.Write("prog", test::V9t9File(test::ProgramFile("PROG", Bytes(522, 0))));
  dir.Write("game.dsk", test::DiskBuilder::Dssd("GAME").Build());
  dir.Write("readme.txt", Bytes(20, 'x'));
  dir.Mkdir("folder");
  const std::string expected = "Directory of  " + dir.path() + "\r\n\r\n" + kHead +
                               "folder                  SUBDIR                     \r\n"
                               "readme.txt              DOS     \r\n"
                               "GAME              720   DSK             U          \r\n"
                               "LETTER              5   DIS/VAR     80  P tifiles  \r\n"
                               "PROG                3   PROGRAM    522  U v9t9     \r\n";
  EXPECT_EQ(DirectoryListing(Open(dir.path())), expected);
}

TEST(Listing, RowsInsideAnImageShowNoHeaderKindButTheirComment) {
  test::TempDir dir;
  test::TiFile f = test::DisVarFile("LETTER", 80, {"DEAR"});
  f.status |= 0x08;
  f.comment = "to grandma";
  const std::string path = dir.Write("g.dsk", test::DiskBuilder::Sssd("G").Add(f).Build());
  PaneState pane = Open(path);
  EXPECT_EQ(DirectoryListing(pane), "Directory of  " + path + "\r\n\r\n" + kHead +
                                        "LETTER              1   DIS/VAR     80  P          to grandma\r\n");
  EXPECT_EQ(DirectoryListingTitle(pane), "Korvane -  " + path);
}

TEST(Listing, LocationTextNamesTheSubdirectoryInsideAnImage) {
  PaneState pane;
  pane.locationPath = "/d/games.dsk";
  pane.locationType = kLocFloppy;
  pane.containerLevel = 1;
  EXPECT_EQ(LocationText(pane), " /d/games.dsk");
  pane.containerLevel = 2;
  pane.innerName = "UTIL";
  EXPECT_EQ(LocationText(pane), " /d/games.dsk->UTIL");
}

}  // namespace
}  // namespace korvane
