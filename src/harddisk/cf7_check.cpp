#include "harddisk/cf7_check.h"

#include <fmt/printf.h>

#include <algorithm>
#include <vector>

#include "floppy/floppy_check.h"
#include "floppy/v9t9.h"

namespace korvane {
namespace {

// A smaller disk copied onto a volume is grown to the volume's 1600 sectors
// but keeps its own tracks, sectors per track and sides, so that copying the
// volume out can shrink it back to the disk it was. That mismatch is how
// such volumes are meant to look, not a fault.
bool IsGrownSmallerDisk(const Sector& vibSector) {
  const ByteView v(vibSector.data(), vibSector.size());
  const uint32_t geometry = VibGeometrySectors(v);
  return v.be16(vib::kTotalSectors) == cf7::kVolumeSectors && geometry != 0 && geometry < cf7::kVolumeSectors;
}

void DropGeometryWarnings(CheckReport& report) {
  std::erase_if(report.findings, [](const Finding& f) {
    return f.code == FindingCode::VibGeometry && f.severity == Severity::Warning;
  });
}

constexpr uint64_t kVolumeBytes = uint64_t{cf7::kVolumeSectors} * 256;

bool HoldsMountRecord(const Sector& s) {
  return s[cf7::kMount] == cf7::kMountPresent && s[cf7::kMount + 1] == cf7::kMountDrives;
}

// The floppy findings of volume `n`, named after the volume. A VIB that
// uses fewer sectors than the volume's 1600 is no fault on a card: smaller
// disks are copied onto volumes and read there as they are.
void AddVolumeFindings(uint32_t n, const CheckReport& volume, CheckReport& report) {
  for (const Finding& f : volume.findings) {
    if (f.code == FindingCode::VibTotal && f.severity == Severity::Warning) continue;
    Finding copy = f;
    copy.structure = fmt::sprintf("volume %u %s", n, f.structure);
    report.findings.push_back(std::move(copy));
  }
}

void CheckMountRecord(ByteView bytes, const std::string& structure, int64_t sector, uint32_t volumes,
                      const std::vector<bool>& formatted, CheckReport& report) {
  const MountRecord record = ParseMountRecord(bytes);
  if (!record.present) {
    bool anything = false;
    for (size_t i = 0; i < cf7::kMountLength; ++i) anything = anything || bytes.u8(cf7::kMount + i) != 0;
    // On a card in a drive these bytes belong to volume 1's VIB when no
    // record is present; only a card image's header keeps them for it.
    if (anything && structure == "header")
      report.Warning(FindingCode::MountRecord, structure, sector,
                     fmt::sprintf("bytes 20-27 are not 0 but do not begin with >AA >03: no volume is mounted"));
    return;
  }
  for (size_t d = 0; d < record.dsk.size(); ++d) {
    const unsigned v = record.dsk[d];
    const unsigned drive = static_cast<unsigned>(d + 1);
    if (v == 0) continue;
    if (v > volumes)
      report.Error(FindingCode::MountRecord, structure, sector,
                   fmt::sprintf("DSK%u is volume %u, but the card holds %u volumes", drive, v, volumes));
    else if (!formatted[v - 1])
      report.Warning(FindingCode::MountRecord, structure, sector,
                     fmt::sprintf("DSK%u is volume %u, which was never formatted", drive, v));
    for (size_t e = 0; e < d; ++e)
      if (record.dsk[e] == v) {
        report.Warning(FindingCode::MountRecord, structure, sector,
                       fmt::sprintf("volume %u is mounted as DSK%u and as DSK%u", v, static_cast<unsigned>(e + 1),
                                    drive));
        break;
      }
  }
}

}  // namespace

bool MountMaskedSectors::ReadSector(uint32_t n, Sector& out) {
  if (!inner_.ReadSector(n, out)) return false;
  if (volume_ == 1 && n == 0 && HoldsMountRecord(out))
    std::fill(out.begin() + cf7::kMount, out.begin() + cf7::kMount + cf7::kMountLength, 0);
  return true;
}

bool MountMaskedSectors::WriteSector(uint32_t n, const Sector& in) {
  if (volume_ != 1 || n != 0) return inner_.WriteSector(n, in);
  Sector now{};
  if (!inner_.ReadSector(0, now)) return false;
  Sector out = in;
  if (HoldsMountRecord(now))
    std::copy(now.begin() + cf7::kMount, now.begin() + cf7::kMount + cf7::kMountLength, out.begin() + cf7::kMount);
  return inner_.WriteSector(0, out);
}

bool IsFormattedVolume(const Sector& sector0) {
  return ByteView(sector0.data(), sector0.size()).equals(vib::kMarker, "DSK");
}

void CheckCardImageHeader(ByteView h, uint64_t fileBytes, CheckReport& report) {
  if (!h.equals(cf7::kHeaderMarker, "CF7"))
    report.Error(FindingCode::CardHeader, "header", -1, "no \"CF7\" at bytes 13-15");
  auto zeros = [&](size_t from, size_t to) {
    for (size_t i = from; i <= to; ++i)
      if (h.u8(i) != 0) {
        report.Warning(FindingCode::CardHeader, "header", -1,
                       fmt::sprintf("byte %u is >%02X, where the header holds 0", static_cast<unsigned>(i), h.u8(i)));
        return;
      }
  };
  zeros(10, 12);
  zeros(16, 19);
  zeros(28, 127);
  if (fileBytes < cf7::kHeaderSize) return;
  const uint64_t data = fileBytes - cf7::kHeaderSize;
  if (data % 256 != 0)
    report.Warning(FindingCode::ImageSize, "image", -1,
                   fmt::sprintf("%u bytes after the last whole sector", static_cast<unsigned>(data % 256)));
  const uint64_t sectors = data / 256;
  if (sectors < cf7::kVolumeSectors)
    report.Error(FindingCode::CardHeader, "image", -1,
                 fmt::sprintf("the image holds %u sectors, less than one 1600-sector volume",
                              static_cast<unsigned>(sectors)));
  else if (sectors % cf7::kVolumeSectors != 0)
    report.Warning(FindingCode::ImageSize, "image", -1,
                   fmt::sprintf("%u sectors after the last whole volume are not used",
                                static_cast<unsigned>(sectors % cf7::kVolumeSectors)));
}

void CheckCard(Card& card, CheckReport& report, Progress& progress) {
  const uint32_t volumes = card.VolumeCount();
  std::vector<bool> formatted(volumes, false);
  Sector first{};
  progress.Begin(volumes, "");
  for (uint32_t n = 1; n <= volumes; ++n) {
    if (!progress.Step(n - 1)) {
      report.Warning(FindingCode::ReadFailed, "card", -1,
                     fmt::sprintf("the check was cancelled at volume %u: the rest is not checked", n));
      progress.End();
      return;
    }
    MountMaskedSectors sectors(card, n);
    Sector vib{};
    if (!sectors.ReadSector(0, vib)) {
      report.Error(FindingCode::ReadFailed, fmt::sprintf("volume %u VIB", n), 0, "sector 0 cannot be read");
      continue;
    }
    if (n == 1 && !card.ReadSector(0, first)) first = vib;
    if (!IsFormattedVolume(vib)) continue;  // never formatted: listed as "UNFORMATED"
    formatted[n - 1] = true;
    CheckReport volume;
    CheckFloppy(sectors, kVolumeBytes, volume);
    if (IsGrownSmallerDisk(vib)) DropGeometryWarnings(volume);
    AddVolumeFindings(n, volume, report);
  }
  progress.End();
  // A card image keeps the record in its header, a card in a drive in
  // volume 1's sector 0.
  if (card.IsDrive()) {
    if (volumes > 0) CheckMountRecord(ByteView(first.data(), first.size()), "volume 1 VIB", 0, volumes, formatted, report);
  } else if (auto* image = dynamic_cast<CardImage*>(&card)) {
    uint8_t header[cf7::kHeaderSize] = {};
    if (image->File().ReadExact(0, header, sizeof header))
      CheckMountRecord(ByteView(header, sizeof header), "header", -1, volumes, formatted, report);
  }
}

void CheckCardImageFile(const std::string& path, CheckReport& report, Progress& progress) {
  CardImage card;
  if (!card.Open(path, false)) {
    report.Error(FindingCode::ReadFailed, "header", -1, "the card image cannot be opened");
    return;
  }
  uint8_t header[cf7::kHeaderSize] = {};
  const int64_t size = card.File().Size();
  if (!card.File().ReadExact(0, header, sizeof header)) {
    report.Error(FindingCode::ReadFailed, "header", -1, "the header cannot be read");
    return;
  }
  CheckCardImageHeader(ByteView(header, sizeof header), size > 0 ? static_cast<uint64_t>(size) : 0, report);
  CheckCard(card, report, progress);
}

std::map<uint32_t, RepairPlan> PlanCardRepair(Card& card, Progress& progress) {
  std::map<uint32_t, RepairPlan> plans;
  const uint32_t volumes = card.VolumeCount();
  progress.Begin(volumes, "");
  for (uint32_t n = 1; n <= volumes && progress.Step(n - 1); ++n) {
    MountMaskedSectors sectors(card, n);
    Sector vib{};
    if (!sectors.ReadSector(0, vib) || !IsFormattedVolume(vib)) continue;
    CheckReport before;
    CheckFloppy(sectors, kVolumeBytes, before);
    if (before.Errors() == 0) continue;
    RepairPlan plan = PlanFloppyRepair(sectors, kVolumeBytes);
    if (!plan.writes.empty()) plans.emplace(n, std::move(plan));
  }
  progress.End();
  return plans;
}

bool CommitCardRepair(Card& card, const std::map<uint32_t, RepairPlan>& plans) {
  // The old bytes of every sector to be written, to put back if a later
  // volume fails.
  std::map<uint32_t, std::map<uint32_t, Sector>> old;
  for (const auto& [n, plan] : plans) {
    MountMaskedSectors sectors(card, n);
    for (const auto& [s, bytes] : plan.writes) {
      Sector was{};
      if (!sectors.ReadSector(s, was)) return false;
      old[n].emplace(s, was);
    }
  }
  std::vector<uint32_t> done;
  for (const auto& [n, plan] : plans) {
    MountMaskedSectors sectors(card, n);
    if (!CommitRepair(sectors, plan)) {
      for (uint32_t m : done) {
        MountMaskedSectors back(card, m);
        for (const auto& [s, bytes] : old[m]) back.WriteSector(s, bytes);
      }
      card.Flush();
      return false;
    }
    done.push_back(n);
  }
  return card.Flush();
}

}  // namespace korvane
