// Writes into damaged images refuse before changing a byte. Each test holds
// an image damaged the way images made by other tools have been seen, and
// shows what the write did to it before it was guarded.
#include <gtest/gtest.h>

#include "floppy/v9t9_write.h"
#include "support/damage.h"
#include "support/disk_builder.h"
#include "support/floppy_check.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;
using test::PatternedProgram;

class DamagedImage {
 public:
  explicit DamagedImage(const Bytes& bytes) : original_(bytes), path_(dir_.Write("damaged.dsk", bytes)) {
    EXPECT_TRUE(file_.Open(path_, PcFile::Mode::ReadWrite));
    EXPECT_TRUE(LoadFloppyVolume(sectors_, 1, volume_));
  }
  FloppyVolume& volume() { return volume_; }
  bool Unchanged() const { return test::ReadFile(path_) == original_; }
  const test::TempDir& dir() const { return dir_; }

 private:
  test::TempDir dir_;
  Bytes original_;
  std::string path_;
  PcFile file_;
  ImageFileSectors sectors_{file_, path_};
  FloppyVolume volume_;
};

void ExpectRefusedWithHint(const test::RecordingReporter& reporter) {
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_NE(reporter.errors[0].find("check --repair"), std::string::npos) << reporter.errors[0];
}

// The bitmap calls ALPHA's FDR sector free: the new file's FDR went there,
// ALPHA was lost and the index listed sector 2 twice.
TEST(WriteGuard, AddFile_WritesNothing_WhenBitmapMarksAnFdrFree) {
  test::RecordingReporter reporter;
  Bytes bytes = test::DiskBuilder::Sssd("D")
                    .Add(PatternedProgram("ALPHA", 500, 1))
                    .Add(PatternedProgram("GAMMA", 300, 2))
                    .Build();
  test::SetBitmapBitOfSector(bytes, test::FdrSectorOf(bytes, "ALPHA"), false);
  DamagedImage image(bytes);
  const test::TiFile beta = PatternedProgram("BETA", 300, 3);
  const std::string pc = image.dir().Write("beta.v9t9", test::V9t9File(beta));
  AddFileRequest request;
  request.file.tiName = "BETA      ";
  request.file.status = beta.status;
  request.file.totalSectors = beta.Sectors();
  request.file.eofOffset = beta.eofOffset;
  request.source = [&](std::string& path) {
    path = pc;
    return true;
  };
  EXPECT_EQ(AddFile(image.volume(), request), AddResult::Stop);
  EXPECT_TRUE(image.Unchanged());
  ExpectRefusedWithHint(reporter);
}

// 128 index entries and no end mark: the delete shifted slots up to 126
// while the lister reads 128, so the file of slot 127 vanished as well.
TEST(WriteGuard, DeleteFile_WritesNothing_WhenIndexHas128EntriesAndNoEndMark) {
  test::RecordingReporter reporter;
  DamagedImage image(test::ImageWithFiles(128));
  EXPECT_FALSE(DeleteFile(image.volume(), "F005      "));
  EXPECT_TRUE(image.Unchanged());
  ExpectRefusedWithHint(reporter);
}

// The index lists BETA's FDR twice: the delete filled it with E5h and left
// the second entry pointing at the freed sector.
TEST(WriteGuard, DeleteFile_WritesNothing_WhenIndexListsTheFdrTwice) {
  test::RecordingReporter reporter;
  Bytes bytes = test::DiskBuilder::Sssd("D")
                    .Add(PatternedProgram("ALPHA", 300, 1))
                    .Add(PatternedProgram("BETA", 300, 2))
                    .Add(PatternedProgram("GAMMA", 300, 3))
                    .Build();
  // ALPHA BETA BETA GAMMA: still in name order, one FDR listed twice.
  test::SetFdirEntry(bytes, 1, 3, test::FdrSectorOf(bytes, "GAMMA"));
  test::SetFdirEntry(bytes, 1, 2, test::FdrSectorOf(bytes, "BETA"));
  DamagedImage image(bytes);
  EXPECT_FALSE(DeleteFile(image.volume(), "BETA      "));
  EXPECT_TRUE(image.Unchanged());
  ExpectRefusedWithHint(reporter);
}

TEST(WriteGuard, RenameFile_WritesNothing_WhenIndexIsOutOfOrder_ButSoundImagesStillChange) {
  test::RecordingReporter reporter;
  Bytes bytes = test::DiskBuilder::Sssd("D")
                    .Add(PatternedProgram("ALPHA", 300, 1))
                    .Add(PatternedProgram("BETA", 300, 2))
                    .Build();
  {
    DamagedImage sound(bytes);
    EXPECT_TRUE(RenameFile(sound.volume(), "ALPHA     ", "DELTA     "));
    EXPECT_FALSE(sound.Unchanged());
    EXPECT_TRUE(reporter.errors.empty());
  }
  test::SwapFdirEntries(bytes, 1, 0, 1);
  DamagedImage image(bytes);
  EXPECT_FALSE(RenameFile(image.volume(), "ALPHA     ", "DELTA     "));
  EXPECT_TRUE(image.Unchanged());
  ExpectRefusedWithHint(reporter);
}

}  // namespace
}  // namespace korvane
