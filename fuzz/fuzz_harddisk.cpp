// Any bytes as a hard-disk volume: recognising it, walking every directory
// (loops included), entering and leaving directories in a pane, reading each
// file's data through its chain and counting free space, without a crash, a
// hang or a read outside a buffer.
//
// The input is laid out compactly so that short inputs reach the deep code:
// byte 0 steers (bit 0: make sector 0 a valid VIB with SPAU from bits 4-7),
// the next 256 bytes are sector 0, the next 256 the root index at sector 64,
// and the rest follows from sector 65 on. Sectors 1-63 stay zero.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "harddisk/hd_info.h"
#include "harddisk/hd_pane.h"
#include "harddisk/hd_rows.h"
#include "harddisk/hd_sectors.h"
#include "harddisk/hd_tree.h"
#include "platform/pc_file.h"

namespace {

using namespace korvane;

std::vector<uint8_t> Layout(const uint8_t* data, size_t size) {
  const uint8_t control = data[0];
  ++data, --size;
  std::vector<uint8_t> image(256 * 65, 0);
  std::copy(data, data + std::min<size_t>(size, 256), image.begin());
  if (size > 256) std::copy(data + 256, data + std::min<size_t>(size, 512), image.begin() + 64 * 256);
  if (size > 512) image.insert(image.end(), data + 512, data + size);
  image.resize((image.size() + 255) / 256 * 256, 0);
  if (control & 1) {
    const uint16_t spau = static_cast<uint16_t>(1u << ((control >> 4) % 5));  // 1-16, divides 64
    const uint32_t aus = std::min<size_t>(image.size() / 256 / spau + (control & 2 ? 3 : 0), 0xF800);
    image[10] = static_cast<uint8_t>(aus >> 8), image[11] = static_cast<uint8_t>(aus);
    image[16] = static_cast<uint8_t>((spau - 1) << 4), image[17] = 0;
    image[22] = std::min<uint8_t>(image[22], 127);
    image[23] = std::min<uint8_t>(image[23], 114);
    image[24] = 0, image[25] = static_cast<uint8_t>(64 / spau);
  }
  return image;
}

void ReadEveryFile(const std::string& path, const FileList& rows) {
  for (const CatalogEntry& row : rows) {
    if (!IsTiFileKind(row.kind)) continue;
    PcFile file;
    if (!file.Open(path, PcFile::Mode::Read)) return;
    auto source = OpenHardDiskVolume(file, path, RowBase(row));
    if (!source) return;
    Sector fdr;
    if (!source->ReadSector(RowFdrSector(row), fdr)) continue;
    size_t bytes = 0;
    ReadRowFileSectors(*source, row, ByteView(fdr.data(), fdr.size()), [&](uint32_t, const Sector&) {
      bytes += 256;
      return true;
    });
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::vector<uint8_t> image = Layout(data, size);
  static const std::string path = "/tmp/fuzz_harddisk_" + std::to_string(getpid()) + ".hd";
  if (!WriteWholeFile(path, image)) return 0;

  CatalogEntry row;
  if (!MakeHardDiskImageRow(ByteView(image.data(), 256), "fuzz.hd", row)) return 0;
  WalkHardDiskTree(path, 0, [&](const std::string&, const HardDiskDirectory& dir) {
    ReadEveryFile(path, dir.rows);
    return true;
  });
  CountFreeAllocationUnits(path, 0);
  HardDiskImageInfo info;
  ReadHardDiskImageInfo(path, row, info);

  // Walk down the first enterable row again and again, then all the way up.
  PaneState pane;
  pane.locationPath = "/tmp";
  row.sourceName = path.substr(5);
  EnterHardDiskImage(pane, row);
  for (int step = 0; step < 30; ++step) {
    const auto it = std::find_if(pane.rows.begin(), pane.rows.end(),
                                 [](const CatalogEntry& r) { return r.kind == kKindSubdir; });
    if (it == pane.rows.end()) break;
    const CatalogEntry next = *it;
    EnterHardDiskRow(pane, next);
  }
  for (int step = 0; step < 40 && HardDiskUp(pane); ++step) {
  }
  RefreshHardDisk(pane);
  return 0;
}
