#include "support/write_property.h"

#include <fmt/format.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>

#include <sys/stat.h>

#include "catalog/header.h"
#include "catalog/pane.h"
#include "fileops/file_commands.h"
#include "fileops/locations.h"
#include "platform/pc_file.h"
#include "support/floppy_check.h"
#include "support/recording_reporter.h"

namespace korvane::test {

unsigned BytesChooser::Below(unsigned bound) {
  unsigned v = 0;
  for (int i = 0; i < 2 && pos_ < size_; ++i) v = v << 8 | data_[pos_++];
  return bound ? v % bound : 0;
}

const std::vector<PropertyGeometry>& PropertyGeometries() {
  static const std::vector<PropertyGeometry> all = {
      {"SSSD", {360, 9, 40, 1, 1}},
      {"DSSD", {720, 9, 40, 2, 1}},
      {"DSDD", {1440, 18, 40, 2, 2}},
      {"CF7", {1600, 20, 40, 2, 1}},
      {"DSSD80", {1440, 9, 80, 2, 1}},
      {"DSDD80", {2880, 18, 80, 2, 2}},
      {"SSHD", {1440, 36, 40, 1, 3}},
      {"DSHD", {2880, 36, 40, 2, 3}},
      {"DSHD80", {5760, 36, 80, 2, 3}},
  };
  return all;
}

namespace {

constexpr unsigned kMaxFiles = 127;
constexpr unsigned kFirstDataAu = 34;
constexpr unsigned kBitmapBits = 200 * 8;
constexpr unsigned kChainLimit = 0x1000;  // sectors a chain's 12-bit offsets can reach
constexpr size_t kLogLines = 16;

unsigned Be16(const Bytes& b, size_t at) { return b[at] << 8 | b[at + 1]; }

// Sectors per allocation unit, from the total sector count.
unsigned AuOf(unsigned total) {
  unsigned au = 1;
  for (unsigned limit = 1600; total > limit && au < 16; limit *= 2) au *= 2;
  return au;
}

std::string Pad10(const std::string& name) {
  std::string n = name;
  n.resize(10, ' ');
  return n;
}

// Names with upper and lower case, digits and punctuation, so that the
// index order (unsigned bytes) is exercised.
std::string PoolName(unsigned i) {
  static const char* const kPrefixes[] = {"F", "DATA", "a", "Z", "_", "!X", "m-", "0"};
  return kPrefixes[i % 8] + std::to_string(i / 8);
}
constexpr unsigned kPoolSize = 8 * 40;

struct ModelFile {
  NewFileAttributes a;  // tiName padded to 10
  Bytes data;           // whole sectors
};

TiFile AsTiFile(const ModelFile& f) {
  TiFile t;
  t.name = TrimTiName(f.a.tiName);
  t.status = f.a.status;
  t.recordLength = f.a.recordLength;
  t.recordsPerSector = f.a.recordsPerSector;
  t.eofOffset = f.a.eofOffset;
  t.level3 = f.a.level3;
  t.data = f.data;
  return t;
}

class Sequence {
 public:
  Sequence(const std::string& dir, const NewImageGeometry& g, Chooser& chooser)
      : dir_(dir), geometry_(g), chooser_(chooser), au_(AuOf(g.totalSectors)) {}

  std::string Run(unsigned maxSteps, bool fragmentsFirst) {
    if (fragmentsFirst && au_ == 1) {
      // One-sector holes are easiest had from a disk another writer made.
      if (!CreateScattered()) return failure_;
    } else {
      if (!Create()) return failure_;
      if (fragmentsFirst) Fragments();
    }
    for (unsigned step = 0; step < maxSteps && failure_.empty() && !chooser_.Exhausted(); ++step) {
      switch (chooser_.Below(20)) {
        case 0: case 1: case 2: case 3: case 4: case 5: AddNew(SizeChoice()); break;
        case 6: case 7: case 8: Overwrite(); break;
        case 9: case 10: case 11: Delete(); break;
        case 12: case 13: Rename(); break;
        case 14: case 15: SetAttributes(); break;
        case 16: AddNew(FreeAus() * au_ + chooser_.Below(3 * au_ + 1) - std::min(FreeAus() * au_, 2 * au_)); break;
        case 17: Comb(); break;
        case 18: FillIndex(); break;
        // The engine-made holes take hundreds of steps on larger units.
        default: if (model_.empty() && au_ == 1) Fragments(); else AddNew(0);
      }
    }
    return failure_;
  }

  std::string imagePath() const { return image_; }
  unsigned steps() const { return steps_; }
  std::vector<ExpectedTiFile> Files() const {
    std::vector<ExpectedTiFile> files;
    for (const auto& [name, f] : model_) files.push_back({TrimTiName(name), f.a.status, f.a.recordLength, f.data});
    return files;
  }

 private:
  // ---- the image --------------------------------------------------------
  bool Create() {
    const std::string images = dir_ + "/images";
    ::mkdir(images.c_str(), 0700);
    PaneState pane;
    pane.locationPath = images;
    if (!ReadLocation(pane) || !CreateImage(pane, "PROP", geometry_, NoProgress())) {
      Fail("the new image could not be made: " + Errors());
      return false;
    }
    image_ = images + "/PROP.dsk";
    pcDir_ = dir_ + "/pc";
    ::mkdir(pcDir_.c_str(), 0700);
    fresh_ = ReadFile(image_);
    Log("new image");
    Verify();
    return failure_.empty();
  }

  // A disk made by the fixture builder whose two files lie in 75 and 30
  // one-sector fragments with a free sector between each two; the rest of
  // the disk is filled by the engine, then files of up to 75 fragments go
  // into the holes.
  bool CreateScattered() {
    const std::string images = dir_ + "/images";
    ::mkdir(images.c_str(), 0700);
    pcDir_ = dir_ + "/pc";
    ::mkdir(pcDir_.c_str(), 0700);
    DiskBuilder disk("PROP", geometry_.totalSectors, geometry_.sectorsPerTrack, geometry_.tracksPerSide,
                     geometry_.sides, geometry_.density);
    for (const auto& [name, count] : {std::pair{"SCATTER1", 75}, std::pair{"SCATTER2", 30}}) {
      TiFile f = DisFixFile(name, 128, std::vector<std::string>(2 * count, std::string(name) + " record"));
      f.fragments.assign(count, 1);
      disk.Add(f);
    }
    image_ = images + "/PROP.dsk";
    fresh_ = disk.Build();
    WriteWholeFile(image_, fresh_);
    for (unsigned fdr : RootIndex(fresh_)) {
      const uint8_t* r = fresh_.data() + size_t{fdr} * 256;
      ModelFile f;
      f.a.tiName.assign(r, r + 10);
      f.a.status = r[12];
      f.a.recordsPerSector = r[13];
      f.a.totalSectors = static_cast<uint16_t>(r[14] << 8 | r[15]);
      f.a.eofOffset = r[16];
      f.a.recordLength = r[17];
      f.a.level3 = static_cast<uint16_t>(r[18] | r[19] << 8);
      f.data = ReadFileAtFdr(fresh_, fdr);
      model_[f.a.tiName] = f;
    }
    Log("scattered image from the fixture builder");
    Verify();
    if (!failure_.empty()) return false;
    // The free space after the builder's files; its FDR lies below the data area.
    const unsigned tail = LongestRun(current_);
    if (tail > 0 && !Add(RandomFile(NewName(), tail), Answer::Yes, "fill the disk"))
      return Fail("the disk could not be filled: " + Errors());
    AtTheFragmentLimit();
    return failure_.empty();
  }

  // Opens the image and loads its root, as each command does.
  bool Load(PcFile& file, std::unique_ptr<ImageFileSectors>& sectors, FloppyVolume& volume) {
    if (!file.Open(image_, PcFile::Mode::ReadWrite)) return Fail("the image could not be opened");
    sectors = std::make_unique<ImageFileSectors>(file, image_);
    if (!LoadFloppyVolume(*sectors, 1, volume)) return Fail("the image could not be loaded: " + Errors());
    return true;
  }

  // ---- operations -------------------------------------------------------
  unsigned SizeChoice() {
    switch (chooser_.Below(10)) {
      case 0: case 1: case 2: return 0;
      case 3: case 4: case 5: return 1 + chooser_.Below(4);
      case 6: case 7: return 5 + chooser_.Below(36);
      case 8: return chooser_.Below(FreeAus() * au_ + 8);
      default: return chooser_.Below(geometry_.totalSectors / 2 + 1);
    }
  }

  ModelFile RandomFile(const std::string& name, unsigned sectors) {
    static const uint8_t kTypes[] = {0x00, 0x02, 0x80, 0x82, 0x01};
    ModelFile f;
    f.a.tiName = Pad10(name);
    f.a.status = kTypes[chooser_.Below(5)];
    if (chooser_.Below(4) == 0) f.a.status |= 0x08;
    if (chooser_.Below(4) == 0) f.a.status |= 0x10;
    f.a.recordsPerSector = static_cast<uint8_t>(chooser_.Below(256));
    f.a.totalSectors = static_cast<uint16_t>(sectors);
    f.a.eofOffset = static_cast<uint8_t>(chooser_.Below(256));
    f.a.recordLength = (f.a.status & 0x01) ? 0 : static_cast<uint8_t>(chooser_.Below(256));
    f.a.level3 = static_cast<uint16_t>(chooser_.Below(65536));
    uint32_t x = chooser_.Below(65536) * 2654435761u + 1;
    f.data.resize(size_t{sectors} * 256);
    for (uint8_t& b : f.data) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      b = static_cast<uint8_t>(x);
    }
    return f;
  }

  std::string NewName() {
    for (int tries = 0; tries < 8; ++tries) {
      const std::string name = PoolName(chooser_.Below(kPoolSize));
      if (!model_.count(Pad10(name))) return name;
    }
    for (unsigned i = 0; i < kPoolSize; ++i)
      if (!model_.count(Pad10(PoolName(i)))) return PoolName(i);
    return "";
  }

  const ModelFile* Existing() {
    if (model_.empty()) return nullptr;
    auto it = model_.begin();
    std::advance(it, chooser_.Below(static_cast<unsigned>(model_.size())));
    return &it->second;
  }

  void AddNew(unsigned sectors) {
    const std::string name = NewName();
    if (!name.empty()) Add(RandomFile(name, sectors), Answer::Yes);
  }

  void Overwrite() {
    const ModelFile* old = Existing();
    if (!old) return AddNew(SizeChoice());
    const Answer answer = chooser_.Below(8) == 0 ? Answer::No : Answer::Yes;
    Add(RandomFile(TrimTiName(old->a.tiName), SizeChoice()), answer);
  }

  // Adds `file` (asked to overwrite, answers `answer`) and checks the outcome.
  bool Add(const ModelFile& file, Answer answer, const char* what = "add") {
    const bool exists = model_.count(file.a.tiName) > 0;
    const std::string pc = pcDir_ + "/source";
    WriteWholeFile(pc, V9t9File(AsTiFile(file)));
    return AddFrom(file, pc, answer, what, exists);
  }

  bool AddFrom(const ModelFile& file, const std::string& pc, Answer answer, const char* what, bool exists) {
    Log(fmt::format("{} {} ({} sectors, status {:02X}{})", what, TrimTiName(file.a.tiName), file.a.totalSectors,
                    file.a.status, exists ? fmt::format(", overwrite answered {}", answer == Answer::Yes ? "Yes" : "No")
                                          : ""));
    const bool mustFit = MustFit(current_, file.a.tiName, file.a.totalSectors);
    reporter_.errors.clear();
    AddResult result;
    {
      PcFile f;
      std::unique_ptr<ImageFileSectors> sectors;
      FloppyVolume volume;
      if (!Load(f, sectors, volume)) return false;
      AddFileRequest request;
      request.file = file.a;
      request.askOverwrite = [&] { return answer; };
      request.source = [&](std::string& path) {
        path = pc;
        return true;
      };
      result = AddFile(volume, request);
      ++steps_;
    }
    if (exists && answer == Answer::No) {
      if (result != AddResult::Skipped) Fail("No to the overwrite question did not skip the file");
    } else if (result == AddResult::Added) {
      model_[file.a.tiName] = file;
      if (!reporter_.errors.empty()) Fail("an added file reported " + Errors());
    } else {
      Log("  refused: " + Errors());
      if (mustFit) Fail("refused a file that fits in one free run of the disk: " + Errors());
      if (reporter_.errors.size() != 1) Fail("a refusal is reported exactly once, got: " + Errors());
    }
    Verify();
    return result == AddResult::Added;
  }

  // Whether an add must succeed: the index is not full and, once the FDR has
  // its allocation unit, one free run holds all the data (an overwritten
  // file's own sectors count as free), within what a chain can express.
  bool MustFit(const Bytes& image, const std::string& name10, unsigned sectors) const {
    const unsigned total = Be16(image, 10);
    const unsigned limit = std::min(total / au_, kBitmapBits);
    std::vector<bool> free(limit);
    for (unsigned u = 0; u < limit; ++u) free[u] = !((image[56 + u / 8] >> (u % 8)) & 1);
    // A full index refuses even a file that would replace one of its own.
    if (model_.size() >= kMaxFiles) return false;
    const auto it = model_.find(name10);
    if (it != model_.end()) {
      for (unsigned fdr : RootIndex(image))
        if (std::equal(name10.begin(), name10.end(), image.begin() + fdr * 256))
          for (unsigned s : ChainSectors(image, fdr)) free[s / au_] = true;
    } else {
      unsigned u = au_ == 1 ? 2 : 1;
      while (u < limit && !free[u]) ++u;
      if (u >= limit) return false;
      free[u] = false;
    }
    const unsigned needed = (sectors + au_ - 1) / au_;
    if (needed == 0) return true;
    if (needed * au_ > kChainLimit) return false;
    unsigned run = 0, longest = 0;
    for (unsigned u = kFirstDataAu; u < limit; ++u) {
      run = free[u] ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest >= needed;
  }

  unsigned FreeAus() const {
    const Bytes& image = current_;
    const unsigned limit = std::min<unsigned>(geometry_.totalSectors / au_, kBitmapBits);
    unsigned n = 0;
    for (unsigned u = kFirstDataAu; u < limit; ++u) n += !((image[56 + u / 8] >> (u % 8)) & 1);
    return n;
  }

  bool DeleteName(const std::string& name) {
    const std::string name10 = Pad10(name);
    const bool exists = model_.count(name10) > 0;
    Log("delete " + name);
    reporter_.errors.clear();
    bool ok;
    {
      PcFile f;
      std::unique_ptr<ImageFileSectors> sectors;
      FloppyVolume volume;
      if (!Load(f, sectors, volume)) return false;
      ok = DeleteFile(volume, name10);
      ++steps_;
    }
    if (ok != exists) Fail(exists ? "an existing file was not deleted: " + Errors() : "a missing file was deleted");
    if (ok) model_.erase(name10);
    Verify();
    return ok;
  }

  void Delete() {
    const ModelFile* f = Existing();
    DeleteName(f && chooser_.Below(10) != 0 ? TrimTiName(f->a.tiName) : PoolName(chooser_.Below(kPoolSize)));
  }

  void Rename() {
    const ModelFile* f = Existing();
    if (!f) return;
    const std::string from = f->a.tiName;
    const std::string to = Pad10(chooser_.Below(4) == 0 && model_.size() > 1 ? TrimTiName(Existing()->a.tiName)
                                                                           : PoolName(chooser_.Below(kPoolSize)));
    Log("rename " + TrimTiName(from) + " to " + TrimTiName(to));
    const bool clash = to != from && model_.count(to) > 0;
    reporter_.errors.clear();
    bool ok;
    {
      PcFile file;
      std::unique_ptr<ImageFileSectors> sectors;
      FloppyVolume volume;
      if (!Load(file, sectors, volume)) return;
      ok = RenameFile(volume, from, to);
      ++steps_;
    }
    if (ok == clash) Fail(clash ? "renamed onto an existing file" : "a rename was refused: " + Errors());
    if (ok && to != from) {
      ModelFile moved = model_[from];
      moved.a.tiName = to;
      model_.erase(from);
      model_[to] = moved;
    }
    Verify();
  }

  // Set attributes works on TI files kept on the PC: the file goes out with
  // a V9T9 or TIFILES header, gets its protection and archive bits set or
  // cleared there, and is copied back over itself with what its header now
  // says.
  void SetAttributes() {
    const ModelFile* f = Existing();
    if (!f) return;
    const std::string name = chooser_.Below(2) ? "attr.v9t9" : "attr.tfi";
    const TiFile ti = AsTiFile(*f);
    WriteWholeFile(pcDir_ + "/" + name, name == "attr.tfi" ? TifilesFile(ti) : V9t9File(ti));
    static const TriState kStates[] = {TriState::Clear, TriState::Set, TriState::Leave};
    const AttributeStates states{kStates[chooser_.Below(3)], kStates[chooser_.Below(3)]};
    PaneState pane;
    pane.locationPath = pcDir_;
    if (!ReadLocation(pane)) return (void)Fail("the PC directory could not be read: " + Errors());
    pane.cursor = -1;
    for (int i = 0; i < pane.RowCount(); ++i)
      if (pane.rows[static_cast<size_t>(i)].sourceName == name) pane.cursor = i;
    if (pane.cursor < 0) return (void)Fail("the PC file " + name + " is not listed");
    CatalogEntry row = pane.rows[static_cast<size_t>(pane.cursor)];
    if (!IsTiFileKind(row.kind)) {
      Log("attributes: " + name + " is not listed as a TI file, passed over");
      return;
    }
    korvane::SetAttributes(pane, states, NoProgress());
    uint8_t want = f->a.status;
    for (const auto& [state, bit] : {std::pair{states.protect, uint8_t{0x08}}, std::pair{states.archive, uint8_t{0x10}}}) {
      if (state == TriState::Set) want |= bit;
      if (state == TriState::Clear) want = static_cast<uint8_t>(want & ~bit);
    }
    if (!ClassifyPcFile(pcDir_, name, row)) return (void)Fail("the PC file " + name + " no longer classifies");
    if (row.statusFlags != want)
      return (void)Fail(fmt::format("set attributes gave status {:02X}, expected {:02X}", row.statusFlags, want));
    // The attributes the header carries, as the copy into an image takes them.
    ModelFile back = *f;
    back.a.status = static_cast<uint8_t>(row.statusFlags);
    back.a.recordsPerSector = static_cast<uint8_t>(row.recordsPerSector);
    back.a.totalSectors = row.totalSectors;
    back.a.eofOffset = static_cast<uint8_t>(row.eofOffset);
    back.a.recordLength = row.kind == kKindProgram ? 0 : static_cast<uint8_t>(row.recordLength);
    back.a.level3 = row.level3Records;
    AddFrom(back, pcDir_ + "/" + name, Answer::Yes, "attributes and copy back", true);
  }

  // A batch of one-sector files, then every second one deleted: holes.
  void Comb() {
    std::vector<std::string> added;
    const unsigned count = 2 + chooser_.Below(60);
    for (unsigned i = 0; i < count && failure_.empty() && model_.size() < kMaxFiles; ++i) {
      const std::string name = NewName();
      if (name.empty() || !Add(RandomFile(name, au_), Answer::Yes)) break;
      added.push_back(name);
    }
    for (size_t i = 0; i < added.size() && failure_.empty(); i += 2) DeleteName(added[i]);
  }

  // Empty files until the index is full; one more is refused.
  void FillIndex() {
    while (failure_.empty() && model_.size() < kMaxFiles)
      if (!Add(RandomFile(NewName(), 0), Answer::Yes)) break;
    if (failure_.empty() && model_.size() == kMaxFiles) AddNew(chooser_.Below(3));
  }

  // Fills the disk with one-unit files, deletes every second one, fills
  // the holes with one fragmented file, deletes the rest and so on, until
  // 127 files stand on a full disk and then the free space is scattered in
  // small holes. The largest file the allocator can place in 75 fragments
  // is then added, and one unit more is refused.
  void Fragments() {
    const auto fixed = [&](const std::string& prefix, unsigned i, unsigned aus) {
      if (Add(RandomFile(prefix + std::to_string(i), aus * au_), Answer::Yes, "fragments: add")) return true;
      return Fail("the fragment build-up found no room for " + prefix + std::to_string(i));
    };
    // Files filling the disk, as few as chains can express: the FDR of each
    // takes a unit of the data area once the units below it are used.
    std::vector<std::string> fillers;
    const auto fill = [&] {
      for (unsigned part = 0; model_.size() < kMaxFiles; ++part) {
        const Bytes& image = current_;
        bool fdrRoom = false;
        for (unsigned u = au_ == 1 ? 2 : 1; u < kFirstDataAu; ++u) fdrRoom |= !((image[56 + u / 8] >> (u % 8)) & 1);
        const unsigned free = FreeAus();
        if (free <= (fdrRoom ? 0u : 1u)) return true;
        fillers.push_back("B" + std::to_string(fillers.size()));
        if (!fixed(fillers.back(), 0, std::min(free - (fdrRoom ? 0 : 1), kChainLimit / au_))) return false;
      }
      return true;
    };
    for (unsigned i = 0; i < 120; ++i)
      if (!fixed("A", i, 1)) return;
    if (!fill()) return;
    AddNew(au_);  // the disk is full
    for (unsigned i = 1; i < 120; i += 2) DeleteName("A" + std::to_string(i));
    if (!fixed("X", 0, 60)) return;
    for (unsigned i = 0; i < 120; i += 2) DeleteName("A" + std::to_string(i));
    for (unsigned i = 0; i < 60; ++i)
      if (!fixed("C", i, 1)) return;
    for (const std::string& name : fillers) DeleteName(name + "0");
    for (unsigned i = 0; i < 65 && model_.size() < kMaxFiles; ++i)
      if (!fixed("D", i, 1)) return;
    if (!fill()) return;
    if (model_.size() == kMaxFiles) AddNew(0);  // the index is full
    for (unsigned i = 0; i < 65; i += 2) DeleteName("D" + std::to_string(i));
    for (unsigned i = 0; i < 60; ++i) DeleteName("C" + std::to_string(i));
    if (failure_.empty()) AtTheFragmentLimit();
  }

  // Adds the largest file the allocator can place in at most 75 fragments
  // (the most a chain holds) and checks that one unit more is refused.
  void AtTheFragmentLimit() {
    const Bytes image = current_;
    unsigned lo = 1, hi = FreeAus() + 1;
    while (hi - lo > 1) {
      const unsigned mid = (lo + hi) / 2;
      (Fragmentation(image, mid) <= 75 ? lo : hi) = mid;
    }
    if (Fragmentation(image, lo) > 75) return (void)Fail("no file fits in 75 fragments: " + FreeRuns(image));
    Log(fmt::format("fragments: {} units take {} fragments, {} units {}", lo, Fragmentation(image, lo), hi,
                    Fragmentation(image, hi)));
    const std::string z0 = NewName(), z1 = NewName();
    if (Add(RandomFile(z0, hi * au_), Answer::Yes, "fragments: one unit too many"))
      return (void)Fail("a file the allocator cannot place in 75 fragments was added");
    if (!Add(RandomFile(z1, lo * au_), Answer::Yes, "fragments: as many as fit"))
      Fail("a file of at most 75 fragments was refused: " + Errors());
  }

  unsigned LongestRun(const Bytes& image) const {
    const unsigned limit = std::min<unsigned>(geometry_.totalSectors / au_, kBitmapBits);
    unsigned run = 0, longest = 0;
    for (unsigned u = kFirstDataAu; u < limit; ++u) {
      run = !((image[56 + u / 8] >> (u % 8)) & 1) ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    return longest;
  }

  // The free runs of the data area, "start+length" in units.
  std::string FreeRuns(const Bytes& image) const {
    const unsigned limit = std::min<unsigned>(geometry_.totalSectors / au_, kBitmapBits);
    std::string text;
    for (unsigned u = kFirstDataAu, start = 0, length = 0; u <= limit; ++u) {
      if (u < limit && !((image[56 + u / 8] >> (u % 8)) & 1)) {
        if (length++ == 0) start = u;
      } else if (length > 0) {
        text += fmt::format(" {}+{}", start, length);
        length = 0;
      }
    }
    return text;
  }

  // How many fragments a new file of `aus` units takes when the FDR is
  // given the first free unit and each fragment is the first free run that
  // holds the rest, else the longest run (the earlier of equals); ~0u when
  // the disk has too little room.
  unsigned Fragmentation(const Bytes& image, unsigned aus) const {
    const unsigned limit = std::min<unsigned>(geometry_.totalSectors / au_, kBitmapBits);
    std::vector<bool> free(limit);
    for (unsigned u = 0; u < limit; ++u) free[u] = !((image[56 + u / 8] >> (u % 8)) & 1);
    unsigned u = au_ == 1 ? 2 : 1;
    while (u < limit && !free[u]) ++u;
    if (u >= limit) return ~0u;
    free[u] = false;
    unsigned fragments = 0;
    while (aus > 0) {
      unsigned bestStart = 0, bestLength = 0, start = 0, length = 0;
      bool placed = false;
      for (unsigned a = kFirstDataAu; a <= limit && !placed; ++a) {
        if (a < limit && free[a]) {
          if (length++ == 0) start = a;
          if (length >= aus) placed = true;
          continue;
        }
        if (length > bestLength) bestStart = start, bestLength = length;
        length = 0;
      }
      if (placed) bestStart = start, bestLength = aus;
      if (bestLength == 0) return ~0u;
      for (unsigned a = bestStart; a < bestStart + bestLength; ++a) free[a] = false;
      aus -= bestLength;
      ++fragments;
    }
    return fragments;
  }

  // ---- the invariant ----------------------------------------------------
  void Verify() {
    if (!failure_.empty()) return;
    current_ = ReadFile(image_);
    const Bytes& image = current_;
    if (image.size() != fresh_.size()) return (void)Fail("the image changed its size");
    if (!std::equal(image.begin(), image.begin() + 56, fresh_.begin()))
      return (void)Fail("the VIB outside the bitmap changed");
    for (const std::string& p : CheckFloppyConsistency(image)) Fail("inconsistent: " + p);
    if (!failure_.empty()) return;
    const std::vector<unsigned> index = RootIndex(image);
    if (index.size() != model_.size())
      return (void)Fail(fmt::format("the index lists {} files, expected {}", index.size(), model_.size()));
    auto it = model_.begin();
    for (unsigned fdr : index) {
      const ModelFile& f = (it++)->second;
      const size_t at = size_t{fdr} * 256;
      const std::string name(image.begin() + at, image.begin() + at + 10);
      if (name != f.a.tiName) return (void)Fail("the index names <" + name + "> where <" + f.a.tiName + "> belongs");
      const uint8_t* r = image.data() + at;
      if (r[12] != f.a.status || r[13] != f.a.recordsPerSector || Be16(image, at + 14) != f.a.totalSectors ||
          r[16] != f.a.eofOffset || r[17] != f.a.recordLength || (r[18] | r[19] << 8) != f.a.level3)
        return (void)Fail("the FDR of <" + name + "> carries other attributes");
      if (ReadFileAtFdr(image, fdr) != f.data) return (void)Fail("the data of <" + name + "> differs");
    }
  }

  // ---- reporting --------------------------------------------------------
  void Log(const std::string& line) {
    log_.push_back(line);
    if (log_.size() > kLogLines) log_.pop_front();
  }

  bool Fail(const std::string& why) {
    if (!failure_.empty()) return false;
    failure_ = why + "\nlast steps:";
    for (const std::string& l : log_) failure_ += "\n  " + l;
    return false;
  }

  std::string Errors() const {
    std::string text;
    for (const std::string& e : reporter_.errors) text += (text.empty() ? "" : "; ") + e;
    return text.empty() ? "(nothing reported)" : text;
  }

  std::string dir_, image_, pcDir_;
  NewImageGeometry geometry_;
  Chooser& chooser_;
  unsigned au_;
  Bytes fresh_;
  Bytes current_;  // the image as the last check read it
  std::map<std::string, ModelFile> model_;  // by padded name: the index order
  RecordingReporter reporter_;
  std::deque<std::string> log_;
  std::string failure_;
  unsigned steps_ = 0;
};

}  // namespace

SequenceResult RunWriteSequence(const std::string& workDir, const NewImageGeometry& geometry, Chooser& chooser,
                                unsigned maxSteps, bool fragmentsFirst) {
  Sequence sequence(workDir, geometry, chooser);
  SequenceResult result;
  result.failure = sequence.Run(maxSteps, fragmentsFirst);
  result.imagePath = sequence.imagePath();
  result.files = sequence.Files();
  result.steps = sequence.steps();
  return result;
}

}  // namespace korvane::test
