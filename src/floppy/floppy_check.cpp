#include "floppy/floppy_check.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "catalog/attribute_check.h"
#include "catalog/errors.h"
#include "catalog/header.h"

namespace korvane {
namespace {

ByteView View(const Sector& s) { return ByteView(s.data(), s.size()); }

std::string Trimmed(const std::string& name10) {
  std::string t = TrimTiName(name10);
  for (char& c : t)
    if (static_cast<unsigned char>(c) < 0x20) c = '.';
  return t.empty() ? std::string("(no name)") : t;
}

// Walks a chain as it is written, without cutting it to the file's size, so
// that the check sees every fragment a TI would follow.
void WalkChain(FloppyFile& file, uint16_t density) {
  const ByteView f = View(file.fdr);
  const uint32_t total = f.be16(fdr::kTotalSectors);
  uint32_t running = 0;
  int index = 0;
  for (size_t p = fdr::kChain; p + 3 <= 255; p += 3, ++index) {
    const uint8_t b0 = f.u8(p), b1 = f.u8(p + 1), b2 = f.u8(p + 2);
    uint32_t start = static_cast<uint32_t>((b1 & 0x0F) << 8 | b0);
    const uint32_t offset = static_cast<uint32_t>(b2) << 4 | (b1 >> 4);
    if (start == 0) break;
    if (running >= total) {
      file.chainGoesOn = true;
      break;
    }
    if (density >= 3) start *= 4;
    if (offset < running) {
      file.backwardsEntry = index;
      break;
    }
    file.chain.push_back({start, start + (offset - running)});
    running = offset + 1;
  }
  file.chainSectors = running;
}

// "1 sector from sector 40 is", "3 sectors from sector 40 are".
std::string SectorsFrom(unsigned count, unsigned first) {
  return count == 1 ? fmt::sprintf("sector %u is", first) : fmt::sprintf("%u sectors from sector %u are", count, first);
}

// Who uses a sector: nobody, the system area (VIB and indexes), or a file's
// FDR or data.
constexpr int kFree = -1;
constexpr int kSystem = -2;
int FdrOwner(size_t file) { return static_cast<int>(file * 2); }
int DataOwner(size_t file) { return static_cast<int>(file * 2 + 1); }

std::string OwnerText(const FloppyModel& m, int owner) {
  if (owner == kSystem) return "the VIB or an index sector";
  const FloppyFile& f = m.files[static_cast<size_t>(owner / 2)];
  return fmt::sprintf("%s of %s", owner % 2 == 0 ? "the FDR" : "data", Trimmed(f.name10));
}

class Checker {
 public:
  Checker(const FloppyModel& m, CheckReport& r) : m_(m), r_(r), owner_(m.totalSectors, kFree) {}

  void Run() {
    CheckVib();
    Claim(0, kSystem);
    Claim(1, kSystem);
    for (const FloppyDir& d : m_.dirs)
      if (d.slot >= 0 && d.fdirSector < m_.totalSectors) Claim(d.fdirSector, kSystem);
    for (size_t i = 0; i < m_.dirs.size(); ++i) CheckDir(i);
    for (size_t i = 0; i < m_.files.size(); ++i) CheckFdr(i);
    for (size_t i = 0; i < m_.files.size(); ++i) CheckChain(i);
    CheckBitmap();
  }

 private:
  Finding& FileFinding(Severity s, FindingCode code, const std::string& structure, const FloppyFile& f,
                       std::string reason) {
    Finding& x = r_.Add(s, code, structure, f.fdrSector, std::move(reason));
    x.file = Trimmed(f.name10);
    x.fdrSector = f.fdrSector;
    return x;
  }

  bool IsSystemSector(uint32_t s) const { return s < owner_.size() && owner_[s] == kSystem; }

  // Claims a sector for an owner; returns the previous owner (kFree when none).
  int Claim(uint32_t s, int owner) {
    if (s >= owner_.size()) return kFree;
    const int before = owner_[s];
    if (before == kFree) owner_[s] = owner;
    return before;
  }

  void CheckVib() {
    const ByteView v = View(m_.vib);
    const unsigned sides = v.u8(vib::kSides) ? v.u8(vib::kSides) : 1;
    const unsigned density = v.u8(vib::kDensity) ? v.u8(vib::kDensity) : 1;
    const unsigned spt = v.u8(vib::kSectorsPerTrack);
    unsigned tracks = v.u8(vib::kTracksPerSide);
    if (sides > 2) r_.Error(FindingCode::VibGeometry, "VIB", 0, fmt::sprintf("%u sides; a floppy has 1 or 2", sides));
    if (density > 3) r_.Error(FindingCode::VibGeometry, "VIB", 0, fmt::sprintf("density %u is above 3", density));
    if (spt == 0) r_.Error(FindingCode::VibGeometry, "VIB", 0, "0 sectors per track");
    if (tracks == 0 && spt != 0) tracks = m_.totalSectors / spt / sides;
    if (spt != 0 && tracks != 0 && sides <= 2 && spt * tracks * sides != m_.totalSectors)
      r_.Warning(FindingCode::VibGeometry, "VIB", 0,
                 fmt::sprintf("%u sectors per track x %u tracks x %u sides give %u sectors, the VIB says %u", spt,
                              tracks, sides, spt * tracks * sides, m_.totalSectors));
    if (m_.imageSectors == 0) return;
    if (m_.totalSectors > m_.imageSectors)
      r_.Error(FindingCode::VibTotal, "VIB", 0,
               fmt::sprintf("the VIB says %u sectors, the image holds %u", m_.totalSectors,
                            static_cast<unsigned>(m_.imageSectors)));
    else if (m_.totalSectors < m_.imageSectors)
      r_.Warning(FindingCode::VibTotal, "VIB", 0,
                 fmt::sprintf("the image holds %u sectors, the VIB uses %u", static_cast<unsigned>(m_.imageSectors),
                              m_.totalSectors));
  }

  void CheckDir(size_t di) {
    const FloppyDir& d = m_.dirs[di];
    const std::string structure = d.slot < 0 ? "FDIR" : "FDIR of " + TrimTiName(d.name);
    if (d.slot >= 0) {
      const std::string problem = NameProblem(ByteView(reinterpret_cast<const uint8_t*>(d.name.data()), d.name.size()));
      if (!problem.empty())
        r_.Warning(FindingCode::SubdirSlot, "VIB", 0, fmt::sprintf("sub-directory %u: %s", d.slot + 1, problem));
      if (d.fdirSector >= m_.totalSectors || d.fdirSector < 2) {
        r_.Error(FindingCode::SubdirSlot, "VIB", 0,
                 fmt::sprintf("sub-directory %s has its index in sector %u, outside the data area",
                              TrimTiName(d.name), d.fdirSector));
        return;
      }
    }
    if (!d.readable) return;
    const ByteView x = View(d.fdir);
    if (d.entries.size() >= 128)
      r_.Error(FindingCode::FdirNoTerminator, structure, d.fdirSector,
               "all 128 entries are used and no end mark follows (a TI disk holds at most 127 files)");
    else if (d.entries.size() < 127) {
      for (size_t slot = d.entries.size() + 1; slot < 128; ++slot)
        if (x.be16(2 * slot) != 0) {
          r_.Warning(FindingCode::FdirAfterEnd, structure, d.fdirSector,
                     fmt::sprintf("entry %u after the end mark is not 0", static_cast<unsigned>(slot)));
          break;
        }
    }

    std::map<std::string, size_t> names;  // name -> first file with it
    const FloppyFile* previous = nullptr;
    bool unsortedSeen = false;
    for (size_t fi = 0; fi < m_.files.size(); ++fi) {
      const FloppyFile& f = m_.files[fi];
      if (f.dir != di) continue;
      const unsigned slot = static_cast<unsigned>(f.slot);
      if (f.fdrSector >= m_.totalSectors) {
        Finding& x2 = r_.Error(FindingCode::FdirOutOfRange, structure, d.fdirSector,
                               fmt::sprintf("entry %u names sector %u, outside the %u-sector disk", slot, f.fdrSector,
                                            m_.totalSectors));
        x2.fdrSector = f.fdrSector;
        continue;
      }
      if (IsSystemSector(f.fdrSector)) {
        Finding& x2 = r_.Error(FindingCode::FdirSystemSector, structure, d.fdirSector,
                               fmt::sprintf("entry %u names sector %u, which holds the VIB or an index", slot,
                                            f.fdrSector));
        x2.fdrSector = f.fdrSector;
        continue;
      }
      if (f.duplicateEntry) {
        Finding& x2 = r_.Error(FindingCode::FdirDuplicateSector, structure, d.fdirSector,
                               fmt::sprintf("entry %u names sector %u, which is listed before it", slot, f.fdrSector));
        x2.fdrSector = f.fdrSector;
        x2.file = Trimmed(f.name10);
        continue;
      }
      if (!f.readable) {
        Finding& x2 = r_.Error(FindingCode::FdrUnreadable, structure, d.fdirSector,
                               fmt::sprintf("entry %u names sector %u, past the end of the image", slot, f.fdrSector));
        x2.fdrSector = f.fdrSector;
        continue;
      }
      auto [it, fresh] = names.emplace(f.name10, fi);
      if (!fresh)
        FileFinding(Severity::Error, FindingCode::FdirDuplicateName, structure, f,
                    fmt::sprintf("a second file named %s (FDR sector %u)", Trimmed(f.name10), f.fdrSector))
            .sector = d.fdirSector;
      if (previous && !unsortedSeen &&
          std::memcmp(previous->name10.data(), f.name10.data(), 10) > 0) {  // unsigned byte order
        unsortedSeen = true;
        Finding& x2 = r_.Error(FindingCode::FdirUnsorted, structure, d.fdirSector,
                               fmt::sprintf("entry %u (%s) sorts before entry %u (%s)", slot, Trimmed(f.name10),
                                            static_cast<unsigned>(previous->slot), Trimmed(previous->name10)));
        x2.fdrSector = f.fdrSector;
      }
      previous = &f;
    }
  }

  bool Walked(const FloppyFile& f) const {
    return f.readable && !f.duplicateEntry && f.fdrSector < m_.totalSectors && !IsSystemSector(f.fdrSector);
  }

  void CheckFdr(size_t fi) {
    const FloppyFile& f = m_.files[fi];
    if (!Walked(f)) return;
    const int before = Claim(f.fdrSector, FdrOwner(fi));
    if (before != kFree) {
      Finding& x = FileFinding(Severity::Error, FindingCode::SharedSector, "FDR", f,
                               fmt::sprintf("the FDR sector is also %s", OwnerText(m_, before)));
      if (before != kSystem) x.otherFdr = m_.files[static_cast<size_t>(before / 2)].fdrSector;
    }
    const std::string nameProblem = NameProblem(View(f.fdr));
    if (!nameProblem.empty()) FileFinding(Severity::Error, FindingCode::FdrName, "FDR", f, nameProblem);
    for (const AttributeProblem& p : CheckAttributes(AttributesFromFdr(View(f.fdr))))
      FileFinding(p.severity, p.code, "FDR", f, p.reason);
  }

  void CheckChain(size_t fi) {
    const FloppyFile& f = m_.files[fi];
    if (!Walked(f)) return;
    const uint16_t total = View(f.fdr).be16(fdr::kTotalSectors);
    if (f.backwardsEntry >= 0)
      FileFinding(Severity::Error, FindingCode::ChainBroken, "data chain", f,
                  fmt::sprintf("chain entry %d ends before the sectors of the entries before it", f.backwardsEntry));
    // Sectors shared with each other owner, counted once per owner.
    std::map<int, std::pair<uint32_t, uint32_t>> shared;  // owner -> first sector, count
    for (size_t k = 0; k < f.chain.size(); ++k) {
      const Fragment& frag = f.chain[k];
      if (frag.last >= m_.totalSectors) {
        FileFinding(Severity::Error, FindingCode::ChainOutOfRange, "data chain", f,
                    fmt::sprintf("fragment %u (sectors %u-%u) runs outside the %u-sector disk",
                                 static_cast<unsigned>(k + 1), frag.first, frag.last, m_.totalSectors));
      }
      for (uint32_t s = frag.first; s <= frag.last && s < m_.totalSectors; ++s) {
        const int before = Claim(s, DataOwner(fi));
        if (before == kFree || before == DataOwner(fi)) continue;
        auto [it, fresh] = shared.emplace(before, std::make_pair(s, 0u));
        ++it->second.second;
      }
    }
    for (const auto& [owner, firstAndCount] : shared) {
      Finding& x = FileFinding(Severity::Error, FindingCode::SharedSector, "data chain", f,
                               fmt::sprintf("%s also %s", SectorsFrom(firstAndCount.second, firstAndCount.first),
                                            OwnerText(m_, owner)));
      x.sector = firstAndCount.first;
      if (owner != kSystem) x.otherFdr = m_.files[static_cast<size_t>(owner / 2)].fdrSector;
    }
    if (f.chainSectors < total)
      FileFinding(Severity::Error, FindingCode::ChainLength, "data chain", f,
                  fmt::sprintf("the chain holds %u sectors, the FDR says %u", f.chainSectors, total));
    else if (f.chainGoesOn)
      FileFinding(Severity::Warning, FindingCode::ChainLength, "data chain", f,
                  fmt::sprintf("the chain goes on past the file's %u sectors", total));
    else if (f.chainSectors >= total + m_.au)
      FileFinding(Severity::Warning, FindingCode::ChainLength, "data chain", f,
                  fmt::sprintf("the chain holds %u sectors, more than the %u of the file", f.chainSectors, total));
  }

  void CheckBitmap() {
    const ByteView v = View(m_.vib);
    const unsigned onDisk = std::min<unsigned>((m_.totalSectors + m_.au - 1) / m_.au, vib::kBitmapBits);
    std::map<int, std::pair<unsigned, unsigned>> unmarked;  // owner -> first sector, count
    unsigned lostFirst = 0, lost = 0;
    for (unsigned u = 0; u < onDisk; ++u) {
      bool used = false;
      for (unsigned s = u * m_.au; s < (u + 1) * m_.au && s < m_.totalSectors; ++s) {
        if (owner_[s] == kFree) continue;
        used = true;
        if (!BitmapTest(v, u)) {
          auto [it, fresh] = unmarked.emplace(owner_[s], std::make_pair(s, 0u));
          ++it->second.second;
        }
      }
      if (!used && BitmapTest(v, u) && lost++ == 0) lostFirst = u;
    }
    for (const auto& [owner, firstAndCount] : unmarked) {
      Finding& x = r_.Error(FindingCode::BitmapClearButUsed, "bitmap", 0,
                            fmt::sprintf("%s marked free but %s %s", SectorsFrom(firstAndCount.second, firstAndCount.first),
                                         firstAndCount.second == 1 ? "holds" : "hold", OwnerText(m_, owner)));
      if (owner != kSystem) {
        const FloppyFile& f = m_.files[static_cast<size_t>(owner / 2)];
        x.file = Trimmed(f.name10);
        x.fdrSector = f.fdrSector;
      }
    }
    if (lost > 0)
      r_.Warning(FindingCode::BitmapSetButUnused, "bitmap", 0,
                 lost == 1 ? fmt::sprintf("AU %u is marked used but holds nothing", lostFirst)
                           : fmt::sprintf("%u allocation units from AU %u are marked used but hold nothing", lost, lostFirst));
    for (unsigned u = onDisk; u < vib::kBitmapBits; ++u)
      if (!BitmapTest(v, u)) {
        r_.Warning(FindingCode::BitmapPastEnd, "bitmap", 0,
                   fmt::sprintf("AU %u and others past the end of the disk are marked free", u));
        break;
      }
  }

  const FloppyModel& m_;
  CheckReport& r_;
  std::vector<int> owner_;
};

}  // namespace

bool ReadFloppyModel(SectorSource& sectors, uint64_t imageBytes, FloppyModel& m, CheckReport& report) {
  m = FloppyModel{};
  m.imageSectors = imageBytes / 256;
  if (imageBytes != 0 && imageBytes < 256) {
    report.Error(FindingCode::NotContainer, "VIB", 0,
                 fmt::sprintf("the file holds %u bytes, too few for a VIB", static_cast<unsigned>(imageBytes)));
    return false;
  }
  if (imageBytes % 256 != 0)
    report.Warning(FindingCode::ImageSize, "image", -1,
                   fmt::sprintf("%u bytes after the last whole sector", static_cast<unsigned>(imageBytes % 256)));
  if (!sectors.ReadSector(0, m.vib)) {
    report.Error(FindingCode::ReadFailed, "VIB", 0, "sector 0 cannot be read");
    return false;
  }
  const ByteView v = View(m.vib);
  if (!v.equals(vib::kMarker, "DSK")) {
    report.Error(FindingCode::NotContainer, "VIB", 0, "no \"DSK\" at bytes 13-15: not a floppy file system");
    return false;
  }
  m.totalSectors = v.be16(vib::kTotalSectors);
  m.density = v.u8(vib::kDensity) ? v.u8(vib::kDensity) : 1;
  m.au = SectorsPerAllocationUnit(m.totalSectors);
  if (m.totalSectors < 2) {
    report.Error(FindingCode::VibTotal, "VIB", 0, fmt::sprintf("the VIB says the disk has %u sectors", m.totalSectors));
    return false;
  }
  if (m.au == 0) {
    report.Error(FindingCode::VibTotal, "VIB", 0,
                 fmt::sprintf("%u sectors is beyond the 25600 the allocation bitmap can describe", m.totalSectors));
    return false;
  }
  auto readable = [&](uint32_t s) { return s < m.totalSectors && (m.imageSectors == 0 || s < m.imageSectors); };

  FloppyDir root;
  m.dirs.push_back(root);
  for (size_t slot = 0; slot < vib::kSubdirCount; ++slot) {
    const size_t at = vib::kSubdirs + slot * vib::kSubdirSlotSize;
    if (v.u8(at) == 0 || v.be16(at + 10) == 0) continue;  // the readers skip such slots
    FloppyDir d;
    d.slot = static_cast<int>(slot);
    d.name = v.str(at, 10);
    d.fdirSector = v.be16(at + 10);
    m.dirs.push_back(d);
  }
  std::set<uint16_t> seen;
  for (size_t di = 0; di < m.dirs.size(); ++di) {
    FloppyDir& d = m.dirs[di];
    if (d.fdirSector < 1 || !readable(d.fdirSector)) continue;
    if (!sectors.ReadSector(d.fdirSector, d.fdir)) {
      report.Error(FindingCode::ReadFailed, "FDIR", d.fdirSector, "the index sector cannot be read");
      continue;
    }
    d.readable = true;
    d.entries = ReadFdirEntries(View(d.fdir));
    for (size_t slot = 0; slot < d.entries.size(); ++slot) {
      FloppyFile f;
      f.dir = di;
      f.slot = slot;
      f.fdrSector = d.entries[slot];
      f.duplicateEntry = !seen.insert(f.fdrSector).second;
      if (readable(f.fdrSector)) {
        f.readable = sectors.ReadSector(f.fdrSector, f.fdr);
        if (!f.readable) report.Error(FindingCode::ReadFailed, "FDR", f.fdrSector, "the FDR cannot be read");
      }
      if (f.readable) {
        f.name10 = View(f.fdr).str(fdr::kName, 10);
        WalkChain(f, m.density);
      }
      m.files.push_back(std::move(f));
    }
  }
  return true;
}

void CheckFloppyModel(const FloppyModel& model, CheckReport& report) {
  if (!model.Usable()) return;
  Checker(model, report).Run();
}

void CheckFloppy(SectorSource& sectors, uint64_t imageBytes, CheckReport& report) {
  FloppyModel model;
  if (ReadFloppyModel(sectors, imageBytes, model, report)) CheckFloppyModel(model, report);
}

std::optional<Finding> FindWriteHazard(SectorSource& sectors, uint16_t fdirSector, const std::string& targetName10) {
  CheckReport report;
  FloppyModel model;
  if (!ReadFloppyModel(sectors, 0, model, report)) return report.findings.empty() ? std::nullopt
                                                                                   : std::optional(report.findings[0]);
  CheckFloppyModel(model, report);
  std::string target = targetName10;
  target.resize(10, ' ');
  std::set<uint16_t> dirEntries;
  uint16_t targetFdr = 0;
  for (const FloppyFile& f : model.files) {
    if (model.dirs[f.dir].fdirSector != fdirSector) continue;
    dirEntries.insert(f.fdrSector);
    if (f.readable && f.name10 == target && targetFdr == 0) targetFdr = f.fdrSector;
  }
  for (const Finding& f : report.findings) {
    if (f.severity != Severity::Error) continue;
    switch (f.code) {
      case FindingCode::FdirOutOfRange:
      case FindingCode::FdirSystemSector:
      case FindingCode::FdirUnsorted:
      case FindingCode::FdirDuplicateName:
      case FindingCode::FdirNoTerminator:
      case FindingCode::FdrUnreadable:
      case FindingCode::ReadFailed:
        if (f.sector == fdirSector) return f;
        break;
      case FindingCode::FdirDuplicateSector:
        if (dirEntries.count(f.fdrSector)) return f;
        break;
      case FindingCode::BitmapClearButUsed:
        return f;
      case FindingCode::ChainOutOfRange:
      case FindingCode::ChainBroken:
      case FindingCode::SharedSector:
        if (targetFdr != 0 && (f.fdrSector == targetFdr || f.otherFdr == targetFdr)) return f;
        break;
      default:
        break;
    }
  }
  return std::nullopt;
}

void ReportWriteHazard(const std::string& path, const Finding& finding) {
  ReportWriteRefused(path, FormatFinding(finding));
}

std::optional<StandardGeometry> StandardGeometryFor(uint64_t total, ByteView hint) {
  switch (total) {
    case 360: return StandardGeometry{360, 9, 40, 1, 1};
    case 720: return StandardGeometry{720, 9, 40, 2, 1};
    case 1600: return StandardGeometry{1600, 20, 40, 2, 1};
    case 2880: return StandardGeometry{2880, 18, 80, 2, 2};
    case 1440: {
      // Two layouts share this size: double density on 40 tracks, or single
      // density on 80. Only the VIB can tell which one the disk was.
      const bool doubleDensity = hint.u8(vib::kSectorsPerTrack) == 18 || hint.u8(vib::kDensity) == 2;
      const bool eightyTracks = hint.u8(vib::kSectorsPerTrack) == 9 || hint.u8(vib::kTracksPerSide) == 80;
      if (doubleDensity && !eightyTracks) return StandardGeometry{1440, 18, 40, 2, 2};
      if (eightyTracks && !doubleDensity) return StandardGeometry{1440, 9, 80, 2, 1};
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

}  // namespace korvane
