// Any bytes as the volumes of a card image: listing the volumes, the files
// of each listed volume, and copying each out end without a crash, a hang or
// a read outside a buffer. The first byte chooses the number of volumes
// (1-4); the rest is laid at the start of every volume, so that sector 0 (the
// VIB), sector 1 (the file index) and the FDRs after them come from the input.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "harddisk/cf7_card.h"
#include "harddisk/cf7_copy.h"
#include "harddisk/cf7_volumes.h"
#include "platform/pc_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  if (size < 2) return 0;
  const uint32_t volumes = data[0] % 4 + 1;
  static const std::string path = "/tmp/fuzz_cf7_" + std::to_string(getpid()) + ".cf7";
  static const std::string out = "/tmp/fuzz_cf7_" + std::to_string(getpid()) + ".dsk";
  {
    PcFile file;
    if (!file.Open(path, PcFile::Mode::CreateWrite)) return 0;
    const auto header = MakeCardImageHeader("FUZZ", ParseMountRecord(ByteView(data + 1, size - 1)));
    file.WriteAt(0, header.data(), header.size());
    const size_t body = std::min<size_t>(size - 1, 1600 * 256);
    for (uint32_t v = 1; v <= volumes; ++v) file.WriteAt(CardImageVolumeOffset(v), data + 1, body);
    file.Truncate(CardImageVolumeOffset(volumes + 1) - (data[0] & 0x80 ? 100 : 0));
  }
  CardImage card;
  if (!card.Open(path, false)) return 0;
  FileList rows;
  ListCardVolumes(card, true, rows, NoProgress());
  for (const CatalogEntry& row : rows) {
    if (row.kind != kKindCardVolume) continue;
    FileList files;
    ListCardVolumeFiles(path, row, files);
    CopyVolumeToDsk(card, VolumeOfRow(row), out, NoProgress());
  }
  Sector s{};
  std::copy_n(data + 1, std::min<size_t>(size - 1, s.size()), s.begin());
  Sector grown = s;
  GrowImageVib(grown, ParseMountRecord(ByteView(s.data(), s.size())));
  ShrinkVolumeVib(s);
  return 0;
}
