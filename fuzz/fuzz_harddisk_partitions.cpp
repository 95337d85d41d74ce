// Any bytes as a partitioned hard-disk image: the partition-table test, the
// partition list, each partition's root directory and the Image Information
// with its free counts, without a crash or a read outside a buffer.
//
// Byte 0 steers: bit 0 writes the table's marks ("*TI99FSPT*", FFFFh, "PT",
// 5AA5h) over sector 0, bit 1 also makes the disk total the image's size.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "harddisk/hd_format.h"
#include "harddisk/hd_info.h"
#include "harddisk/hd_rows.h"
#include "platform/pc_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  if (size == 0) return 0;
  const uint8_t control = data[0];
  std::vector<uint8_t> image(data + 1, data + size);
  image.resize(std::max<size_t>((image.size() + 255) / 256 * 256, 256), 0);
  if (control & 1) {
    std::copy(ptable::kNameText, ptable::kNameText + 10, image.begin());
    image[10] = image[11] = 0xFF;
    image[14] = 'P', image[15] = 'T';
    image[254] = 0x5A, image[255] = 0xA5;
  }
  if (control & 2) {
    const uint32_t total = static_cast<uint32_t>(image.size() / 512);
    image[20] = static_cast<uint8_t>(total >> 24), image[21] = static_cast<uint8_t>(total >> 16);
    image[22] = static_cast<uint8_t>(total >> 8), image[23] = static_cast<uint8_t>(total);
  }
  static const std::string path = "/tmp/fuzz_harddisk_partitions_" + std::to_string(getpid()) + ".hd";
  if (!WriteWholeFile(path, image)) return 0;

  HardDiskSummary summary;
  RecogniseHardDisk(ByteView(image.data(), 256), summary);
  IsValidPartitionTable(ByteView(image.data(), 256));
  FileList rows;
  ReadPartitionList(path, "fuzz.hd", 1, true, rows);
  for (const CatalogEntry& row : rows) {
    if (row.kind != kKindHdImg) continue;
    HardDiskDirectory dir;
    ReadHardDiskDirectory(path, "fuzz.hd", RowBase(row), 0, 2, true, dir);
  }
  CatalogEntry imageRow;
  if (MakeHardDiskImageRow(ByteView(image.data(), 256), "fuzz.hd", imageRow)) {
    HardDiskImageInfo info;
    ReadHardDiskImageInfo(path, imageRow, info);
  }
  return 0;
}
