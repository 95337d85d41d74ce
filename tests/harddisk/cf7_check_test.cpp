// The card check: card images and cards in drives pass when sound, damage in
// a volume is named with the volume, a mount record naming a volume the card
// lacks is an error, and a repair of a card image's volume mends that volume
// only, keeping the original.
#include "harddisk/cf7_check.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "fileops/container_check.h"
#include "harddisk/cf7_copy.h"
#include "harddisk/cf7_card.h"
#include "support/card_builder.h"
#include "support/drive_stand_ins.h"
#include "support/damage.h"
#include "support/floppy_check.h"
#include "support/imgtool_check.h"

namespace korvane {
namespace {

using test::Bytes;

test::CardLayout Layout(std::array<uint16_t, 3> mounted = {1, 3, 0}) {
  test::CardLayout layout;
  layout.volumes.push_back(test::DiskBuilder("FIRST", 1600, 20, 40, 2, 1)
                               .Add(test::DisVarFile("README", 80, {"HI"}))
                               .Add(test::ProgramFile("GAME", Bytes(900, 3)))
                               .Add(test::DisFixFile("ZDATA", 40, {"A", "B"}))
                               .Build());
  layout.volumes.push_back({});  // never formatted
  layout.volumes.push_back(test::DiskBuilder::Sssd("SMALL").Add(test::ProgramFile("PROG", Bytes(600, 7))).Build());
  layout.mount = true;
  layout.mounted = mounted;
  return layout;
}

std::string Dump(const CheckReport& r) {
  std::string s;
  for (const Finding& f : r.findings) s += FormatFinding(f) + "\n";
  return s;
}

const Finding* Find(const CheckReport& r, FindingCode code, const std::string& structure) {
  for (const Finding& f : r.findings)
    if (f.code == code && f.structure == structure) return &f;
  return nullptr;
}

CheckReport CheckImage(const test::TempDir& dir, const Bytes& file) {
  const std::string path = dir.Write("card.cf7", file);
  ContainerCheck c = CheckPcFile(path, true);
  EXPECT_TRUE(c.checked);
  EXPECT_EQ(c.report.kind, "CF7A+IMG");
  return c.report;
}

CheckReport CheckDrive(const std::string& path) {
  CardDrive card;
  CheckReport r;
  EXPECT_TRUE(card.Open(test::StandInEnv(path), test::StandInDevice(path), DriveAccess::Read));
  CheckCard(card, r);
  return r;
}

TEST(Cf7Check, SoundCardImageHasNoErrors) {
  test::TempDir dir;
  const CheckReport r = CheckImage(dir, test::CardImageFile("CARD", Layout()));
  EXPECT_EQ(r.Errors(), 0) << Dump(r);
  // Volume 3 is a 360-sector disk on a 1600-sector volume: read as it is.
  EXPECT_EQ(Find(r, FindingCode::VibTotal, "volume 3 VIB"), nullptr) << Dump(r);
}

// A smaller disk copied onto a volume keeps its own geometry under the
// grown total; only a volume whose own geometry disagrees is warned about.
TEST(Cf7Check, DiskCopiedOntoAVolumeIsNotAGeometryFault) {
  test::TempDir dir;
  const std::string card = dir.Write("card.cf7", test::CardImageFile("CARD", Layout()));
  const std::string dsk =
      dir.Write("in.dsk", test::DiskBuilder::Sssd("COPIED").Add(test::ProgramFile("P", Bytes(300, 1))).Build());
  {
    CardImage c;
    ASSERT_TRUE(c.Open(card, true));
    ASSERT_EQ(CopyImageToVolume(c, 2, dsk, NoProgress()), CardCopyResult::Done);
  }
  ContainerCheck grown = CheckPcFile(card, true);
  EXPECT_EQ(grown.report.findings.size(), 0u) << Dump(grown.report);

  test::CardLayout odd = Layout();
  odd.volumes[0][0x0C] = 21;  // sectors per track: 21 x 40 x 2 is not 1600
  const CheckReport r = CheckImage(dir, test::CardImageFile("CARD", odd));
  EXPECT_NE(Find(r, FindingCode::VibGeometry, "volume 1 VIB"), nullptr) << Dump(r);
}

TEST(Cf7Check, DamagedVolumeAndMountRecordAreNamed) {
  test::TempDir dir;
  test::CardLayout layout = Layout({1, 7, 2});  // 7: past the 3 volumes; 2: never formatted
  Bytes& v3 = layout.volumes[2];
  test::SetBitmapBitOfSector(v3, test::FdrSectorOf(v3, "PROG"), false);
  const CheckReport r = CheckImage(dir, test::CardImageFile("CARD", layout));

  const Finding* bitmap = Find(r, FindingCode::BitmapClearButUsed, "volume 3 bitmap");
  ASSERT_NE(bitmap, nullptr) << Dump(r);
  EXPECT_EQ(bitmap->severity, Severity::Error);
  EXPECT_EQ(bitmap->file, "PROG");

  bool past = false, unformatted = false;
  for (const Finding& f : r.findings) {
    if (f.code != FindingCode::MountRecord) continue;
    EXPECT_EQ(f.structure, "header");
    if (f.reason.find("DSK2 is volume 7") != std::string::npos) past = f.severity == Severity::Error;
    if (f.reason.find("DSK3 is volume 2") != std::string::npos) unformatted = f.severity == Severity::Warning;
  }
  EXPECT_TRUE(past) << Dump(r);
  EXPECT_TRUE(unformatted) << Dump(r);
}

TEST(Cf7Check, HeaderAndSize) {
  test::TempDir dir;
  test::CardLayout layout = Layout();
  layout.extraSectors = 5;
  Bytes file = test::CardImageFile("CARD", layout);
  file[11] = 0x40;
  file.push_back(0);
  const CheckReport r = CheckImage(dir, file);
  EXPECT_EQ(r.Errors(), 0) << Dump(r);
  EXPECT_NE(Find(r, FindingCode::CardHeader, "header"), nullptr) << Dump(r);
  int sizeWarnings = 0;
  for (const Finding& f : r.findings) sizeWarnings += f.code == FindingCode::ImageSize;
  EXPECT_EQ(sizeWarnings, 2) << Dump(r);  // a stray byte, and 5 sectors past the last volume
}

TEST(Cf7Check, CardInADriveKeepsItsMountRecordInVolumeOne) {
  test::TempDir dir;
  // The record lies in the VIB's sub-directory area of volume 1: no fault.
  CheckReport r = CheckDrive(dir.Write("card.raw", test::RawCard(Layout())));
  EXPECT_TRUE(r.findings.empty()) << Dump(r);

  r = CheckDrive(dir.Write("past.raw", test::RawCard(Layout({4, 0, 0}))));
  const Finding* f = Find(r, FindingCode::MountRecord, "volume 1 VIB");
  ASSERT_NE(f, nullptr) << Dump(r);
  EXPECT_EQ(f->severity, Severity::Error);
  EXPECT_EQ(r.Errors(), 1) << Dump(r);
}

TEST(Cf7Check, CardMadeByAnotherToolHasNoErrors) {
  const std::string path = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool/card-two.raw";
  struct stat st;
  if (stat(path.c_str(), &st) != 0) GTEST_SKIP() << "corpus absent: " << path;
  test::TempDir dir;
  const CheckReport r = CheckDrive(dir.Write("card.raw", test::ReadFile(path)));
  EXPECT_EQ(r.Errors(), 0) << Dump(r);
}

TEST(Cf7Check, RepairMendsTheDamagedVolumeOnly) {
  test::TempDir dir;
  test::CardLayout layout = Layout();
  Bytes& v1 = layout.volumes[0];
  test::SwapFdirEntries(v1, 1, 0, 2);
  test::SetBitmapBitOfSector(v1, test::FdrSectorOf(v1, "GAME"), false);
  const Bytes original = test::CardImageFile("CARD", layout);
  const std::string path = dir.Write("card.cf7", original);
  ASSERT_GT(CheckPcFile(path, true).report.Errors(), 0);

  const RepairOutcome outcome = RepairPcFile(path, true);
  ASSERT_FALSE(outcome.failed) << outcome.refusal;
  EXPECT_TRUE(outcome.written);
  EXPECT_EQ(outcome.after.Errors(), 0) << Dump(outcome.after);
  EXPECT_EQ(test::ReadFile(path + ".bak"), original);

  const Bytes mended = test::ReadFile(path);
  ASSERT_EQ(mended.size(), original.size());
  const size_t volume2 = CardImageVolumeOffset(2);
  EXPECT_TRUE(std::equal(original.begin() + volume2, original.end(), mended.begin() + volume2));
  EXPECT_TRUE(std::equal(original.begin(), original.begin() + 128, mended.begin()));  // header and record
  const ContainerCheck again = CheckPcFile(path, true);
  EXPECT_EQ(again.report.Errors(), 0) << Dump(again.report);

  // The mended volume, taken out as a disk image, reads soundly and keeps
  // every file as it was.
  const Bytes volume(mended.begin() + 128, mended.begin() + 128 + 1600 * 256);
  const Bytes before(original.begin() + 128, original.begin() + 128 + 1600 * 256);
  EXPECT_TRUE(test::CheckFloppyConsistency(volume).empty());
  for (const char* name : {"README", "GAME", "ZDATA"})
    EXPECT_EQ(test::ReadFileAtFdr(volume, test::FdrSectorOf(volume, name)),
              test::ReadFileAtFdr(before, test::FdrSectorOf(before, name)))
        << name;
  const std::string dsk = dir.Write("volume1.dsk", volume);
  for (const std::string& d : test::ImgtoolDifferences(dsk, test::FilesOnImage(volume))) ADD_FAILURE() << d;

  // A second repair finds nothing to do, and the existing .bak is not touched.
  const RepairOutcome second = RepairPcFile(path, true);
  EXPECT_FALSE(second.written);
  EXPECT_FALSE(second.failed) << second.refusal;
}

class CancelAfter : public Progress {
 public:
  explicit CancelAfter(uint64_t steps) : left_(steps) {}
  bool Step(uint64_t) override { return left_-- > 0; }

 private:
  uint64_t left_;
};

TEST(Cf7Check, CancelEndsTheCheckAndSaysSo) {
  test::TempDir dir;
  const std::string path = dir.Write("card.cf7", test::CardImageFile("CARD", Layout()));
  CancelAfter cancel(1);
  const ContainerCheck c = CheckPcFile(path, true, cancel);
  const Finding* f = Find(c.report, FindingCode::ReadFailed, "card");
  ASSERT_NE(f, nullptr) << Dump(c.report);
  EXPECT_NE(f->reason.find("cancelled at volume 2"), std::string::npos);
}

}  // namespace
}  // namespace korvane
