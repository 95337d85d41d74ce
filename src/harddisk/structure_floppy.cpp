// The floppy structure windows (a V9T9 image, or a volume of a card image,
// which is a floppy of 1600 sectors at a byte offset) and the card image's
// volume list.
#include <fmt/printf.h>

#include "catalog/errors.h"
#include "harddisk/cf7_card.h"
#include "harddisk/structure_internal.h"

namespace korvane::structure {
namespace {

// Floppy VIB, sector 0:
//   00-09 volume name   0a-0b total sectors   0c sectors per track
//   0d-0f "DSK"         10 protection         11 tracks per side
//   12 sides            13 density
//   14-1d, 1e-1f   sub-directory 1: name, sector of its file index (0: none)
//   20-29, 2a-2b   sub-directory 2
//   2c-35, 36-37   sub-directory 3
//   38-ff allocation bitmap
constexpr size_t kBitmapStart = 56;
// The root file index always lies in sector 1.
constexpr uint16_t kRootFdirSector = 1;

// Floppy FDR: bytes 00-1b as every TI FDR, the data chain from 1c in
// three-byte entries: start = (b1 & 0f) * 256 + b0, end offset = b2 * 16 + (b1 >> 4).
constexpr size_t kChainStart = 28;

std::string Caption(const StructureContext& c, const char* what) {
  if (c.volume != 0) return fmt::sprintf("CF7a+ %s - Volume %d - Sector >%04X", what, c.volume, c.number);
  return fmt::sprintf("FloppyDisk %s - Sector >%04X", what, c.number);
}

// A card volume's sector 0 counts as a floppy VIB when it carries "DSK",
// has tracks, and no more sides or density than a floppy can have.
bool IsVolumeVib(ByteView s) {
  return s.equals(13, "DSK") && s.u8(17) != 0 && s.u8(18) <= 2 && s.u8(19) <= 3;
}

}  // namespace

void DescribeFloppyVib(Reader&, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = Caption(c, "VIB");
  AddField(d, 1141, "Volume name", NameText(s, 0));
  AddField(d, 1142, "Total number of sectors", WordText(s.be16(10)));
  AddField(d, 1143, "Sectors per track", ByteText(s.u8(12)));
  AddField(d, 1144, "Disk marker 1", ByteCharText(s.u8(13)));
  AddField(d, 1145, "Disk marker 2", ByteCharText(s.u8(14)));
  AddField(d, 1146, "Disk marker 3", ByteCharText(s.u8(15)));
  AddField(d, 1155, "Protection", ByteText(s.u8(16)));
  AddField(d, 1156, "Tracks per side", ByteText(s.u8(17)));
  AddField(d, 1147, "Number of sides", ByteText(s.u8(18)));
  AddField(d, 1148, "Density", ByteText(s.u8(19)));
  static const int kNameIds[3] = {1149, 1151, 1153};
  static const int kSectorIds[3] = {1150, 1152, 1154};
  static const int kButtonIds[3] = {1166, 1168, 1169};
  for (int i = 0; i < 3; ++i) {
    const size_t slot = 20 + 12 * static_cast<size_t>(i);
    AddField(d, kNameIds[i], fmt::sprintf("Directory %d name", i + 1), NameText(s, slot));
    AddField(d, kSectorIds[i], fmt::sprintf("Directory %d FDIR sector", i + 1), WordText(s.be16(slot + 10)));
  }
  AddField(d, 1157, "File descriptor index record", WordText(kRootFdirSector));

  d.listLabel = "Allocation bitmap";
  for (size_t offset = kBitmapStart; offset < 256; ++offset) {
    d.lines.push_back(fmt::sprintf(" >%02X        >%02X", static_cast<unsigned>(offset), s.u8(offset)));
    d.lineTargets.emplace_back();
  }

  d.buttons.push_back(
      {1159, "Open FDIR", true, false, StructureAt(c, StructureKind::FloppyFdir, kRootFdirSector)});
  for (int i = 0; i < 3; ++i) {
    const uint16_t sector = s.be16(20 + 12 * static_cast<size_t>(i) + 10);
    d.buttons.push_back({kButtonIds[i], fmt::sprintf("Open directory %d FDIR", i + 1), sector != 0, false,
                         StructureAt(c, StructureKind::FloppyFdir, sector)});
  }
}

void DescribeFloppyFdir(Reader& reader, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = Caption(c, "FDIR");
  d.listLabel = "File descriptor records";
  // Every word of the sector is shown, the empty ones too; the names come
  // from the records they point to.
  ListFdrPointers(reader, s, 256, StructureKind::FloppyFdr, d);
  d.buttons.push_back({1161, "Open FDR", true, true, std::nullopt});
}

void DescribeFloppyFdr(Reader&, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = Caption(c, "FDR");
  const std::string name = NameText(s, 0);
  static const int kHeaderIds[10] = {1131, 1132, 1133, 1134, 1136, 1137, 1135, 1138, 1139, 1140};
  AddFdrHeaderFields(d, s, kHeaderIds);

  d.listLabel = "Data chain";
  int previousEnd = -1;
  for (size_t offset = kChainStart; offset + 3 <= 256; offset += 3) {
    const uint8_t b0 = s.u8(offset), b1 = s.u8(offset + 1), b2 = s.u8(offset + 2);
    const unsigned start = (b1 & 0x0Fu) * 256u + b0;
    const unsigned end = b2 * 16u + (b1 >> 4u);
    if (start == 0 && end == 0) break;
    d.lines.push_back(fmt::sprintf(">%02X\t>%03X\t>%03X", static_cast<unsigned>(offset), start, end));
    // A block holds the sectors from the one after the previous block's end
    // offset up to its own. An end offset below the previous one names no
    // sectors: that line opens nothing.
    const int count = static_cast<int>(end) - previousEnd;
    previousEnd = static_cast<int>(end);
    if (count <= 0) {
      d.lineTargets.emplace_back();
      continue;
    }
    StructureTarget t;
    t.what = StructureTarget::What::SectorRange;
    t.kind = StructureKind::FloppyFdr;
    t.context = c;
    t.label = name;
    t.byteOffset = c.volume != 0;
    t.imageStart = c.volume != 0 ? c.base : 0;
    t.sectorsPerUnit = 1;
    t.firstUnit = start;
    t.unitCount = static_cast<uint32_t>(count);
    d.lineTargets.push_back(t);
  }
  d.listEnabled = !d.lines.empty();
  d.buttons.push_back({1162, "View sectors", true, true, std::nullopt});
}

bool DescribeCardVolumes(Reader& reader, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = "Cf7a+ Volume list";
  uint8_t header[cf7::kHeaderSize];
  if (!reader.File().ReadExact(0, header, sizeof header)) {
    ReportError(kErrReadSector, 0, c.imagePath);
    return false;
  }
  const int64_t size = reader.File().Size();
  const uint64_t volumes = size > static_cast<int64_t>(cf7::kHeaderSize)
                               ? (static_cast<uint64_t>(size) - cf7::kHeaderSize) / 256 / cf7::kVolumeSectors
                               : 0;
  d.listLabel = "Volumes";
  for (uint64_t n = 1; n <= volumes && n <= UINT32_MAX / cf7::kVolumeSectors; ++n) {
    const uint32_t first = static_cast<uint32_t>(n - 1) * cf7::kVolumeSectors;
    Sector sector;
    if (!reader.ReadSectorFrom(cf7::kHeaderSize, first, sector)) break;
    const ByteView s(sector.data(), sector.size());
    const bool valid = IsVolumeVib(s);
    d.lines.push_back(fmt::sprintf(" %04u\t%06u\t%s", static_cast<unsigned>(n), first,
                                   valid ? NameToSpace(s, 0) : std::string("UNFORMATED")));
    if (!valid) {
      d.lineTargets.emplace_back();
      continue;
    }
    StructureTarget t = StructureAt(c, StructureKind::FloppyVib, 0);
    t.context.volume = static_cast<uint32_t>(n);
    t.context.base = CardImageVolumeOffset(static_cast<uint32_t>(n));
    t.context.sectorsPerAu = 1;
    d.lineTargets.push_back(t);
  }
  d.buttons.push_back({1242, "Open VIB", true, true, std::nullopt});
  return true;
}

}  // namespace korvane::structure
