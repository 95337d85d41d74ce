#include "harddisk/cf7_volumes.h"

#include <fmt/printf.h>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "floppy/v9t9.h"

namespace korvane {

namespace {
constexpr char kUnformatted[] = "UNFORMATED";
constexpr uint8_t kFreshSector = 0xE5;  // what a new disk holds outside VIB and index
}  // namespace

CatalogEntry MakeVolumeRow(const Sector& sector0, uint32_t volume, bool drive, uint64_t cardSectors) {
  CatalogEntry row;
  row.sourceName = fmt::sprintf(drive ? "VOL #%04u" : "VOL #%03u", volume);
  row.kind = drive ? kKindCardDrive : kKindCardVolume;
  if (!drive) {
    row.containerKind = kKindCardVolume;
    row.sizeInSectors = static_cast<uint32_t>(cardSectors);
  }
  row.volumePosition = static_cast<int32_t>(uint64_t{volume - 1} * cf7::kVolumeSectors);
  DiskSummary summary;
  if (ReadDiskSummary(ByteView(sector0.data(), sector0.size()), kKindCardVolume, summary)) {
    row.tiName = summary.volumeName;
    row.disk = summary;
  } else {
    row.tiName = kUnformatted;
  }
  return row;
}

bool ListCardVolumes(Card& card, bool addUprdir, FileList& rows, Progress& progress) {
  if (addUprdir) {
    CatalogEntry up;
    MakeDirectoryRow("..", up);
    up.sizeInSectors = static_cast<uint32_t>(card.SectorCount());
    rows.push_back(up);
  }
  const uint32_t count = card.VolumeCount();
  progress.Begin(count, "");
  bool ok = true;
  Sector sector0;
  for (uint32_t n = 1; n <= count; ++n) {
    if (!card.ReadSector(uint64_t{n - 1} * cf7::kVolumeSectors, sector0)) {
      ok = false;
      break;
    }
    rows.push_back(MakeVolumeRow(sector0, n, card.IsDrive(), card.SectorCount()));
    if (!progress.Step(n)) break;
  }
  progress.End();
  return ok;
}

bool ListCardVolumeFiles(const std::string& imagePath, const CatalogEntry& volumeRow, FileList& rows) {
  if (volumeRow.disk.total == 0) {
    ReportError(kErrDskNotInitialized);
    return false;
  }
  CardImage card;
  if (!card.Open(imagePath, false)) return false;
  const uint32_t volume = static_cast<uint32_t>(volumeRow.volumePosition) / cf7::kVolumeSectors + 1;
  CardVolumeSectors sectors(card, volume);

  CatalogEntry up;
  MakeDirectoryRow("..", up);
  up.sizeInSectors = static_cast<uint32_t>(card.SectorCount());
  rows.push_back(up);

  const std::string source = volumeRow.sourceName + "->" + SafePcName(volumeRow.tiName);
  // The byte position of the volume's sector 0: rows carry it in 32 bits, so
  // volumes beyond 2 GB get -1, which the readers refuse rather than wrap.
  const uint64_t offset = CardImageVolumeOffset(volume);
  const int32_t position = offset <= INT32_MAX ? static_cast<int32_t>(offset) : -1;
  Sector fdir, fdr;
  if (!sectors.ReadSector(1, fdir)) return false;
  const ByteView index(fdir.data(), fdir.size());
  for (unsigned i = 0; i < 128; ++i) {
    const uint16_t f = index.be16(2 * i);
    if (f == 0) break;
    if (f >= volumeRow.disk.totalSectors) {
      ReportError(kErrDiskError, imagePath, static_cast<int>(i), static_cast<int>(f));
      return false;
    }
    if (!sectors.ReadSector(f, fdr)) return false;
    CatalogEntry row;
    row.sourceName = source;
    row.fdrSector = f;
    if (!DecodeHeader(ByteView(fdr.data(), fdr.size()), source, false, row)) row.kind = kKindUnknown;
    row.containerKind = kKindCardVolume;
    row.volumePosition = position;
    row.containerDensity = volumeRow.disk.density;
    row.containerTracks = static_cast<int16_t>(volumeRow.disk.tracksPerSide);
    row.containerSectorsPerTrack = static_cast<int16_t>(volumeRow.disk.sectorsPerTrack);
    rows.push_back(std::move(row));
  }
  return true;
}

NewImageGeometry CardVolumeGeometry() {
  NewImageGeometry g;
  g.totalSectors = cf7::kVolumeSectors;
  g.sectorsPerTrack = 20;
  g.tracksPerSide = 40;
  g.sides = 2;
  g.density = 1;
  return g;
}

std::string InitializeCaption(const CatalogEntry& row) {
  return fmt::sprintf("Format CF7A+ Volume %s", row.sourceName.size() > 4 ? row.sourceName.substr(4) : "");
}

bool InitializeVolume(Card& card, uint32_t volume, const std::string& label, Progress& progress,
                      DiskSummary* summary) {
  if (volume == 0 || volume > card.VolumeCount()) {
    ReportError(kErrWriteSector,
                static_cast<long long>(uint64_t{volume ? volume - 1 : 0} * cf7::kVolumeSectors), card.Name());
    return false;
  }
  CardVolumeSectors sectors(card, volume);
  const Sector vibSector = MakeNewVib(label, CardVolumeGeometry());
  Sector index{};
  Sector fresh;
  fresh.fill(kFreshSector);
  progress.Begin(cf7::kVolumeSectors, "");
  bool ok = true;
  for (uint32_t s = 0; ok && s < cf7::kVolumeSectors; ++s) {
    ok = sectors.WriteSector(s, s == 0 ? vibSector : s == 1 ? index : fresh);
    progress.Step(s + 1);  // the format runs to its end: half a volume is worse than none
  }
  progress.End();
  ok = ok && card.Flush();
  if (ok && summary) ReadDiskSummary(ByteView(vibSector.data(), vibSector.size()), kKindCardVolume, *summary);
  return ok;
}

std::array<uint16_t, 3> MountSelection(const MountRecord& record, uint32_t volumeCount) {
  std::array<uint16_t, 3> chosen{};
  if (!record.present) return chosen;
  for (size_t i = 0; i < 3; ++i) chosen[i] = record.dsk[i] <= volumeCount ? record.dsk[i] : 0;
  return chosen;
}

std::string MountChoiceText(uint32_t volume, const std::string& name) {
  return fmt::sprintf("VOL #%03u: %10.10s", volume, name);
}

bool SetMountRecord(Card& card, const std::array<uint16_t, 3>& dsk) {
  MountRecord now;
  if (!card.ReadMountRecord(now)) return false;
  // The dialog starts from "none" for a card without a record: unchanged.
  const std::array<uint16_t, 3> shown = now.present ? now.dsk : std::array<uint16_t, 3>{};
  if (shown == dsk) return true;
  return card.WriteMountRecord(dsk);
}

}  // namespace korvane
