// korvane-cli structure IMAGE KIND [NUMBER] [--volume N] [--partition N]:
// what a sector-structure window shows - its caption, one "label: value"
// line per field in the window's order, then the lines of its list.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/errors.h"
#include "cli/command.h"
#include "floppy/sector_source.h"
#include "harddisk/structure_view.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] =
    "structure IMAGE vib|fdir|fdr|hdvib|ddr|hdfdir|hdfdr|pti|volumes [NUMBER] [--volume N] [--partition N]";

int Usage() {
  std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
  return 2;
}

// A number in decimal, or hexadecimal with ">" or "0x" in front.
bool ParseNumber(const std::string& text, uint32_t& value) {
  int base = 10;
  size_t start = 0;
  if (text.rfind(">", 0) == 0)
    base = 16, start = 1;
  else if (text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0)
    base = 16, start = 2;
  if (start >= text.size() || text[start] == '-' || text[start] == '+' || text[start] == ' ') return false;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str() + start, &end, base);
  if (*end != '\0' || v > 0xFFFFFFFFull) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

struct KindInfo {
  const char* name;
  StructureKind kind;
  bool hardDisk;
  bool floppy;        // may take --volume
  int defaultNumber;  // -1: NUMBER is required; -2: no NUMBER taken
};

constexpr KindInfo kKinds[] = {
    {"vib", StructureKind::FloppyVib, false, true, 0},
    {"fdir", StructureKind::FloppyFdir, false, true, 1},
    {"fdr", StructureKind::FloppyFdr, false, true, -1},
    {"hdvib", StructureKind::HardVib, true, false, 0},
    {"ddr", StructureKind::HardDdr, true, false, -1},
    {"hdfdir", StructureKind::HardFdir, true, false, -1},
    {"hdfdr", StructureKind::HardFdr, true, false, -1},
    {"pti", StructureKind::PartitionTable, false, false, -2},
    {"volumes", StructureKind::CardVolumes, false, false, -2},
};

// Reads TI sector `sector` of the image; reported when it cannot.
bool ReadImageSector(const std::string& image, uint64_t sector, Sector& out) {
  PcFile file;
  if (!file.Open(image, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, image);
    return false;
  }
  if (sector > UINT32_MAX) {
    ReportError(kErrReadSector, static_cast<int>(sector & 0x7FFFFFFF), image);
    return false;
  }
  ImageFileSectors sectors(file, image, 0);
  return sectors.ReadSector(static_cast<uint32_t>(sector), out);
}

// The base sector of partition `n` (1-4) as the partition table's buttons
// find it: twice its offset, for a partition whose offset and size are set.
bool PartitionBase(const std::string& image, uint32_t n, uint64_t& base) {
  Sector table;
  if (!ReadImageSector(image, 0, table)) return false;
  const ByteView s(table.data(), table.size());
  if (!s.equals(0, "*TI99FSPT*") || !s.equals(14, "PT")) {
    std::fprintf(stderr, "korvane-cli: %s has no partition table\n", image.c_str());
    return false;
  }
  const uint32_t offset = s.be32(24 + 8 * (n - 1)), size = s.be32(28 + 8 * (n - 1));
  if (offset == 0 || size == 0) {
    std::fprintf(stderr, "korvane-cli: partition %u of %s is empty\n", n, image.c_str());
    return false;
  }
  base = uint64_t{offset} * 2;
  return true;
}

int RunStructure(const std::vector<std::string>& args, const CommonOptions& options) {
  std::vector<std::string> positional;
  uint32_t volume = 0, partition = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options.IsOption(i, a)) {
      positional.push_back(a);
    } else if (a == "--volume" || a == "--partition") {
      if (!options.HasValue(i, args.size())) return Usage();
      uint32_t& value = a == "--volume" ? volume : partition;
      if (!ParseNumber(args[++i], value) || value == 0) return Usage();
    } else {
      return Usage();
    }
  }
  if (positional.size() < 2 || positional.size() > 3) return Usage();
  const KindInfo* info = nullptr;
  for (const KindInfo& k : kKinds)
    if (positional[1] == k.name) info = &k;
  if (!info) return Usage();
  if ((volume != 0 && !info->floppy) || (partition != 0 && !info->hardDisk) || partition > 4) return Usage();
  if (volume > (UINT32_MAX - 128) / 409600 + 1) return Usage();

  StructureContext context;
  context.imagePath = positional[0];
  if (positional.size() == 3) {
    if (info->defaultNumber == -2 || !ParseNumber(positional[2], context.number)) return Usage();
  } else {
    if (info->defaultNumber < 0 && info->defaultNumber != -2) return Usage();
    context.number = info->defaultNumber > 0 ? static_cast<uint32_t>(info->defaultNumber) : 0;
  }
  if (volume != 0) {
    // A card image: a 128-byte header, then volumes of 1600 sectors.
    context.volume = volume;
    context.base = 128 + uint64_t{volume - 1} * 409600;
  }
  SetLastErrorCode(0);
  if (info->hardDisk) {
    if (partition != 0 && !PartitionBase(context.imagePath, partition, context.base)) return 1;
    // The allocation unit of the volume comes from its VIB.
    Sector vib;
    if (!ReadImageSector(context.imagePath, context.base, vib)) return 1;
    context.sectorsPerAu = vib[16] / 16u + 1u;
  }

  const std::optional<StructureDescription> d = DescribeStructure(info->kind, context);
  if (!d) return 1;
  std::string out = d->caption + "\n";
  for (const StructureField& f : d->fields) out += f.label + ": " + f.value + "\n";
  for (const std::string& line : d->lines) out += line + "\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
  return LastErrorCode() != 0 ? 1 : 0;
}

const Registration kStructure{
    {"structure", kUsage,
     "print what a sector-structure window shows: caption, fields, list. NUMBER is a sector (floppy, "
     "card volume) or an allocation unit (hard disk), decimal or hexadecimal after > or 0x; --volume N "
     "picks a volume of a card image, --partition N a partition of a partitioned hard-disk image",
     RunStructure}};

}  // namespace
}  // namespace korvane::cli
