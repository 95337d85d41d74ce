#include "viewers/image_information.h"

#include <fmt/printf.h>

#include "fileops/locations.h"
#include "harddisk/hd_info.h"

namespace korvane {
namespace {

constexpr const char* kColumnNames[kImageColumnCount] = {
    "Volume label", "Offset", "Partition size", "Total AU", "Sectors per AU", "Size", "Free", "Used"};

ImageVolumeLine LineOf(const HardDiskVolumeInfo& v, bool partitioned) {
  ImageVolumeLine line;
  line.partition = v.partition;
  // Where a partition lies comes from the table and is shown even when the
  // partition holds no readable volume.
  if (partitioned) {
    line.values[kColOffset] = v.OffsetText();
    line.values[kColPartitionSize] = v.PartitionSizeText();
  }
  if (!v.readable) return line;
  line.values[kColLabel] = v.label;
  line.values[kColTotalAus] = v.TotalAusText();
  line.values[kColSpau] = fmt::sprintf("%d", v.spau);
  line.values[kColSize] = fmt::sprintf("%d", v.size);
  line.values[kColFree] = fmt::sprintf("%d", v.free);
  line.values[kColUsed] = fmt::sprintf("%d", v.used);
  return line;
}

// The image file a row stands for: a row of a PC directory names its file
// there; a partition row belongs to the image the pane already shows.
std::string ImagePathOf(const PaneState& pane, const CatalogEntry& row) {
  return pane.locationType == kLocPcDirectory ? RowPcPath(pane, row) : pane.locationPath;
}

}  // namespace

const char* ImageColumnName(int column) {
  return column >= 0 && column < kImageColumnCount ? kColumnNames[column] : "";
}

std::string ImageFieldLabel(const ImageVolumeLine& line, int column) {
  if (line.partition == 0) return ImageColumnName(column);
  return fmt::sprintf("Partition %d %s", line.partition, ImageColumnName(column));
}

std::vector<InformationField> ImageInformation::AllFields() const {
  std::vector<InformationField> all = fields;
  for (const ImageVolumeLine& line : volumes)
    for (int c = 0; c < kImageColumnCount; ++c) {
      // A plain image has no partition table: no offset and size fields.
      if (!partitioned && (c == kColOffset || c == kColPartitionSize)) continue;
      all.push_back({ImageFieldLabel(line, c), line.values[c]});
    }
  return all;
}

bool HasImageInformation(const CatalogEntry& row) {
  return row.kind == kKindPtImg || row.kind == kKindHdImg || row.kind == kKindCardImg;
}

std::optional<ImageInformation> ReadImageInformation(const PaneState& pane, const CatalogEntry& row) {
  if (!HasImageInformation(row)) return std::nullopt;
  ImageInformation info;
  info.fields = {{"PC name", row.sourceName},
                 {"Filesize", fmt::sprintf("%d", row.sizeInSectors)},
                 {"Media type", KindName(row.kind)}};
  // A card image holds volumes, not partitions: its size and kind are all
  // the dialog has to say (its volumes are listed by entering it).
  if (row.kind == kKindCardImg) return info;
  HardDiskImageInfo disk;
  if (!ReadHardDiskImageInfo(ImagePathOf(pane, row), row, disk)) return std::nullopt;
  info.partitioned = disk.partitioned;
  for (const HardDiskVolumeInfo& v : disk.volumes) info.volumes.push_back(LineOf(v, disk.partitioned));
  return info;
}

std::optional<ImageInformation> ImageInformationForCursor(const PaneState& pane) {
  if (pane.cursor < 0 || pane.cursor >= pane.RowCount()) return std::nullopt;
  return ReadImageInformation(pane, pane.rows[static_cast<size_t>(pane.cursor)]);
}

}  // namespace korvane
