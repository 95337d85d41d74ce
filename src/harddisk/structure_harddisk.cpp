// The hard-disk structure windows: a volume's VIB and its directory
// descriptor records (DDR), file indexes, file descriptor records, and the
// partition table of a partitioned disk. Pointers are allocation units (AU)
// of the volume; AU n is volume sector SPAU * n.
#include <fmt/printf.h>

#include "harddisk/structure_internal.h"

namespace korvane::structure {
namespace {

// VIB (volume sector 0) and DDR share one layout but for 0d-0f and 1a-1b:
//   00-09 name                 0a-0b total AUs          0c sectors per track
//   0d    AUs for files (VIB)  0e step speed (VIB)      0f reduced write current (VIB)
//   0d-0f "DIR" (DDR)
//   10-11 hard disk parameters (bits 15-12: SPAU - 1)
//   12-15 creation time stamp  16 files                 17 sub-directories
//   18-19 AU of the FDIR       1a-1b DSK1 emulation FDR (VIB) / parent DDR (DDR)
//   1c-ff AUs of the sub-directories' DDRs, ended by the first 0
constexpr size_t kSubdirStart = 28;
// File index: 127 FDR AUs at 00-fd, then the AU of the DDR that owns it.
constexpr size_t kFdirOwner = 254;
// FDR: bytes 00-1b as on a floppy, then
//   1c-1d "FI"  1e-1f parent FDR AU  20-21 offspring FDR AU  22-23 AUs allocated
//   24-25 FDIR AU  26-27 extended information
//   28-ff data chain blocks: first AU, last AU (16 bits each)
constexpr size_t kBlockStart = 40;

std::string AuCaption(const char* what, uint32_t au, uint64_t sector) {
  return fmt::sprintf("HardDisk %s - AU >%04X - Sector >%04X", what, au, sector);
}

}  // namespace

void DescribeHardDirectory(Reader& reader, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  const bool vib = d.kind == StructureKind::HardVib;
  const uint64_t sector = uint64_t{c.sectorsPerAu} * c.number;
  if (vib) {
    d.caption = fmt::sprintf("HardDisk VIB - Sector >%04X", sector);
    AddField(d, 1170, "Volume name", NameText(s, 0));
    AddField(d, 1171, "Total number of allocation units", WordText(s.be16(10)));
    AddField(d, 1172, "Sectors per Track", ByteText(s.u8(12)));
    AddField(d, 1173, "Number of AU for files and dirs", ByteText(s.u8(13)));
    AddField(d, 1175, "Step speed parameter", ByteText(s.u8(14)));
    AddField(d, 1177, "Reduced write current cylinder", ByteText(s.u8(15)));
    AddField(d, 1179, "Hard disk parameters", WordText(s.be16(16)));
    AddField(d, 1192, "Date and time of creation", TimeStampText(s.data() + 18));
    AddField(d, 1181, "Number of files", ByteText(s.u8(22)));
    AddField(d, 1183, "Number of subdirectories", ByteText(s.u8(23)));
    AddField(d, 1184, "File desciptor index record", WordText(s.be16(24)));
    AddField(d, 1188, "DSK1 emulation file", WordText(s.be16(26)));
    d.buttons.push_back(
        {1186, "Open FDIR", true, false, StructureAt(c, StructureKind::HardFdir, s.be16(24))});
    // The emulation file is shown only; its button opens nothing.
    d.buttons.push_back({1190, "Open FDR", false, false, std::nullopt});
  } else {
    d.caption = AuCaption("DDR", c.number, sector);
    AddField(d, 1198, "Directory name", NameText(s, 0));
    AddField(d, 1199, "Total number of allocation units", WordText(s.be16(10)));
    AddField(d, 1200, "Sectors per Track", ByteText(s.u8(12)));
    AddField(d, 1201, "Directory marker 1", ByteCharText(s.u8(13)));
    AddField(d, 1203, "Directory marker 2", ByteCharText(s.u8(14)));
    AddField(d, 1202, "Directory marker 3", ByteCharText(s.u8(15)));
    AddField(d, 1204, "Hard disk parameters", WordText(s.be16(16)));
    AddField(d, 1205, "Date and time of creation", TimeStampText(s.data() + 18));
    AddField(d, 1206, "Number of files", ByteText(s.u8(22)));
    AddField(d, 1207, "Number of subdirectories", ByteText(s.u8(23)));
    AddField(d, 1208, "File desciptor index record", WordText(s.be16(24)));
    AddField(d, 1210, "Parent directory descriptor record", WordText(s.be16(26)));
    d.buttons.push_back(
        {1209, "Open FDIR", true, false, StructureAt(c, StructureKind::HardFdir, s.be16(24))});
  }

  // As many sub-directory lines as the record claims, with an empty pointer
  // flagged rather than ending the list.
  d.listLabel = "Subdirectories";
  const unsigned claimed = s.u8(23);
  unsigned shown = 0;
  for (size_t offset = kSubdirStart; offset + 2 <= 256 && shown < claimed; offset += 2, ++shown) {
    const uint16_t au = s.be16(offset);
    if (au == 0) {
      d.lines.push_back(fmt::sprintf(">%02X\t>%04X\t**ERROR**", static_cast<unsigned>(offset), 0u));
      d.lineTargets.emplace_back();
      continue;
    }
    bool ok = false;
    const std::string name = ReadName(reader, au, ok);
    if (!ok) break;
    d.lines.push_back(fmt::sprintf(">%02X\t>%04X\t%s", static_cast<unsigned>(offset), au, name));
    d.lineTargets.push_back(StructureAt(c, StructureKind::HardDdr, au));
  }
  d.buttons.push_back({vib ? 1196 : 1212, "Open DDR", true, true, std::nullopt});
}

void DescribeHardFdir(Reader& reader, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = AuCaption("FDIR", c.number, uint64_t{c.sectorsPerAu} * c.number);
  d.listLabel = "File descriptor records";
  ListFdrPointers(reader, s, kFdirOwner, StructureKind::HardFdr, d);
  // The last word names the directory record that owns the index (0, the
  // VIB, for the root).
  const uint16_t owner = s.be16(kFdirOwner);
  std::string ownerText = fmt::sprintf(" %03u\t>%04X", static_cast<unsigned>(kFdirOwner), owner);
  bool ok = false;
  const std::string ownerName = ReadName(reader, owner, ok);
  if (ok) ownerText += "\t" + ownerName;
  AddField(d, 1167, "Associated Directory Descriptor Record", ownerText);
  d.buttons.push_back({1165, "Open FDR", true, true, std::nullopt});
}

void DescribeHardFdr(Reader&, ByteView s, StructureDescription& d) {
  const StructureContext& c = d.context;
  d.caption = AuCaption("FDR", c.number, uint64_t{c.sectorsPerAu} * c.number + c.base);
  const std::string name = NameText(s, 0);
  static const int kHeaderIds[10] = {1213, 1214, 1215, 1216, 1217, 1218, 1219, 1220, 1221, 1222};
  AddFdrHeaderFields(d, s, kHeaderIds);
  AddField(d, 1225, "FDR marker 1", ByteCharText(s.u8(28)));
  AddField(d, 1226, "FDR marker 2", ByteCharText(s.u8(29)));
  AddField(d, 1227, "Parent FDR AU", WordText(s.be16(30)));
  AddField(d, 1229, "Offspring FDR AU", WordText(s.be16(32)));
  AddField(d, 1230, "Numbr of AU's allocated", WordText(s.be16(34)));
  AddField(d, 1231, "File desciptor index record AU", WordText(s.be16(36)));
  AddField(d, 1232, "Extended information", WordText(s.be16(38)));

  d.listLabel = "Data chain pointer blocks";
  for (size_t offset = kBlockStart; offset + 4 <= 256; offset += 4) {
    const uint16_t first = s.be16(offset), last = s.be16(offset + 2);
    if (first == 0 || last == 0) break;
    d.lines.push_back(fmt::sprintf(">%02X\t>%04X\t>%04X", static_cast<unsigned>(offset), first, last));
    // A block whose last AU lies before its first holds nothing to show.
    if (last < first) {
      d.lineTargets.emplace_back();
      continue;
    }
    StructureTarget t;
    t.what = StructureTarget::What::SectorRange;
    t.kind = StructureKind::HardFdr;
    t.context = c;
    t.label = name;
    t.byteOffset = false;
    t.imageStart = c.base;
    t.sectorsPerUnit = c.sectorsPerAu;
    t.firstUnit = first;
    t.unitCount = uint32_t{last} - first + 1u;
    d.lineTargets.push_back(t);
  }
  d.listEnabled = !d.lines.empty();
  d.buttons.push_back({1224, "View sectors", true, true, std::nullopt});
}

void DescribePartitionTable(Reader&, ByteView s, StructureDescription& d) {
  // Partition table, sector 0 of a partitioned disk (its "sectors" are
  // 512-byte units, two TI sectors each):
  //   00-09 "*TI99FSPT*"  0a-0b >FFFF  0e-0f "PT"  14-17 disk size
  //   18-37 four partitions: offset, size (32 bits each; offset 0: none)
  //   fe-ff >5AA5
  const StructureContext& c = d.context;
  d.caption = fmt::sprintf("HardDisk PTI - Sector >%04X", 0);
  AddField(d, 1233, "Partition table name", NameText(s, 0));
  AddField(d, 1234, "Total number of allocation units", WordText(s.be16(10)));
  AddField(d, 1235, "Word at >0C", WordText(s.be16(12)));
  AddField(d, 1240, "Table marker 1", ByteCharText(s.u8(14)));
  AddField(d, 1228, "Table marker 2", ByteCharText(s.u8(15)));
  AddField(d, 1174, "Word at >10", WordText(s.be16(16)));
  AddField(d, 1176, "Word at >12", WordText(s.be16(18)));
  AddField(d, 1178, "Total number of sectors", LongText(s.be32(20)));
  static const int kOffsetIds[4] = {1180, 1185, 1189, 1193};
  static const int kSizeIds[4] = {1182, 1187, 1191, 1195};
  for (int p = 0; p < 4; ++p) {
    const size_t at = 24 + 8 * static_cast<size_t>(p);
    AddField(d, kOffsetIds[p], fmt::sprintf("Partition %d : offset", p + 1), LongText(s.be32(at)));
    AddField(d, kSizeIds[p], fmt::sprintf("Partition %d : number of sectors", p + 1),
             LongText(s.be32(at + 4)));
  }
  AddField(d, 1197, "Partition table flag", WordText(s.be16(254)));

  for (int p = 0; p < 4; ++p) {
    const size_t at = 24 + 8 * static_cast<size_t>(p);
    const uint32_t offset = s.be32(at), size = s.be32(at + 4);
    // A partition is a volume whose sector 0 lies at TI sector 2 * offset;
    // its unit size comes from its own VIB when the window opens.
    StructureTarget t = StructureAt(c, StructureKind::HardVib, 0);
    t.context.base = uint64_t{offset} * 2;
    t.context.sectorsPerAu = 1;
    d.buttons.push_back({1236 + p, fmt::sprintf("Partition %d", p + 1), offset != 0 && size != 0, false, t});
  }
}

}  // namespace korvane::structure
