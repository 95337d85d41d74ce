#include "harddisk/structure_view.h"

#include <fmt/printf.h>

#include "catalog/entry.h"
#include "catalog/errors.h"
#include "harddisk/structure_internal.h"
#include "viewers/sector_range_view.h"

namespace korvane {

std::string ByteText(uint8_t value) { return fmt::sprintf(">%02X", value); }

std::string ByteCharText(uint8_t value) {
  const char c = value >= 0x20 && value <= 0x7E ? static_cast<char>(value) : ' ';
  return fmt::sprintf(">%02X (%c)", value, c);
}

std::string WordText(uint16_t value) { return fmt::sprintf(">%04X", value); }

std::string LongText(uint32_t value) { return fmt::sprintf(">%08X", value); }

std::string TimeStampText(const uint8_t bytes[4]) {
  const ByteView b(bytes, 4);
  const unsigned time = b.be16(0);
  const unsigned date = b.be16(2);
  return fmt::sprintf(">%08X (hms) %02u:%02u:%02u (ymd) %02u-%02u-%02u", b.be32(0), time >> 11,
                      (time >> 5) & 0x3Fu, (time & 0x1Fu) * 2, date >> 9, (date >> 5) & 0x0Fu, date & 0x1Fu);
}

namespace structure {

Reader::Reader(const StructureContext& context) : context_(context) {}

bool Reader::Open() {
  if (!file_.Open(context_.imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, context_.imagePath);
    return false;
  }
  return true;
}

bool Reader::ReadUnit(uint32_t n, Sector& out) {
  // A card volume counts its base in bytes and has one sector per unit; a
  // floppy or hard-disk volume counts its base in sectors.
  if (context_.volume != 0) return ReadSectorFrom(context_.base, n, out);
  const uint64_t sector = uint64_t{context_.sectorsPerAu} * n;
  if (sector > UINT32_MAX) {
    ReportError(kErrReadSector, static_cast<int>(sector & 0x7FFFFFFF), context_.imagePath);
    return false;
  }
  return ReadSectorFrom(context_.base * 256, static_cast<uint32_t>(sector), out);
}

bool Reader::ReadSectorFrom(uint64_t byteBase, uint32_t n, Sector& out) {
  ImageFileSectors sectors(file_, context_.imagePath, byteBase);
  return sectors.ReadSector(n, out);
}

std::string NameText(ByteView s, size_t offset) {
  std::string name = s.str(offset, 10);
  if (const size_t zero = name.find('\0'); zero != std::string::npos) name.resize(zero);
  return name;
}

std::string NameToSpace(ByteView s, size_t offset) {
  std::string name = NameText(s, offset);
  if (const size_t space = name.find(' '); space != std::string::npos) name.resize(space);
  return name;
}

void AddField(StructureDescription& d, int id, std::string label, std::string value) {
  d.fields.push_back({id, std::move(label), std::move(value)});
}

void AddFdrHeaderFields(StructureDescription& d, ByteView s, const int (&ids)[10]) {
  AddField(d, ids[0], "File name", NameText(s, 0));
  AddField(d, ids[1], "Extended record length", WordText(s.be16(10)));
  AddField(d, ids[2], "File status flags", ByteText(s.u8(12)));
  AddField(d, ids[3], "Number of records per sector", ByteText(s.u8(13)));
  AddField(d, ids[4], "Number of sectors currently allocated", WordText(s.be16(14)));
  AddField(d, ids[5], "End of file offset", ByteText(s.u8(16)));
  AddField(d, ids[6], "Logical record length", ByteText(s.u8(17)));
  AddField(d, ids[7], "Number of level 3 records allocated", WordText(s.le16(18)));
  AddField(d, ids[8], "Date and time of creation", TimeStampText(s.data() + 20));
  AddField(d, ids[9], "Date and time of last update", TimeStampText(s.data() + 24));
}

std::string ReadName(Reader& reader, uint32_t n, bool& ok) {
  Sector sector;
  ok = reader.ReadUnit(n, sector);
  return ok ? NameToSpace(ByteView(sector.data(), sector.size()), 0) : std::string();
}

void ListFdrPointers(Reader& reader, ByteView s, unsigned end, StructureKind fdrKind, StructureDescription& d) {
  for (unsigned offset = 0; offset < end; offset += 2) {
    const uint16_t n = s.be16(offset);
    if (n == 0) {
      // An empty slot points nowhere: its line opens nothing.
      d.lines.push_back(fmt::sprintf(" %03u\t>%04X", offset, 0u));
      d.lineTargets.emplace_back();
      continue;
    }
    bool ok = false;
    const std::string name = ReadName(reader, n, ok);
    if (!ok) break;
    d.lines.push_back(fmt::sprintf(" %03u\t>%04X\t%s", offset, n, name));
    d.lineTargets.push_back(StructureAt(d.context, fdrKind, n));
  }
}

StructureTarget StructureAt(const StructureContext& from, StructureKind kind, uint32_t number) {
  StructureTarget t;
  t.what = StructureTarget::What::Structure;
  t.kind = kind;
  t.context = from;
  t.context.number = number;
  return t;
}

}  // namespace structure

std::optional<StructureDescription> DescribeStructure(StructureKind kind, const StructureContext& context) {
  using namespace structure;
  Reader reader(context);
  if (!reader.Open()) return std::nullopt;
  StructureDescription d;
  d.kind = kind;
  d.context = context;
  if (kind == StructureKind::CardVolumes) {
    if (!DescribeCardVolumes(reader, d)) return std::nullopt;
    return d;
  }
  Sector sector;
  if (!reader.ReadUnit(context.number, sector)) return std::nullopt;
  const ByteView s(sector.data(), sector.size());
  switch (kind) {
    case StructureKind::FloppyVib:
      DescribeFloppyVib(reader, s, d);
      break;
    case StructureKind::FloppyFdir:
      DescribeFloppyFdir(reader, s, d);
      break;
    case StructureKind::FloppyFdr:
      DescribeFloppyFdr(reader, s, d);
      break;
    case StructureKind::HardVib:
      // A volume's own VIB says how many sectors make an allocation unit:
      // the top four bits of its hard disk parameters, plus one.
      d.context.sectorsPerAu = s.u8(16) / 16u + 1u;
      reader.SetSectorsPerAu(d.context.sectorsPerAu);
      DescribeHardDirectory(reader, s, d);
      break;
    case StructureKind::HardDdr:
      DescribeHardDirectory(reader, s, d);
      break;
    case StructureKind::HardFdir:
      DescribeHardFdir(reader, s, d);
      break;
    case StructureKind::HardFdr:
      DescribeHardFdr(reader, s, d);
      break;
    case StructureKind::PartitionTable:
      DescribePartitionTable(reader, s, d);
      break;
    case StructureKind::CardVolumes:
      break;
  }
  return d;
}

StructureOpened OpenTarget(const StructureTarget& target) {
  StructureOpened opened;
  if (target.what == StructureTarget::What::Structure) {
    opened.structure = DescribeStructure(target.kind, target.context);
    return opened;
  }
  TextView view =
      ShowSectorRange(target.context.imagePath, target.label, target.byteOffset, target.imageStart,
                      target.sectorsPerUnit, target.firstUnit, target.unitCount);
  if (view.ok) opened.sectors = std::move(view);
  return opened;
}

std::optional<StructureTarget> FirstStructureOf(int rowKind, const std::string& imagePath) {
  StructureTarget t;
  t.context.imagePath = imagePath;
  switch (rowKind) {
    case kKindDsk:
      t.kind = StructureKind::FloppyVib;
      break;
    case kKindPtImg:
      t.kind = StructureKind::PartitionTable;
      t.context.sectorsPerAu = 0;  // sector 0 whatever the unit
      break;
    case kKindHdImg:
      t.kind = StructureKind::HardVib;
      break;  // the unit comes from the VIB itself
    case kKindCardImg:
      t.kind = StructureKind::CardVolumes;
      break;
    default:
      return std::nullopt;
  }
  return t;
}

}  // namespace korvane
