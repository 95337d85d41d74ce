#include "floppy/floppy_repair.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "catalog/header.h"
#include "floppy/floppy_check.h"
#include "floppy/v9t9.h"
#include "platform/byte_view.h"

namespace korvane {
namespace {

ByteView View(const Sector& s) { return ByteView(s.data(), s.size()); }

// The sectors as they will be after the planned writes: reads see the
// planned bytes first, writes only go into the plan.
class PlannedSectors : public SectorSource {
 public:
  PlannedSectors(SectorSource& base, std::map<uint32_t, Sector>& writes) : base_(base), writes_(writes) {}
  bool ReadSector(uint32_t n, Sector& out) override {
    const auto it = writes_.find(n);
    if (it == writes_.end()) return base_.ReadSector(n, out);
    out = it->second;
    return true;
  }
  bool WriteSector(uint32_t n, const Sector& in) override {
    writes_[n] = in;
    return true;
  }
  const std::string& Name() const override { return base_.Name(); }

 private:
  SectorSource& base_;
  std::map<uint32_t, Sector>& writes_;
};

std::string Shown(const std::string& name10) {
  const std::string t = TrimTiName(name10);
  return t.empty() ? std::string("(no name)") : t;
}

bool Reload(SectorSource& s, uint64_t imageBytes, FloppyModel& m) {
  CheckReport ignored;
  return ReadFloppyModel(s, imageBytes, m, ignored);
}

// Every sector a file, an index or the VIB uses, by sector number.
std::vector<bool> UsedSectors(const FloppyModel& m) {
  std::vector<bool> used(m.totalSectors, false);
  auto mark = [&](uint32_t s) {
    if (s < used.size()) used[s] = true;
  };
  mark(0);
  mark(1);
  for (const FloppyDir& d : m.dirs) mark(d.fdirSector);
  for (const FloppyFile& f : m.files) {
    mark(f.fdrSector);
    for (const Fragment& frag : f.chain)
      for (uint32_t s = frag.first; s <= frag.last && s < m.totalSectors; ++s) mark(s);
  }
  return used;
}

void RepairGeometry(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  if (m.imageSectors == 0) return;
  const std::optional<StandardGeometry> g = StandardGeometryFor(m.imageSectors, View(m.vib));
  if (!g) return;
  const ByteView v = View(m.vib);
  if (v.be16(vib::kTotalSectors) == g->total && v.u8(vib::kSectorsPerTrack) == g->sectorsPerTrack &&
      v.u8(vib::kTracksPerSide) == g->tracksPerSide && v.u8(vib::kSides) == g->sides &&
      v.u8(vib::kDensity) == g->density)
    return;
  // Another allocation unit would change the meaning of every bitmap bit and
  // of chains on disks with large units: that is no longer a mend.
  if (SectorsPerAllocationUnit(g->total) != m.au) return;
  if (g->total < m.totalSectors) {
    const std::vector<bool> used = UsedSectors(m);
    for (uint32_t sector = g->total; sector < used.size(); ++sector)
      if (used[sector]) return;  // a file lies beyond the new end
  }
  Sector vibSector = m.vib;
  ByteWriter w(vibSector.data(), vibSector.size());
  w.put16be(vib::kTotalSectors, g->total);
  w.put8(vib::kSectorsPerTrack, g->sectorsPerTrack);
  w.put8(vib::kTracksPerSide, g->tracksPerSide);
  w.put8(vib::kSides, g->sides);
  w.put8(vib::kDensity, g->density);
  s.WriteSector(0, vibSector);
  actions.push_back(fmt::sprintf("VIB: set %u sectors, %u per track, %u tracks, %u sides, density %u from the image size",
                                 g->total, g->sectorsPerTrack, g->tracksPerSide, g->sides, g->density));
}

void WriteIndex(PlannedSectors& s, const FloppyDir& d, const std::vector<uint16_t>& entries) {
  Sector index{};
  ByteWriter w(index.data(), index.size());
  for (size_t i = 0; i < entries.size() && i < 128; ++i) w.put16be(2 * i, entries[i]);
  s.WriteSector(d.fdirSector, index);
}

std::string DirText(const FloppyDir& d) { return d.slot < 0 ? "FDIR" : "FDIR of " + TrimTiName(d.name); }

void DropBadEntries(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  std::set<uint16_t> seen;
  for (const FloppyDir& d : m.dirs) {
    if (!d.readable) continue;
    std::vector<uint16_t> kept;
    bool changed = false;
    for (size_t slot = 0; slot < d.entries.size(); ++slot) {
      const uint16_t e = d.entries[slot];
      if (e >= m.totalSectors) {
        actions.push_back(fmt::sprintf("%s: dropped entry %u, sector %u lies outside the disk", DirText(d),
                                       static_cast<unsigned>(slot), e));
        changed = true;
      } else if (!seen.insert(e).second) {
        actions.push_back(fmt::sprintf("%s: dropped entry %u, sector %u is listed before it", DirText(d),
                                       static_cast<unsigned>(slot), e));
        changed = true;
      } else {
        kept.push_back(e);
      }
    }
    if (changed) WriteIndex(s, d, kept);
  }
}

void RenameDuplicates(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  for (size_t di = 0; di < m.dirs.size(); ++di) {
    std::vector<std::string> taken;
    for (const FloppyFile& f : m.files)
      if (f.dir == di && f.readable) taken.push_back(f.name10);
    std::set<std::string> seen;
    for (const FloppyFile& f : m.files) {
      if (f.dir != di || !f.readable || f.duplicateEntry) continue;
      if (seen.insert(f.name10).second) continue;
      const std::string fresh = FreeDuplicateName(f.name10, taken);
      if (fresh.empty()) continue;
      taken.push_back(fresh);
      Sector fdrBytes = f.fdr;
      ByteWriter(fdrBytes.data(), fdrBytes.size()).putStr(fdr::kName, fresh, 10);
      s.WriteSector(f.fdrSector, fdrBytes);
      actions.push_back(fmt::sprintf("FDR sector %u: renamed the second %s to %s", f.fdrSector, Shown(f.name10),
                                     Shown(fresh)));
    }
  }
}

void SortIndexes(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  for (size_t di = 0; di < m.dirs.size(); ++di) {
    const FloppyDir& d = m.dirs[di];
    if (!d.readable) continue;
    std::vector<const FloppyFile*> files;
    for (const FloppyFile& f : m.files)
      if (f.dir == di) files.push_back(&f);
    // Unreadable FDRs have no name to sort by: they keep their order, last.
    auto before = [](const FloppyFile* a, const FloppyFile* b) {
      if (a->readable != b->readable) return a->readable;
      if (!a->readable) return false;
      return std::memcmp(a->name10.data(), b->name10.data(), 10) < 0;  // unsigned byte order
    };
    if (std::is_sorted(files.begin(), files.end(), before)) continue;
    std::stable_sort(files.begin(), files.end(), before);
    std::vector<uint16_t> entries;
    for (const FloppyFile* f : files) entries.push_back(f->fdrSector);
    WriteIndex(s, d, entries);
    actions.push_back(fmt::sprintf("%s: sorted the entries by name", DirText(d)));
  }
}

// A run of `count` free sectors in the data area, aligned to the allocation
// unit (and to 4 sectors where chain starts are stored divided by 4).
std::optional<uint32_t> FindFreeRun(const FloppyModel& m, const std::vector<bool>& used, uint32_t count) {
  const uint32_t align = m.density >= 3 ? std::max(m.au, 4u) : m.au;
  const uint32_t start = 34 * m.au;
  for (uint32_t first = (start + align - 1) / align * align; first + count <= m.totalSectors; first += align) {
    bool free = true;
    for (uint32_t s = first; s < first + count && free; ++s) free = !used[s] && !BitmapTest(View(m.vib), s / m.au);
    if (free) return first;
  }
  return std::nullopt;
}

void CopyCrossLinked(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  CheckReport report;
  CheckFloppyModel(m, report);
  std::vector<bool> used = UsedSectors(m);
  std::set<uint16_t> done;
  for (const Finding& finding : report.findings) {
    if (finding.code != FindingCode::SharedSector || finding.structure != "data chain" || finding.otherFdr == 0)
      continue;
    if (!done.insert(finding.fdrSector).second) continue;
    const auto it = std::find_if(m.files.begin(), m.files.end(), [&](const FloppyFile& f) {
      return f.fdrSector == finding.fdrSector && f.readable && !f.duplicateEntry;
    });
    if (it == m.files.end()) continue;
    const FloppyFile& f = *it;
    const uint32_t count = (f.chainSectors + m.au - 1) / m.au * m.au;
    bool inRange = f.backwardsEntry < 0 && count > 0 && count <= 0x1000;
    for (const Fragment& frag : f.chain) inRange = inRange && frag.last < m.totalSectors;
    if (!inRange) continue;
    const std::optional<uint32_t> run = FindFreeRun(m, used, count);
    if (!run) continue;
    uint32_t to = *run;
    bool copied = true;
    for (const Fragment& frag : f.chain)
      for (uint32_t from = frag.first; from <= frag.last && copied; ++from, ++to) {
        Sector data;
        copied = s.ReadSector(from, data) && s.WriteSector(to, data);
      }
    if (!copied) continue;
    for (uint32_t k = *run; k < *run + count; ++k) used[k] = true;
    // One fragment now: start (divided by 4 on density 3 disks), and the
    // file-relative number of the last sector the chain covered before.
    Sector fdrBytes = f.fdr;
    ByteWriter w(fdrBytes.data(), fdrBytes.size());
    const ByteView old = View(f.fdr);
    const bool comment = old.u8(fdr::kCommentGuard) == 0 && old.u8(fdr::kCommentGuard + 1) == 0 &&
                         old.u8(fdr::kCommentGuard + 2) == 0 && old.u8(fdr::kComment) > 0x20 &&
                         old.u8(fdr::kComment) < 0x7F;
    w.fill(fdr::kChain, (comment ? fdr::kCommentGuard : fdr::kSize) - fdr::kChain, 0);
    const uint32_t stored = m.density >= 3 ? *run / 4 : *run;
    const uint32_t offset = f.chainSectors - 1;
    w.put8(fdr::kChain, static_cast<uint8_t>(stored & 0xFF));
    w.put8(fdr::kChain + 1, static_cast<uint8_t>((stored >> 8 & 0x0F) | (offset & 0x0F) << 4));
    w.put8(fdr::kChain + 2, static_cast<uint8_t>(offset >> 4));
    s.WriteSector(f.fdrSector, fdrBytes);
    actions.push_back(fmt::sprintf("FDR sector %u: gave %s its own copy of its %u sectors at sector %u",
                                   f.fdrSector, Shown(f.name10), f.chainSectors, *run));
  }
}

void RebuildBitmap(PlannedSectors& s, const FloppyModel& m, std::vector<std::string>& actions) {
  const std::vector<bool> used = UsedSectors(m);
  Sector vibSector = m.vib;
  ByteWriter w(vibSector.data(), vibSector.size());
  w.fill(vib::kBitmap, vib::kBitmapBytes, 0);
  const unsigned onDisk = (m.totalSectors + m.au - 1) / m.au;
  for (unsigned u = 0; u < vib::kBitmapBits; ++u) {
    bool mark = u >= onDisk;  // past the end: never to be allocated
    for (unsigned sector = u * m.au; !mark && sector < (u + 1) * m.au && sector < used.size(); ++sector)
      mark = used[sector];
    if (mark) vibSector[vib::kBitmap + u / 8] |= static_cast<uint8_t>(1u << (u % 8));
  }
  if (vibSector == m.vib) return;
  s.WriteSector(0, vibSector);
  actions.push_back("bitmap: rebuilt from the sectors the files and indexes use");
}

}  // namespace

std::string FreeDuplicateName(const std::string& name10, const std::vector<std::string>& taken) {
  const std::string base = TrimTiName(name10);
  for (unsigned n = 2; n < 1000; ++n) {
    const std::string suffix = fmt::sprintf("_%u", n);
    std::string candidate = base.substr(0, 10 - suffix.size()) + suffix;
    candidate.resize(10, ' ');
    if (std::find(taken.begin(), taken.end(), candidate) == taken.end()) return candidate;
  }
  return {};
}

RepairPlan PlanFloppyRepair(SectorSource& sectors, uint64_t imageBytes) {
  RepairPlan plan;
  PlannedSectors planned(sectors, plan.writes);
  FloppyModel m;
  // The first read of the file system is also the check of it as it is.
  CheckReport before;
  const bool read = ReadFloppyModel(planned, imageBytes, m, before);
  if (read) CheckFloppyModel(m, before);
  if (!read || !m.Usable()) {
    plan.after = std::move(before);
    return plan;
  }
  plan.usable = true;
  // Each step reads the file system as the steps before left it. Every step
  // that changes a VIB, index or FDR sector says so in an action, so the
  // file system is read again only after a step that mended something.
  bool changed = false;
  auto step = [&](void (*mend)(PlannedSectors&, const FloppyModel&, std::vector<std::string>&)) {
    if (changed && !Reload(planned, imageBytes, m)) return;
    const size_t actions = plan.actions.size();
    mend(planned, m, plan.actions);
    changed = plan.actions.size() != actions;
  };
  step(RepairGeometry);
  step(DropBadEntries);
  step(RenameDuplicates);
  step(SortIndexes);
  step(CopyCrossLinked);
  step(RebuildBitmap);
  CheckFloppy(planned, imageBytes, plan.after);
  // One mend can uncover another fault: a VIB total set from the image size
  // brings an index entry that pointed past the old end back in range, now
  // at a sector that holds no file record. A repair that leaves more errors
  // than it found is no repair: keep the image as it is.
  if (plan.after.Errors() > before.Errors()) {
    plan.refusal = fmt::sprintf("mending would leave %d errors where the check found %d; nothing was changed",
                                plan.after.Errors(), before.Errors());
    plan.writes.clear();
    plan.actions.clear();
    plan.after = before;
  }
  return plan;
}

bool CommitRepair(SectorSource& sectors, const RepairPlan& plan) {
  // Data and FDRs first, indexes next, the VIB last: a write that fails
  // part way leaves the indexes and bitmap pointing at what they did before.
  std::vector<uint32_t> order;
  std::set<uint32_t> indexes;
  for (const auto& [n, bytes] : plan.writes)
    if (n != 0) order.push_back(n);
  {
    FloppyModel m;
    CheckReport ignored;
    if (ReadFloppyModel(sectors, 0, m, ignored))
      for (const FloppyDir& d : m.dirs) indexes.insert(d.fdirSector);
  }
  std::stable_partition(order.begin(), order.end(), [&](uint32_t n) { return !indexes.count(n); });
  if (plan.writes.count(0)) order.push_back(0);

  std::vector<std::pair<uint32_t, Sector>> previous;
  for (uint32_t n : order) {
    Sector old;
    if (!sectors.ReadSector(n, old)) break;
    previous.emplace_back(n, old);
    if (sectors.WriteSector(n, plan.writes.at(n))) continue;
    for (auto it = previous.rbegin(); it != previous.rend(); ++it) sectors.WriteSector(it->first, it->second);
    return false;
  }
  if (previous.size() == order.size()) return true;
  for (auto it = previous.rbegin(); it != previous.rend(); ++it) sectors.WriteSector(it->first, it->second);
  return false;
}

}  // namespace korvane
