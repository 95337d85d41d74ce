#include "harddisk/hd_check.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "catalog/attribute_check.h"
#include "catalog/header.h"
#include "floppy/sector_source.h"
#include "harddisk/hd_format.h"

namespace korvane {
namespace {

ByteView View(const Sector& s) { return ByteView(s.data(), s.size()); }

std::string Shown(const std::string& name10) {
  std::string t = TrimTiName(name10);
  for (char& c : t)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) c = '.';
  return t.empty() ? std::string("(no name)") : t;
}

std::string JoinPath(const std::string& dir, const std::string& name) { return dir.empty() ? name : dir + "." + name; }

// "AU 70 is", "3 AUs from AU 70 are".
std::string AusFrom(uint32_t count, uint32_t first) {
  return count == 1 ? fmt::sprintf("AU %u is", first) : fmt::sprintf("%u AUs from AU %u are", count, first);
}

// Reads volume sectors silently: a sector past the image or the partition
// is a finding of the check, not a message box.
class VolumeReader {
 public:
  VolumeReader(PcFile& file, uint32_t base, uint64_t room) : file_(file), base_(base), room_(room) {}
  bool Read(uint64_t sector, Sector& out) {
    if (sector >= room_) return false;
    return file_.ReadExact((uint64_t{base_} + sector) * 256, out.data(), out.size());
  }

 private:
  PcFile& file_;
  uint32_t base_;
  uint64_t room_;
};

// Who uses an AU: nobody, the system area, the reserved sectors between the
// bitmap and the root index (used or not as the formatter chose), or one of
// the owners the walk found.
constexpr int kFree = -1;
constexpr int kSystem = -2;
constexpr int kReserved = -3;

struct Owner {
  enum What { Record, Index, Fdr, Data } what;
  std::string path;     // "" for the root
  uint16_t fdrAu = 0;   // files: the FDR's AU
};

struct DirWork {
  uint16_t ownAu;   // 0: the root, whose record is the VIB
  std::string path;
  int depth;
  std::vector<uint16_t> ancestors;  // record AUs from the root down to the parent
  Sector record{};                  // the DDR as the parent read it (unused for the root)
};

class VolumeChecker {
 public:
  VolumeChecker(PcFile& file, uint32_t base, uint64_t room, std::string where, CheckReport& report,
                Progress& progress)
      : reader_(file, base, room), room_(room), where_(std::move(where)), r_(report), progress_(progress) {}

  bool Run() {
    if (!reader_.Read(0, vib_)) {
      r_.Error(FindingCode::ReadFailed, where_ + "VIB", 0, "sector 0 cannot be read");
      return false;
    }
    if (!CheckVib()) return false;
    owner_.assign(total_, kFree);
    // VIB and bitmap (sectors 0-31) belong to the system; so does the root
    // index. Sectors 32-63 are reserved: formatters mark them used, and
    // nothing of the file system lives there.
    for (uint32_t au = 0; au < total_ && au * spau_ < hdvib::kRootIndexSector; ++au)
      owner_[au] = au * spau_ <= hdvib::kLastBitmapSector ? kSystem : kReserved;
    rootIndexAu_ = static_cast<uint16_t>(hdvib::kRootIndexSector / spau_);
    if (rootIndexAu_ < total_) owner_[rootIndexAu_] = kSystem;
    WalkTree();
    if (!cancelled_) CheckBitmap();
    return true;
  }

  bool Cancelled() const { return cancelled_; }

 private:
  Finding& Add(Severity s, FindingCode code, const std::string& structure, int64_t sector, std::string reason) {
    return r_.Add(s, code, where_ + structure, sector, std::move(reason));
  }
  int64_t SectorOf(uint32_t au) const { return int64_t{au} * spau_; }
  // The bitmap sector that holds AU `au`'s bit (2048 bits a sector).
  static int64_t BitmapSector(uint32_t au) { return hdvib::kFirstBitmapSector + au / 2048; }

  bool CheckVib() {
    const ByteView v = View(vib_);
    total_ = v.be16(hdvib::kTotalAus);
    spau_ = SpauFromParameters(v.be16(hdvib::kParameters));
    bool sound = true;
    if (total_ > hdvib::kMaxTotalAus) {
      Add(Severity::Error, FindingCode::VibTotal, "VIB", 0,
          fmt::sprintf("%u allocation units; a volume holds at most %u", total_, hdvib::kMaxTotalAus));
      sound = false;
    }
    if (v.u8(hdvib::kFiles) > hdvib::kMaxFiles) {
      Add(Severity::Error, FindingCode::VibTotal, "VIB", 0,
          fmt::sprintf("%u files in the root; a directory holds at most 127", v.u8(hdvib::kFiles)));
      sound = false;
    }
    if (v.u8(hdvib::kSubdirCount) > hdvib::kMaxSubdirs) {
      Add(Severity::Error, FindingCode::VibTotal, "VIB", 0,
          fmt::sprintf("%u sub-directories in the root; a directory holds at most 114", v.u8(hdvib::kSubdirCount)));
      sound = false;
    }
    if (uint32_t{spau_} * v.be16(hdvib::kFdirAu) != hdvib::kRootIndexSector) {
      Add(Severity::Error, FindingCode::VibGeometry, "VIB", 0,
          fmt::sprintf("the root index is at AU %u with %u sectors per AU, not at sector 64", v.be16(hdvib::kFdirAu),
                       spau_));
      sound = false;
    }
    if (sound && uint32_t{total_} * spau_ <= hdvib::kRootIndexSector) {
      Add(Severity::Error, FindingCode::VibTotal, "VIB", 0,
          fmt::sprintf("%u allocation units of %u sectors leave no room for the root index at sector 64", total_,
                       spau_));
      sound = false;
    }
    if (!sound) return false;
    const uint64_t sectors = uint64_t{total_} * spau_;
    if (sectors > room_)
      Add(Severity::Error, FindingCode::VibTotal, "VIB", 0,
          fmt::sprintf("the VIB says %u sectors, the %s holds %u from the volume's start",
                       static_cast<unsigned>(sectors), where_.empty() ? "image" : "partition",
                       static_cast<unsigned>(room_)));
    const std::string nameProblem = NameProblem(v.sub(hdvib::kName, 10));
    if (!nameProblem.empty()) Add(Severity::Warning, FindingCode::FdrName, "VIB", 0, "volume name: " + nameProblem);
    return true;
  }

  // Claims AU `au` for `owner`; returns the owner before (kFree when none).
  int Claim(uint32_t au, int owner) {
    if (au >= owner_.size()) return kFree;
    const int before = owner_[au];
    if (before == kFree || before == kReserved) {
      owner_[au] = owner;
      return kFree;
    }
    return before;
  }

  int NewOwner(Owner::What what, const std::string& path, uint16_t fdrAu = 0) {
    owners_.push_back({what, path, fdrAu});
    return static_cast<int>(owners_.size() - 1);
  }

  std::string OwnerText(int owner) const {
    if (owner == kSystem) return "the VIB, the bitmap or the root index";
    const Owner& o = owners_[static_cast<size_t>(owner)];
    const std::string dir = o.path.empty() ? "the root" : o.path;
    switch (o.what) {
      case Owner::Record: return "the DDR of " + dir;
      case Owner::Index: return "the index of " + dir;
      case Owner::Fdr: return "the FDR of " + o.path;
      case Owner::Data: return "data of " + o.path;
    }
    return "";
  }

  void Shared(int before, const std::string& structure, int64_t sector, const std::string& path,
              const std::string& what) {
    Finding& x = Add(Severity::Error, FindingCode::SharedSector, structure, sector,
                     fmt::sprintf("%s is also %s", what, OwnerText(before)));
    x.file = path;
    if (before >= 0) x.otherFdr = owners_[static_cast<size_t>(before)].fdrAu;
  }

  bool Inside(uint32_t au) const { return au != 0 && au < total_ && owner_[au] != kSystem; }

  void WalkTree() {
    std::vector<DirWork> stack;
    stack.push_back({0, "", 0, {}});
    visitedRecord_.assign(total_, false);
    fdrListed_.assign(total_, false);
    uint32_t visited = 0;
    while (!stack.empty()) {
      DirWork d = std::move(stack.back());
      stack.pop_back();
      if (++visited > kHdCheckMaxDirectories) {
        Add(Severity::Error, FindingCode::DirectoryTree, "DDR", -1,
            fmt::sprintf("more than %u directories: the rest of the tree is not checked", kHdCheckMaxDirectories));
        return;
      }
      if (!progress_.Step(visited)) {
        cancelled_ = true;
        return;
      }
      CheckDirectory(d, d.ownAu == 0 ? vib_ : d.record, stack);
    }
  }

  void CheckDirectory(const DirWork& d, const Sector& record, std::vector<DirWork>& stack) {
    const ByteView rec = View(record);
    const std::string recName = d.ownAu == 0 ? "VIB" : "DDR of " + d.path;
    const std::string indexName = d.ownAu == 0 ? "FDIR" : "FDIR of " + d.path;
    const int64_t recSector = SectorOf(d.ownAu);

    // The index.
    const uint16_t indexAu = rec.be16(hdvib::kFdirAu);
    size_t fileCount = 0;
    bool indexRead = false;
    Sector index{};
    if (d.ownAu != 0 && !Inside(indexAu)) {
      Add(Severity::Error, FindingCode::FdirOutOfRange, recName, recSector,
          fmt::sprintf("the index is at AU %u, outside the %u-AU volume's data area", indexAu, total_))
          .file = d.path;
    } else {
      const int before = d.ownAu == 0 ? kFree : Claim(indexAu, NewOwner(Owner::Index, d.path));
      if (before != kFree) {
        Shared(before, recName, recSector, d.path, fmt::sprintf("its index AU %u", indexAu));
      } else if (!reader_.Read(SectorOf(indexAu), index)) {
        Add(Severity::Error, FindingCode::ReadFailed, indexName, SectorOf(indexAu),
            "the index lies past the end of the image").file = d.path;
      } else {
        indexRead = true;
      }
    }
    if (indexRead) fileCount = CheckIndex(d, indexAu, View(index), indexName);
    if (indexRead && fileCount != rec.u8(hdvib::kFiles))
      Add(Severity::Warning, FindingCode::FdirOutOfRange, recName, recSector,
          fmt::sprintf("the record says %u files, the index lists %u", rec.u8(hdvib::kFiles),
                       static_cast<unsigned>(fileCount)))
          .file = d.path;

    // The sub-directories, in the order the record names them.
    std::vector<DirWork> children;
    unsigned listed = 0;
    for (unsigned j = 0; j < hdvib::kMaxSubdirs; ++j) {
      const uint16_t au = rec.be16(hdvib::kSubdirs + 2 * j);
      if (au == 0) break;
      ++listed;
      if (!Inside(au)) {
        Add(Severity::Error, FindingCode::DirectoryTree, recName, recSector,
            fmt::sprintf("sub-directory entry %u names AU %u, outside the %u-AU volume's data area", j, au, total_))
            .file = d.path;
        break;  // the reader ends the list here too
      }
      if (visitedRecord_[au]) {
        const bool loop = au == d.ownAu || std::find(d.ancestors.begin(), d.ancestors.end(), au) != d.ancestors.end();
        Add(Severity::Error, FindingCode::DirectoryTree, recName, recSector,
            loop ? fmt::sprintf("sub-directory entry %u names AU %u, a directory above it: the tree loops", j, au)
                 : fmt::sprintf("sub-directory entry %u names AU %u, a directory listed elsewhere already", j, au))
            .file = d.path;
        continue;
      }
      Sector ddr{};
      if (!reader_.Read(SectorOf(au), ddr)) {
        Add(Severity::Error, FindingCode::ReadFailed, recName, recSector,
            fmt::sprintf("sub-directory entry %u names AU %u, past the end of the image", j, au))
            .file = d.path;
        continue;
      }
      const ByteView dv = View(ddr);
      const std::string childPath = JoinPath(d.path, Shown(dv.str(hdvib::kName, 10)));
      if (!IsDirectoryRecord(dv)) {
        Add(Severity::Error, FindingCode::DirectoryTree, "DDR", SectorOf(au),
            fmt::sprintf("sub-directory entry %u of %s names AU %u, which holds no \"DIR\" record with a valid name",
                         j, d.path.empty() ? "the root" : d.path, au));
        continue;
      }
      visitedRecord_[au] = true;
      const int before = Claim(au, NewOwner(Owner::Record, childPath));
      if (before != kFree) {
        Shared(before, "DDR of " + childPath, SectorOf(au), childPath, fmt::sprintf("its record AU %u", au));
        continue;
      }
      const uint16_t parent = dv.be16(hdvib::kParentDdr);
      if (parent != d.ownAu)
        Add(Severity::Error, FindingCode::DirectoryTree, "DDR of " + childPath, SectorOf(au),
            fmt::sprintf("the parent pointer names AU %u, but the directory is listed by %s (AU %u)", parent,
                         d.ownAu == 0 ? "the root" : d.path, d.ownAu))
            .file = childPath;
      if (d.depth + 1 > kHdCheckMaxDepth) {
        Add(Severity::Error, FindingCode::DirectoryTree, "DDR of " + childPath, SectorOf(au),
            fmt::sprintf("more than %d levels deep: not walked further", kHdCheckMaxDepth))
            .file = childPath;
        continue;
      }
      std::vector<uint16_t> ancestors = d.ancestors;
      ancestors.push_back(d.ownAu);
      DirWork child{au, childPath, d.depth + 1, std::move(ancestors)};
      child.record = ddr;  // assigned, not braced in: see the toolchain test on Sector temporaries
      children.push_back(std::move(child));
    }
    if (listed != rec.u8(hdvib::kSubdirCount))
      Add(Severity::Warning, FindingCode::DirectoryTree, recName, recSector,
          fmt::sprintf("the record says %u sub-directories, it lists %u", rec.u8(hdvib::kSubdirCount), listed))
          .file = d.path;
    // Depth first, in the record's order.
    for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(std::move(*it));
  }

  // Checks one directory's index and its files; returns the entries listed.
  size_t CheckIndex(const DirWork& d, uint16_t indexAu, ByteView x, const std::string& indexName) {
    const int64_t indexSector = SectorOf(indexAu);
    size_t count = 0;
    while (count < hdfdir::kMaxEntries && x.be16(2 * count) != 0) ++count;
    for (size_t slot = count + 1; slot < hdfdir::kMaxEntries; ++slot)
      if (x.be16(2 * slot) != 0) {
        Add(Severity::Warning, FindingCode::FdirAfterEnd, indexName, indexSector,
            fmt::sprintf("entry %u after the end mark is not 0", static_cast<unsigned>(slot)))
            .file = d.path;
        break;
      }
    const uint16_t ownerWord = x.be16(hdfdir::kOwner);
    if (ownerWord != d.ownAu)
      Add(Severity::Warning, FindingCode::DirectoryTree, indexName, indexSector,
          fmt::sprintf("the index names AU %u as its directory, it belongs to AU %u", ownerWord, d.ownAu))
          .file = d.path;

    std::set<std::string> names;
    std::string previous;
    bool havePrevious = false, unsortedSeen = false;
    for (size_t slot = 0; slot < count; ++slot) {
      const uint16_t au = x.be16(2 * slot);
      const unsigned s = static_cast<unsigned>(slot);
      if (au >= total_) {
        Add(Severity::Error, FindingCode::FdirOutOfRange, indexName, indexSector,
            fmt::sprintf("entry %u names AU %u, outside the %u-AU volume", s, au, total_))
            .file = d.path;
        continue;
      }
      if (!Inside(au)) {
        Add(Severity::Error, FindingCode::FdirSystemSector, indexName, indexSector,
            fmt::sprintf("entry %u names AU %u, which holds the VIB, the bitmap or the root index", s, au))
            .file = d.path;
        continue;
      }
      if (fdrListed_[au]) {
        Add(Severity::Error, FindingCode::FdirDuplicateSector, indexName, indexSector,
            fmt::sprintf("entry %u names AU %u, which is listed before it", s, au))
            .file = d.path;
        continue;
      }
      fdrListed_[au] = true;
      Sector fdr{};
      if (!reader_.Read(SectorOf(au), fdr)) {
        Add(Severity::Error, FindingCode::FdrUnreadable, indexName, indexSector,
            fmt::sprintf("entry %u names AU %u, past the end of the image", s, au))
            .file = d.path;
        continue;
      }
      const ByteView f = View(fdr);
      const std::string name10 = f.str(0, 10);
      const std::string path = JoinPath(d.path, Shown(name10));
      if (!names.insert(name10).second)
        Add(Severity::Error, FindingCode::FdirDuplicateName, indexName, indexSector,
            fmt::sprintf("a second file named %s (FDR AU %u)", Shown(name10), au))
            .file = path;
      if (havePrevious && !unsortedSeen && std::memcmp(previous.data(), name10.data(), 10) > 0) {
        unsortedSeen = true;
        Add(Severity::Error, FindingCode::FdirUnsorted, indexName, indexSector,
            fmt::sprintf("entry %u (%s) sorts before entry %u (%s)", s, Shown(name10), s - 1, Shown(previous)))
            .file = path;
      }
      previous = name10;
      havePrevious = true;
      CheckFile(au, f, path);
    }
    return count;
  }

  Finding& FileFinding(Severity s, FindingCode code, const std::string& structure, uint16_t fdrAu,
                       const std::string& path, std::string reason) {
    Finding& x = Add(s, code, structure, SectorOf(fdrAu), std::move(reason));
    x.file = path;
    return x;
  }

  void CheckFile(uint16_t fdrAu, ByteView f, const std::string& path) {
    const int fdrOwner = NewOwner(Owner::Fdr, path, fdrAu);
    const int before = Claim(fdrAu, fdrOwner);
    if (before != kFree) Shared(before, "FDR", SectorOf(fdrAu), path, fmt::sprintf("the FDR's AU %u", fdrAu));
    const std::string nameProblem = NameProblem(f.sub(0, 10));
    if (!nameProblem.empty()) FileFinding(Severity::Error, FindingCode::FdrName, "FDR", fdrAu, path, nameProblem);
    for (const AttributeProblem& p : CheckAttributes(AttributesFromFdr(f)))
      FileFinding(p.severity, p.code, "FDR", fdrAu, path, p.reason);

    // The chain: blocks of (first AU, last AU) from byte 40, ended by a
    // first AU of 0 (AU 0 is the VIB, never data).
    const int dataOwner = NewOwner(Owner::Data, path, fdrAu);
    std::map<int, std::pair<uint32_t, uint32_t>> shared;  // owner -> first AU, count
    uint64_t covered = 0;
    unsigned block = 0;
    for (size_t p = hdfdr::kChain; p <= hdfdr::kLastChainBlock; p += hdfdr::kChainBlockSize, ++block) {
      const uint32_t first = f.be16(p);
      uint32_t last = f.be16(p + 2);
      if (first == 0) break;
      if (last < first) {
        FileFinding(Severity::Error, FindingCode::ChainBroken, "data chain", fdrAu, path,
                    fmt::sprintf("block %u ends at AU %u, before its first AU %u", block + 1, last, first));
        break;
      }
      if (last >= total_) {
        FileFinding(Severity::Error, FindingCode::ChainOutOfRange, "data chain", fdrAu, path,
                    fmt::sprintf("block %u (AUs %u-%u) runs outside the %u-AU volume", block + 1, first, last, total_));
        if (first >= total_) continue;
        last = total_ - 1u;
      }
      covered += uint64_t{last - first + 1} * spau_;
      for (uint32_t au = first; au <= last; ++au) {
        const int was = Claim(au, dataOwner);
        if (was == kFree || was == dataOwner) continue;
        auto [it, fresh] = shared.emplace(was, std::make_pair(au, 0u));
        ++it->second.second;
      }
    }
    for (const auto& [owner, firstAndCount] : shared) {
      Finding& x = FileFinding(Severity::Error, FindingCode::SharedSector, "data chain", fdrAu, path,
                               fmt::sprintf("%s also %s", AusFrom(firstAndCount.second, firstAndCount.first),
                                            OwnerText(owner)));
      x.sector = SectorOf(firstAndCount.first);
      if (owner >= 0) x.otherFdr = owners_[static_cast<size_t>(owner)].fdrAu;
    }
    const uint32_t data = f.be16(fdr::kTotalSectors);
    if (covered < data)
      FileFinding(Severity::Error, FindingCode::ChainLength, "data chain", fdrAu, path,
                  fmt::sprintf("the chain holds %u sectors, the FDR says %u", static_cast<unsigned>(covered), data));
  }

  void CheckBitmap() {
    const uint32_t bytes = (uint32_t{total_} + 7) / 8;
    const uint32_t sectors = (bytes + 255) / 256;
    std::vector<uint8_t> bitmap(size_t{sectors} * 256, 0);
    for (uint32_t s = 0; s < sectors; ++s) {
      Sector one{};
      if (!reader_.Read(hdvib::kFirstBitmapSector + s, one)) {
        Add(Severity::Error, FindingCode::ReadFailed, "bitmap", hdvib::kFirstBitmapSector + s,
            "the bitmap sector cannot be read");
        return;
      }
      std::copy(one.begin(), one.end(), bitmap.begin() + static_cast<long>(s) * 256);
    }
    auto marked = [&](uint32_t au) { return (bitmap[au / 8] & (0x80u >> (au % 8))) != 0; };
    std::map<int, std::pair<uint32_t, uint32_t>> unmarked;  // owner -> first AU, count
    uint32_t lost = 0, lostFirst = 0;
    for (uint32_t au = 0; au < total_; ++au) {
      const int o = owner_[au];
      if (o == kReserved) continue;
      if (o == kFree) {
        if (marked(au) && lost++ == 0) lostFirst = au;
        continue;
      }
      if (!marked(au)) {
        auto [it, fresh] = unmarked.emplace(o, std::make_pair(au, 0u));
        ++it->second.second;
      }
    }
    for (const auto& [o, firstAndCount] : unmarked) {
      Finding& x = Add(Severity::Error, FindingCode::BitmapClearButUsed, "bitmap", BitmapSector(firstAndCount.first),
                       fmt::sprintf("%s marked free but %s %s", AusFrom(firstAndCount.second, firstAndCount.first),
                                    firstAndCount.second == 1 ? "holds" : "hold", OwnerText(o)));
      if (o >= 0) {
        x.file = owners_[static_cast<size_t>(o)].path;
        x.fdrSector = 0;
      }
    }
    if (lost > 0)
      Add(Severity::Warning, FindingCode::BitmapSetButUnused, "bitmap", BitmapSector(lostFirst),
          lost == 1 ? fmt::sprintf("AU %u is marked used but holds nothing", lostFirst)
                    : fmt::sprintf("%u AUs from AU %u are marked used but hold nothing", lost, lostFirst));
  }

  VolumeReader reader_;
  uint64_t room_;
  std::string where_;
  CheckReport& r_;
  Progress& progress_;
  Sector vib_{};
  uint16_t total_ = 0;
  uint16_t spau_ = 1;
  uint16_t rootIndexAu_ = 0;
  std::vector<int> owner_;
  std::vector<Owner> owners_;
  std::vector<bool> visitedRecord_;
  std::vector<bool> fdrListed_;
  bool cancelled_ = false;
};

void CheckPartitionedImage(PcFile& file, const Sector& table, uint64_t imageBytes, CheckReport& r,
                           Progress& progress) {
  const ByteView t = View(table);
  if (t.be16(ptable::kTotalAus) != 0xFFFF)
    r.Error(FindingCode::PartitionTable, "partition table", 0,
            fmt::sprintf("word 10 is >%04X, not >FFFF: the table is not recognised", t.be16(ptable::kTotalAus)));
  if (t.be16(ptable::kFlag) != ptable::kFlagValue)
    r.Error(FindingCode::PartitionTable, "partition table", 0,
            fmt::sprintf("the flag at byte 254 is >%04X, not >5AA5: the table is not recognised",
                         t.be16(ptable::kFlag)));
  const uint32_t total = t.be32(ptable::kTotalSectors);
  const uint64_t image512 = imageBytes / 512;
  if (total > image512)
    r.Warning(FindingCode::PartitionTable, "partition table", 0,
              fmt::sprintf("the table says the disk holds %u units of 512 bytes, the image holds %u", total,
                           static_cast<unsigned>(image512)));
  std::array<PartitionEntry, ptable::kCount> p{};
  for (int i = 0; i < ptable::kCount; ++i) {
    const size_t at = ptable::kPartitions + 8 * static_cast<size_t>(i);
    p[static_cast<size_t>(i)] = {t.be32(at), t.be32(at + 4)};
  }
  for (size_t i = 0; i + 1 < p.size(); ++i)
    if (p[i].offset == 0 && p[i + 1].offset != 0)
      r.Error(FindingCode::PartitionTable, "partition table", 0,
              fmt::sprintf("partition %u is set while partition %u is empty: the table is not recognised",
                           static_cast<unsigned>(i + 2), static_cast<unsigned>(i + 1)));
  for (size_t i = 0; i < p.size(); ++i) {
    const unsigned n = static_cast<unsigned>(i + 1);
    if (p[i].offset == 0) continue;
    const uint64_t end = uint64_t{p[i].offset} + p[i].size;
    if (end > total)
      r.Error(FindingCode::PartitionTable, "partition table", 0,
              fmt::sprintf("partition %u (offset %u, %u units) ends past the disk's total of %u", n, p[i].offset,
                           p[i].size, total));
    else if (end > image512)
      r.Error(FindingCode::PartitionTable, "partition table", 0,
              fmt::sprintf("partition %u (offset %u, %u units) ends past the end of the image", n, p[i].offset,
                           p[i].size));
    if (p[i].size == 0)
      r.Warning(FindingCode::PartitionTable, "partition table", 0, fmt::sprintf("partition %u has size 0", n));
    for (size_t k = 0; k < i; ++k) {
      if (p[k].offset == 0) continue;
      const uint64_t kEnd = uint64_t{p[k].offset} + p[k].size;
      if (p[i].offset < kEnd && p[k].offset < end)
        r.Error(FindingCode::PartitionTable, "partition table", 0,
                fmt::sprintf("partitions %u and %u overlap", static_cast<unsigned>(k + 1), n));
    }
  }
  const uint64_t imageSectors = imageBytes / 256;
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i].offset == 0) continue;
    const unsigned n = static_cast<unsigned>(i + 1);
    const uint64_t base = p[i].BaseSector();
    if (base >= imageSectors || base > UINT32_MAX) continue;  // reported above
    const uint64_t room = std::min<uint64_t>(uint64_t{p[i].size} * 2, imageSectors - base);
    const std::string where = fmt::sprintf("partition %u ", n);
    Sector vib{};
    if (!file.ReadExact(base * 256, vib.data(), vib.size()) || !IsValidHardDiskVib(View(vib))) {
      // Still checked: the VIB findings name the rule it breaks.
      r.Error(FindingCode::PartitionTable, where + "VIB", 0,
              fmt::sprintf("partition %u holds no valid hard-disk VIB: it is not listed", n));
    }
    VolumeChecker checker(file, static_cast<uint32_t>(base), room, where, r, progress);
    checker.Run();
    if (checker.Cancelled()) {
      r.Warning(FindingCode::ReadFailed, "image", -1, "the check was cancelled: the rest is not checked");
      return;
    }
  }
}

}  // namespace

bool LooksLikePartitionTable(ByteView s) {
  return s.size() >= 256 && s.equals(ptable::kName, ptable::kNameText) && s.equals(ptable::kMarker, "PT");
}

bool CheckHardDiskVolume(PcFile& file, uint32_t baseSector, uint64_t roomSectors, const std::string& where,
                         CheckReport& report, Progress& progress) {
  VolumeChecker checker(file, baseSector, roomSectors, where, report, progress);
  const bool ok = checker.Run();
  if (checker.Cancelled())
    report.Warning(FindingCode::ReadFailed, "image", -1, "the check was cancelled: the rest is not checked");
  return ok;
}

void CheckHardDiskImage(PcFile& file, uint64_t imageBytes, CheckReport& report, Progress& progress) {
  Sector first{};
  if (imageBytes < 256 || !file.ReadExact(0, first.data(), first.size())) {
    report.Error(FindingCode::NotContainer, "VIB", 0, "the image is too short for sector 0");
    return;
  }
  if (imageBytes % 256 != 0)
    report.Warning(FindingCode::ImageSize, "image", -1,
                   fmt::sprintf("%u bytes after the last whole sector", static_cast<unsigned>(imageBytes % 256)));
  progress.Begin(0, "");
  if (LooksLikePartitionTable(View(first)))
    CheckPartitionedImage(file, first, imageBytes, report, progress);
  else
    CheckHardDiskVolume(file, 0, imageBytes / 256, "", report, progress);
  progress.End();
}

}  // namespace korvane
