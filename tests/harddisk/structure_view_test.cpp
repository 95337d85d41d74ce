#include "harddisk/structure_view.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/card_builder.h"
#include "support/disk_builder.h"
#include "support/hd_builder.h"
#include "support/recording_reporter.h"

namespace korvane {
namespace {

using test::Bytes;

std::string Field(const StructureDescription& d, const std::string& label) {
  for (const StructureField& f : d.fields)
    if (f.label == label) return f.value;
  ADD_FAILURE() << "no field " << label << " in " << d.caption;
  return {};
}

const StructureButton& Button(const StructureDescription& d, int id) {
  for (const StructureButton& b : d.buttons)
    if (b.id == id) return b;
  ADD_FAILURE() << "no button " << id << " in " << d.caption;
  static const StructureButton none;
  return none;
}

// Follows a button's fixed target, or the target of list line `line`.
StructureOpened Follow(const StructureDescription& d, int buttonId, int line = -1) {
  if (line >= 0) {
    EXPECT_LT(static_cast<size_t>(line), d.lineTargets.size()) << d.caption;
    if (static_cast<size_t>(line) >= d.lineTargets.size() || !d.lineTargets[static_cast<size_t>(line)])
      return {};
    return OpenTarget(*d.lineTargets[static_cast<size_t>(line)]);
  }
  const StructureButton& b = Button(d, buttonId);
  EXPECT_TRUE(b.target.has_value()) << buttonId;
  return b.target ? OpenTarget(*b.target) : StructureOpened{};
}

Bytes Sector(uint8_t fill, size_t n = 1) { return Bytes(256 * n, fill); }

// A file of `data` with the given status and record length, as the
// hard-disk builder lays it out.
test::TiFile HdFile(const std::string& name, uint8_t status, uint8_t recordLength, Bytes data) {
  test::TiFile f;
  f.name = name;
  f.status = status;
  f.recordLength = recordLength;
  f.data = std::move(data);
  return f;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(StructureTexts, ValueFormatsAndTheTimeStamp) {
  EXPECT_EQ(ByteText(0x0A), ">0A");
  EXPECT_EQ(ByteCharText('D'), ">44 (D)");
  EXPECT_EQ(ByteCharText(0x00), ">00 ( )");
  EXPECT_EQ(ByteCharText(0x7F), ">7F ( )");
  EXPECT_EQ(WordText(0x5AA5), ">5AA5");
  EXPECT_EQ(LongText(0x0000BEEF), ">0000BEEF");
  const uint8_t stamp[4] = {0x5A, 0x3C, 0x2C, 0x6F};
  EXPECT_EQ(TimeStampText(stamp), ">5A3C2C6F (hms) 11:17:56 (ymd) 22-03-15");
  const uint8_t zero[4] = {0, 0, 0, 0};
  EXPECT_EQ(TimeStampText(zero), ">00000000 (hms) 00:00:00 (ymd) 00-00-00");
}

class FloppyStructures : public testing::Test {
 protected:
  void SetUp() override {
    test::TiFile file = test::DisVarFile("LETTER", 80, {});
    file.data = Join({Sector('a'), Sector('b'), Sector('c'), Sector('d'), Sector('e'), Sector('f')});
    file.fragments = {4, 2};
    image = dir.Write(
        "disk.dsk",
        test::DiskBuilder::Sssd("WORKDISK").Add(test::DisVarFile("ALPHA", 80, {"x"})).Add(file).Build());
  }
  test::TempDir dir;
  std::string image;
  test::RecordingReporter reporter;
};

TEST_F(FloppyStructures, VibShowsItsFieldsAndGreysEmptyDirectories) {
  const auto vib = OpenTarget(*FirstStructureOf(kKindDsk, image)).structure;
  ASSERT_TRUE(vib);
  EXPECT_EQ(vib->caption, "FloppyDisk VIB - Sector >0000");
  EXPECT_EQ(Field(*vib, "Volume name"), "WORKDISK  ");
  EXPECT_EQ(Field(*vib, "Total number of sectors"), ">0168");
  EXPECT_EQ(Field(*vib, "Sectors per track"), ">09");
  EXPECT_EQ(Field(*vib, "Disk marker 1"), ">44 (D)");
  EXPECT_EQ(Field(*vib, "Disk marker 3"), ">4B (K)");
  EXPECT_EQ(Field(*vib, "Tracks per side"), ">28");
  EXPECT_EQ(Field(*vib, "Directory 2 FDIR sector"), ">0000");
  EXPECT_EQ(Field(*vib, "File descriptor index record"), ">0001");
  ASSERT_EQ(vib->lines.size(), 200u);
  EXPECT_EQ(vib->lines[0], " >38        >0F");  // sectors 0-3: VIB, FDIR and two FDRs
  EXPECT_EQ(vib->lines[199], " >FF        >FF");
  EXPECT_TRUE(Button(*vib, 1159).enabled);
  EXPECT_FALSE(Button(*vib, 1166).enabled);
  EXPECT_FALSE(Button(*vib, 1168).enabled);
  EXPECT_FALSE(Button(*vib, 1169).enabled);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST_F(FloppyStructures, WalksFromTheVibDownToTheHexViewOfEachBlock) {
  const auto vib = DescribeStructure(StructureKind::FloppyVib, {image, 1, 0, 0, 0});
  ASSERT_TRUE(vib);
  const auto fdir = Follow(*vib, 1159).structure;
  ASSERT_TRUE(fdir);
  EXPECT_EQ(fdir->caption, "FloppyDisk FDIR - Sector >0001");
  ASSERT_EQ(fdir->lines.size(), 128u);
  EXPECT_EQ(fdir->lines[0], " 000\t>0002\tALPHA");
  EXPECT_EQ(fdir->lines[1], " 002\t>0003\tLETTER");
  EXPECT_EQ(fdir->lines[2], " 004\t>0000");
  EXPECT_FALSE(fdir->lineTargets[2]) << "an empty slot opens nothing";
  EXPECT_TRUE(Button(*fdir, 1161).opensSelection);

  const auto fdr = Follow(*fdir, 1161, 1).structure;
  ASSERT_TRUE(fdr);
  EXPECT_EQ(fdr->caption, "FloppyDisk FDR - Sector >0003");
  EXPECT_EQ(Field(*fdr, "File name"), "LETTER    ");
  EXPECT_EQ(Field(*fdr, "File status flags"), ">80");
  EXPECT_EQ(Field(*fdr, "Number of sectors currently allocated"), ">0006");
  EXPECT_EQ(Field(*fdr, "Logical record length"), ">50");
  ASSERT_EQ(fdr->lines.size(), 2u);
  EXPECT_EQ(fdr->lines[0], ">1C\t>024\t>003");
  EXPECT_EQ(fdr->lines[1], ">1F\t>029\t>005");
  EXPECT_TRUE(fdr->listEnabled);

  // Four sectors from >24 for the first block, two from >29 for the second.
  const auto first = Follow(*fdr, 1162, 0).sectors;
  ASSERT_TRUE(first);
  EXPECT_EQ(first->title, "LETTER    : FirstSector: >0024  NumberOfSectors: >0004");
  EXPECT_EQ(std::count(first->text.begin(), first->text.end(), '\n'), 64);
  EXPECT_NE(first->text.find("00000300 64 64"), std::string::npos);
  const auto second = Follow(*fdr, 1162, 1).sectors;
  ASSERT_TRUE(second);
  EXPECT_EQ(second->title, "LETTER    : FirstSector: >0029  NumberOfSectors: >0002");
  EXPECT_EQ(second->text.substr(0, 12), "00000000 65 ");
  EXPECT_TRUE(reporter.errors.empty());
}

TEST_F(FloppyStructures, ADataChainWhoseEndOffsetGoesBackOpensNothingOnThatLine) {
  Bytes bytes = test::ReadFile(image);
  // FDR of LETTER in sector 3: make the second block end before the first.
  bytes[3 * 256 + 28 + 3 + 1] = 0x10;  // start >029, end offset >001
  bytes[3 * 256 + 28 + 3 + 2] = 0x00;
  const std::string bad = dir.Write("bad.dsk", bytes);
  const auto fdr = DescribeStructure(StructureKind::FloppyFdr, {bad, 1, 3, 0, 0});
  ASSERT_TRUE(fdr);
  ASSERT_EQ(fdr->lines.size(), 2u);
  EXPECT_EQ(fdr->lines[1], ">1F\t>029\t>001");
  EXPECT_TRUE(fdr->lineTargets[0]);
  EXPECT_FALSE(fdr->lineTargets[1]);
}

TEST_F(FloppyStructures, AnEmptyChainGreysTheList) {
  test::TiFile nothing = test::DisVarFile("NOTHING", 80, {});
  nothing.data.clear();
  const std::string empty = dir.Write("empty.dsk", test::DiskBuilder::Sssd("E").Add(nothing).Build());
  const auto fdr = DescribeStructure(StructureKind::FloppyFdr, {empty, 1, 2, 0, 0});
  ASSERT_TRUE(fdr);
  EXPECT_TRUE(fdr->lines.empty());
  EXPECT_FALSE(fdr->listEnabled);
}

TEST_F(FloppyStructures, UnreadableTargetsOpenNothingAndAreReported) {
  StructureContext missing{dir.path() + "/nope.dsk", 1, 0, 0, 0};
  EXPECT_FALSE(DescribeStructure(StructureKind::FloppyVib, missing));
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't open file for read <" + missing.imagePath + ">");

  reporter.errors.clear();
  StructureTarget past = *FirstStructureOf(kKindDsk, image);
  past.kind = StructureKind::FloppyFdr;
  past.context.number = 400;
  const StructureOpened opened = OpenTarget(past);
  EXPECT_FALSE(opened.structure);
  EXPECT_FALSE(opened.sectors);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <400> from <" + image + ">");
}

TEST_F(FloppyStructures, AnIndexEntryBeyondTheImageEndsTheListButTheWindowOpens) {
  Bytes bytes = test::ReadFile(image);
  bytes[256 + 2] = 0x09;  // second entry: sector >0900, far past the end
  bytes[256 + 3] = 0x00;
  const std::string bad = dir.Write("bad.dsk", bytes);
  const auto fdir = DescribeStructure(StructureKind::FloppyFdir, {bad, 1, 1, 0, 0});
  ASSERT_TRUE(fdir);
  EXPECT_EQ(fdir->lines.size(), 1u);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <2304> from <" + bad + ">");
}

TEST(HardDiskStructures, WalksFromThePartitionTableToAFileBlock) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::HardDiskBuilder first("FIRSTPART", 200, 2);
  first.Root().Add(HdFile("README", 0x80, 80, Sector('r', 3)));
  first.Root().AddDir("DOCS").Add(HdFile("MANUAL", 0x00, 128, Sector('m', 4)));
  test::HdImage volume1 = first.Build();
  const uint16_t docsAu = volume1.dirAu.at("DOCS");
  // The AU count field is shown as stored; this disk stores the data AUs.
  volume1.PutWord(volume1.Sector(volume1.fdrAu.at("DOCS.MANUAL")), 34, 2);
  const Bytes volume2 = test::HardDiskBuilder("SECONDPRT", 400).Build().bytes;
  // Partition 1 at 512-byte unit 1 (TI sector 2), partition 2 after it,
  // partition 3 with an offset but no size, no partition 4.
  const uint32_t p2 = 1 + static_cast<uint32_t>(volume1.bytes.size() / 512);
  const std::string image =
      dir.Write("disk.hd", test::PartitionedImage(p2 + 200, {{1, volume1.bytes}, {p2, volume2}, {p2 + 200, {}}}));

  const auto pt = OpenTarget(*FirstStructureOf(kKindPtImg, image)).structure;
  ASSERT_TRUE(pt);
  EXPECT_EQ(pt->caption, "HardDisk PTI - Sector >0000");
  EXPECT_EQ(Field(*pt, "Partition table name"), "*TI99FSPT*");
  EXPECT_EQ(Field(*pt, "Total number of allocation units"), ">FFFF");
  EXPECT_EQ(Field(*pt, "Table marker 2"), ">54 (T)");
  EXPECT_EQ(Field(*pt, "Partition 1 : offset"), ">00000001");
  EXPECT_EQ(Field(*pt, "Partition 1 : number of sectors"), ">000000C8");
  EXPECT_EQ(Field(*pt, "Partition table flag"), ">5AA5");
  EXPECT_TRUE(Button(*pt, 1236).enabled);
  EXPECT_TRUE(Button(*pt, 1237).enabled);
  EXPECT_FALSE(Button(*pt, 1238).enabled) << "partition 3 has no size";
  EXPECT_FALSE(Button(*pt, 1239).enabled);

  const auto vib = Follow(*pt, 1236).structure;
  ASSERT_TRUE(vib);
  EXPECT_EQ(vib->caption, "HardDisk VIB - Sector >0000");
  EXPECT_EQ(vib->context.base, 2u);
  EXPECT_EQ(vib->context.sectorsPerAu, 2u) << "taken from the partition's own VIB";
  EXPECT_EQ(Field(*vib, "Volume name"), "FIRSTPART ");
  EXPECT_EQ(Field(*vib, "Total number of allocation units"), ">00C8");
  EXPECT_EQ(Field(*vib, "Hard disk parameters"), ">1000");
  EXPECT_EQ(Field(*vib, "Date and time of creation"), ">5A3C2C6F (hms) 11:17:56 (ymd) 22-03-15");
  EXPECT_EQ(Field(*vib, "File desciptor index record"), ">0020");
  EXPECT_FALSE(Button(*vib, 1190).enabled);
  ASSERT_EQ(vib->lines.size(), 1u);
  EXPECT_EQ(vib->lines[0], fmt::sprintf(">1C\t>%04X\tDOCS", docsAu));

  const auto ddr = Follow(*vib, 1196, 0).structure;
  ASSERT_TRUE(ddr);
  EXPECT_EQ(ddr->caption,
            fmt::sprintf("HardDisk DDR - AU >%04X - Sector >%04X", docsAu, 2 * docsAu));
  EXPECT_EQ(Field(*ddr, "Directory marker 1"), ">44 (D)");
  EXPECT_EQ(Field(*ddr, "Parent directory descriptor record"), ">0000");
  EXPECT_TRUE(ddr->lines.empty());

  const auto fdir = Follow(*ddr, 1209).structure;
  ASSERT_TRUE(fdir);
  const uint16_t fdirAu = static_cast<uint16_t>(docsAu + 1);
  EXPECT_EQ(fdir->caption, fmt::sprintf("HardDisk FDIR - AU >%04X - Sector >%04X", fdirAu, 2 * fdirAu));
  ASSERT_EQ(fdir->lines.size(), 127u);
  const uint16_t fdrAu = static_cast<uint16_t>(fdirAu + 1);
  EXPECT_EQ(fdir->lines[0], fmt::sprintf(" 000\t>%04X\tMANUAL", fdrAu));
  EXPECT_EQ(Field(*fdir, "Associated Directory Descriptor Record"),
            fmt::sprintf(" 254\t>%04X\tDOCS", docsAu));

  const auto fdr = Follow(*fdir, 1165, 0).structure;
  ASSERT_TRUE(fdr);
  // The FDR's caption counts its sector from the start of the disk.
  EXPECT_EQ(fdr->caption, fmt::sprintf("HardDisk FDR - AU >%04X - Sector >%04X", fdrAu, 2 * fdrAu + 2));
  EXPECT_EQ(Field(*fdr, "File name"), "MANUAL    ");
  EXPECT_EQ(Field(*fdr, "FDR marker 1"), ">46 (F)");
  EXPECT_EQ(Field(*fdr, "Numbr of AU's allocated"), ">0002");
  EXPECT_EQ(Field(*fdr, "Date and time of last update"), ">5A3C2C6F (hms) 11:17:56 (ymd) 22-03-15");
  ASSERT_EQ(fdr->lines.size(), 1u);
  EXPECT_EQ(fdr->lines[0], fmt::sprintf(">28\t>%04X\t>%04X", fdrAu + 1, fdrAu + 2));

  const auto view = Follow(*fdr, 1224, 0).sectors;
  ASSERT_TRUE(view);
  EXPECT_EQ(view->title,
            fmt::sprintf("MANUAL    : FirstSector: >%04X  NumberOfSectors: >0004", 2 * (fdrAu + 1)));
  EXPECT_EQ(view->text.substr(0, 12), "00000000 6D ");
  EXPECT_NE(view->text.find("000003F0 6D"), std::string::npos);

  const auto vib2 = Follow(*pt, 1237).structure;
  ASSERT_TRUE(vib2);
  EXPECT_EQ(Field(*vib2, "Volume name"), "SECONDPRT ");
  EXPECT_EQ(vib2->context.sectorsPerAu, 1u);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(HardDiskStructures, AnEmptySubdirectoryPointerIsFlaggedAndTheListGoesOn) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::HardDiskBuilder builder("HARDDISK", 400);
  for (const char* name : {"ONE", "TWO", "THREE"}) builder.Root().AddDir(name);
  const test::HdImage volume = builder.Build();
  Bytes bytes = volume.bytes;
  bytes[30] = bytes[31] = 0;  // the second pointer
  const std::string image = dir.Write("disk.hd", bytes);
  const auto vib = OpenTarget(*FirstStructureOf(kKindHdImg, image)).structure;
  ASSERT_TRUE(vib);
  ASSERT_EQ(vib->lines.size(), 3u);
  EXPECT_EQ(vib->lines[0], fmt::sprintf(">1C\t>%04X\tONE", volume.dirAu.at("ONE")));
  EXPECT_EQ(vib->lines[1], ">1E\t>0000\t**ERROR**");
  EXPECT_EQ(vib->lines[2], fmt::sprintf(">20\t>%04X\tTHREE", volume.dirAu.at("THREE")));
  EXPECT_FALSE(vib->lineTargets[1]);
  EXPECT_TRUE(reporter.errors.empty());

  // The root index names the VIB as its owner.
  const auto fdir = Follow(*vib, 1186).structure;
  ASSERT_TRUE(fdir);
  EXPECT_EQ(Field(*fdir, "Associated Directory Descriptor Record"), " 254\t>0000\tHARDDISK");
}

TEST(CardStructures, VolumeListShowsUnformattedVolumesAndOpensFormattedOnes) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  test::TiFile file = test::DisFixFile("DATA", 128, {"hello"});
  const Bytes vol1 = test::DiskBuilder("CARD1", 1600, 20, 40, 2, 1).Add(file).Build();
  const Bytes vol3 = test::DiskBuilder("THIRD", 1600, 20, 40, 2, 1).Build();
  const std::string image = dir.Write("card.cf7", test::CardImageFile("CARD", {{vol1, {}, vol3}}));

  const auto list = OpenTarget(*FirstStructureOf(kKindCardImg, image)).structure;
  ASSERT_TRUE(list);
  EXPECT_EQ(list->caption, "Cf7a+ Volume list");
  ASSERT_EQ(list->lines.size(), 3u);
  EXPECT_EQ(list->lines[0], " 0001\t000000\tCARD1");
  EXPECT_EQ(list->lines[1], " 0002\t001600\tUNFORMATED");
  EXPECT_EQ(list->lines[2], " 0003\t003200\tTHIRD");
  EXPECT_FALSE(list->lineTargets[1]);

  const auto vib = Follow(*list, 1242, 2).structure;
  ASSERT_TRUE(vib);
  EXPECT_EQ(vib->caption, "CF7a+ VIB - Volume 3 - Sector >0000");
  EXPECT_EQ(Field(*vib, "Volume name"), "THIRD     ");
  const auto vib1 = Follow(*list, 1242, 0).structure;
  ASSERT_TRUE(vib1);
  const auto fdir = Follow(*vib1, 1159).structure;
  ASSERT_TRUE(fdir);
  EXPECT_EQ(fdir->caption, "CF7a+ FDIR - Volume 1 - Sector >0001");
  EXPECT_EQ(fdir->lines[0], " 000\t>0002\tDATA");
  const auto fdr = Follow(*fdir, 1161, 0).structure;
  ASSERT_TRUE(fdr);
  EXPECT_EQ(fdr->caption, "CF7a+ FDR - Volume 1 - Sector >0002");
  const auto view = Follow(*fdr, 1162, 0).sectors;
  ASSERT_TRUE(view);
  EXPECT_NE(view->text.find("hello"), std::string::npos) << view->text.substr(0, 200);
  EXPECT_TRUE(reporter.errors.empty());
}

TEST(CardStructures, AShortHeaderOpensNothing) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  const std::string image = dir.Write("tiny.cf7", Bytes(100, 0));
  EXPECT_FALSE(OpenTarget(*FirstStructureOf(kKindCardImg, image)).structure);
  ASSERT_EQ(reporter.errors.size(), 1u);
  EXPECT_EQ(reporter.errors[0], "Can't read sector <0> from <" + image + ">");
}

TEST(Structures, OnlyImageRowsHaveAFirstStructure) {
  EXPECT_FALSE(FirstStructureOf(kKindDisVar, "x"));
  EXPECT_FALSE(FirstStructureOf(kKindPc99Sd, "x"));
  EXPECT_EQ(FirstStructureOf(kKindHdImg, "x")->kind, StructureKind::HardVib);
}

// Random sectors must give windows, never a crash or a hang, whatever kind
// they are read as.
TEST(Structures, GarbageSectorsNeverCrash) {
  test::RecordingReporter reporter;
  test::TempDir dir;
  std::mt19937 random(1234);
  for (int round = 0; round < 20; ++round) {
    Bytes bytes(64 * 256);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    if (round % 2) std::fill(bytes.begin(), bytes.begin() + 256, 0xFF);
    const std::string image = dir.Write("garbage.img", bytes);
    for (StructureKind kind :
         {StructureKind::FloppyVib, StructureKind::FloppyFdir, StructureKind::FloppyFdr,
          StructureKind::HardVib, StructureKind::HardDdr, StructureKind::HardFdir, StructureKind::HardFdr,
          StructureKind::PartitionTable, StructureKind::CardVolumes}) {
      for (uint32_t volume : {0u, 1u}) {
        const auto d = DescribeStructure(kind, {image, 16, 3, volume ? 128u : 0u, volume});
        if (!d) continue;
        EXPECT_EQ(d->lines.size(), d->lineTargets.size());
        for (const auto& t : d->lineTargets)
          if (t && t->what == StructureTarget::What::SectorRange) (void)OpenTarget(*t);
      }
    }
  }
}

}  // namespace
}  // namespace korvane
