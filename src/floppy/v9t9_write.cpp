#include "floppy/v9t9_write.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <initializer_list>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "floppy/floppy_check.h"
#include "floppy/v9t9.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"

namespace korvane {
namespace {

constexpr uint8_t kDeletedFill = 0xE5;  // what a freed FDR and a fresh sector hold
constexpr size_t kFullFdirSlot = 252;   // slot 126: when it is taken, 127 files exist
constexpr uint16_t kMaxChainValue = 0x0FFF;  // start and offset are 12-bit fields

ByteView View(const Sector& s) { return ByteView(s.data(), s.size()); }

// A sector to be written, with what it held before so that a failed batch
// can be put back. It points at sectors the caller keeps alive until the
// batch is committed; no 256-byte block is copied into temporaries. (GCC 12
// at -O2 dropped most of such a copy when the temporary shared its stack
// slot with a dead data buffer, and every FDR came out with the last data
// sector in bytes 16-255.)
struct PendingWrite {
  uint32_t sector = 0;
  const Sector* bytes = nullptr;
  const Sector* previous = nullptr;  // null: nothing worth putting back
};

// Writes the sectors in order. When one fails, the ones already written
// (and the failed one, which may be half written) get their old bytes back.
bool CommitWrites(SectorSource& sectors, std::initializer_list<PendingWrite> batch) {
  const PendingWrite* writes = batch.begin();
  for (size_t i = 0; i < batch.size(); ++i) {
    if (sectors.WriteSector(writes[i].sector, *writes[i].bytes)) continue;
    for (size_t j = i + 1; j-- > 0;)
      if (writes[j].previous) sectors.WriteSector(writes[j].sector, *writes[j].previous);
    return false;
  }
  return true;
}

// A write into a damaged file system makes it worse (a new FDR over a file
// whose sector the bitmap calls free, a delete that shifts an index with no
// end mark). Before changing anything, the index, the bitmap and the target
// file are checked; when they are unsound nothing is written.
bool SafeToWrite(const FloppyVolume& volume, const std::string& targetName10) {
  const std::optional<Finding> hazard = FindWriteHazard(*volume.sectors, volume.fdirSector, targetName10);
  if (!hazard) return true;
  ReportWriteHazard(volume.path, *hazard);
  return false;
}

// Clears the bitmap bits of every sector in an FDR's data chain. A chain
// entry covers start .. start + offset - (sectors before it).
void FreeChain(Sector& vibSector, ByteView f, const FloppyVolume& volume) {
  uint32_t running = 0;
  for (size_t p = fdr::kChain; p + 3 <= 255; p += 3) {
    const uint8_t b0 = f.u8(p), b1 = f.u8(p + 1), b2 = f.u8(p + 2);
    uint32_t start = static_cast<uint32_t>((b1 & 0x0F) << 8 | b0);
    const uint32_t offset = static_cast<uint32_t>(b2) << 4 | (b1 >> 4);
    if (start == 0) break;
    if (volume.density >= 3) start *= 4;
    if (offset < running) break;
    const uint32_t last = start + (offset - running);
    // Sectors 0 and 1 and anything past the disk belong to no file.
    for (uint32_t s = std::max<uint32_t>(start, 2); s <= last && s < volume.totalSectors; ++s)
      BitmapSet(vibSector, s / volume.au, false);
    running = offset + 1;
  }
}

// Chain entries of a new file, laid out in a bitmap copy.
struct ChainPlan {
  int error = 0;  // kErrDskFull or kErrTooManyFragments; 0 when it fits
  std::vector<std::pair<uint32_t, uint32_t>> entries;  // start sector, offset
};

// AUs a fragment may start at: a multiple of this. Density 3 disks keep
// chain starts divided by 4, so a fragment there must begin on a sector that
// is a multiple of 4: every 4th AU with one sector per AU, every 2nd with two.
unsigned ChainStartAlignment(const FloppyVolume& volume) {
  if (volume.density < 3 || volume.au == 0 || volume.au % 4 == 0) return 1;
  return volume.au == 2 ? 2 : 4;
}

ChainPlan PlanChain(Sector& vibSector, const FloppyVolume& volume, uint16_t totalSectors) {
  ChainPlan plan;
  unsigned remaining = (totalSectors + volume.au - 1) / volume.au;
  uint32_t running = 0xFFFF;  // offset of the last sector so far, -1 in 16 bits
  while (remaining > 0) {
    if (plan.entries.size() >= kMaxChainEntries) {
      plan.error = kErrTooManyFragments;
      return plan;
    }
    const AuRun run =
        AllocateRun(vibSector, remaining, kFirstDataAu, volume.AuLimit(), ChainStartAlignment(volume));
    if (run.length == 0) {
      plan.error = kErrDskFull;
      return plan;
    }
    running = (running + run.length * volume.au) & 0xFFFF;
    plan.entries.emplace_back(run.start * volume.au, running);
    remaining -= run.length;
  }
  return plan;
}

// Puts a chain entry into the FDR; false when the sector or offset cannot
// be expressed in the 12-bit fields (density 3 disks store start / 4).
bool PutChainEntry(ByteWriter& w, size_t at, uint32_t startSector, uint32_t offset, uint16_t density) {
  uint32_t stored = startSector;
  if (density >= 3) {
    if (stored % 4 != 0) return false;
    stored /= 4;
  }
  if (stored > kMaxChainValue || offset > kMaxChainValue) return false;
  w.put8(at, static_cast<uint8_t>(stored & 0xFF));                             // start, low 8 bits
  w.put8(at + 1, static_cast<uint8_t>((stored >> 8 & 0x0F) | (offset & 0x0F) << 4));  // start high, offset low
  w.put8(at + 2, static_cast<uint8_t>(offset >> 4));                           // offset, high 8 bits
  return true;
}

void InsertFdirEntry(Sector& fdir, int position, uint16_t fdrSector) {
  // Slots position..125 move one place on; slot 127 (bytes 254-255) stays 0.
  for (int slot = static_cast<int>(kMaxFdirEntries) - 1; slot > position; --slot) {
    fdir[2 * slot] = fdir[2 * (slot - 1)];
    fdir[2 * slot + 1] = fdir[2 * (slot - 1) + 1];
  }
  ByteWriter(fdir.data(), fdir.size()).put16be(2 * static_cast<size_t>(position), fdrSector);
}

void RemoveFdirEntry(Sector& fdir, int position) {
  for (int slot = position; slot + 1 < static_cast<int>(kMaxFdirEntries); ++slot) {
    fdir[2 * slot] = fdir[2 * (slot + 1)];
    fdir[2 * slot + 1] = fdir[2 * (slot + 1) + 1];
  }
  fdir[2 * (kMaxFdirEntries - 1)] = 0;
  fdir[2 * (kMaxFdirEntries - 1) + 1] = 0;
}

Sector BuildFdr(const NewFileAttributes& a) {
  Sector s{};
  ByteWriter w(s.data(), s.size());
  w.putStr(fdr::kName, a.tiName, 10);                      // file name, space padded
  w.put8(fdr::kStatus, a.status);                           // status flags
  w.put8(fdr::kRecordsPerSector, a.recordsPerSector);       // records per sector
  w.put16be(fdr::kTotalSectors, a.totalSectors);            // data sectors, not counting the FDR
  w.put8(fdr::kEofOffset, a.eofOffset);                     // bytes used in the last sector, 0 = all
  w.put8(fdr::kRecordLength, (a.status & status::kProgram) ? 0 : a.recordLength);
  w.put16le(fdr::kLevel3, a.level3);                        // the one little-endian field
  return s;
}

// Copies the data of the PC file into the planned sectors. Reports and
// returns false on the first failure or a cancel (not reported).
bool CopyData(FloppyVolume& volume, const std::string& pcPath, const ChainPlan& plan,
              const AddFileRequest& request, bool& cancelled) {
  PcFile in;
  if (!in.Open(pcPath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, pcPath);
    return false;
  }
  Progress& progress = request.progress ? *request.progress : NoProgress();
  const uint32_t total = request.file.totalSectors;
  progress.Begin(total, "");
  uint32_t index = 0;
  Sector data;
  for (const auto& [start, offset] : plan.entries) {
    for (uint32_t sector = start; index <= offset && index < total; ++sector, ++index) {
      data.fill(0);
      const size_t got = in.ReadAt(kPcHeaderSize + uint64_t{index} * kSectorSize, data.data(), data.size());
      // A Classic99 file may end inside its last sector; any other file is
      // whole sectors, so a short read means the file is damaged.
      if (got == 0 || (got < data.size() && !request.classic99)) {
        ReportError(kErrReadSector, static_cast<int>(index), pcPath);
        return false;
      }
      if (!volume.sectors->WriteSector(sector, data)) return false;
      if (!progress.Step(index + 1)) {
        cancelled = true;
        return false;
      }
    }
  }
  return true;
}

}  // namespace

void BitmapSet(Sector& v, unsigned au, bool used) {
  if (au >= vib::kBitmapBits) return;
  const size_t at = vib::kBitmap + au / 8;
  const uint8_t bit = static_cast<uint8_t>(1u << (au % 8));
  v[at] = used ? static_cast<uint8_t>(v[at] | bit) : static_cast<uint8_t>(v[at] & ~bit);
}

AuRun AllocateRun(Sector& v, unsigned wanted, unsigned firstAu, unsigned limitAu, unsigned alignment) {
  const unsigned end = std::min(limitAu, vib::kBitmapBits);
  if (alignment == 0) alignment = 1;
  AuRun best, current;
  for (unsigned au = firstAu; au < end && current.length < wanted; ++au) {
    if (BitmapTest(View(v), au)) {
      if (current.length > best.length) best = current;
      current = AuRun{au + 1, 0};
      continue;
    }
    if (current.length == 0) {
      if (au % alignment != 0) continue;  // a run may only begin on the alignment
      current.start = au;
    }
    ++current.length;
  }
  const AuRun result = current.length >= best.length ? current : best;
  for (unsigned i = 0; i < result.length; ++i) BitmapSet(v, result.start + i, true);
  return result;
}

std::vector<uint16_t> FloppyVolume::Entries() const { return ReadFdirEntries(View(fdir)); }

bool LoadFloppyVolume(SectorSource& sectors, uint16_t fdirSector, FloppyVolume& volume) {
  volume.sectors = &sectors;
  volume.path = sectors.Name();
  volume.fdirSector = fdirSector;
  if (!sectors.ReadSector(0, volume.vib)) return false;
  DiskSummary summary;
  const unsigned au = SectorsPerAllocationUnit(View(volume.vib).be16(vib::kTotalSectors));
  if (!ReadDiskSummary(View(volume.vib), kKindDsk, summary) || au == 0) {
    ReportError(kErrDiskInfo, volume.path);
    return false;
  }
  volume.totalSectors = summary.totalSectors;
  volume.density = summary.density;
  volume.au = au;
  return sectors.ReadSector(fdirSector, volume.fdir);
}

FdirSearch SearchFdir(FloppyVolume& volume, const std::string& name10) {
  FdirSearch result;
  std::string wanted = name10;
  wanted.resize(10, ' ');
  const std::vector<uint16_t> entries = volume.Entries();
  int low = 0, high = static_cast<int>(std::min<size_t>(entries.size(), kMaxFdirEntries));
  while (low < high) {
    const int mid = (low + high) / 2;
    Sector probe;
    if (!volume.sectors->ReadSector(entries[static_cast<size_t>(mid)], probe)) return result;
    const int cmp = std::memcmp(probe.data(), wanted.data(), 10);  // unsigned byte order
    if (cmp == 0) {
      result.ok = result.found = true;
      result.position = mid;
      result.fdrSector = entries[static_cast<size_t>(mid)];
      result.fdr = probe;
      return result;
    }
    if (cmp < 0) low = mid + 1;
    else high = mid;
  }
  result.ok = true;
  result.position = low;
  return result;
}

AddResult AddFile(FloppyVolume& volume, const AddFileRequest& request) {
  const NewFileAttributes& file = request.file;
  if (!SafeToWrite(volume, file.tiName)) return AddResult::Stop;
  if (volume.fdir[kFullFdirSlot] != 0 || volume.fdir[kFullFdirSlot + 1] != 0) {
    ReportError(kErrDskFull, volume.path);
    return AddResult::Skipped;
  }
  const FdirSearch search = SearchFdir(volume, file.tiName);
  if (!search.ok) return AddResult::Skipped;

  Sector newVib = volume.vib;
  Sector newFdir = volume.fdir;
  uint16_t fdrSector = search.fdrSector;
  if (search.found) {
    const Answer answer = request.askOverwrite ? request.askOverwrite() : Answer::No;
    if (answer == Answer::Cancel) return AddResult::Stop;
    if (answer != Answer::Yes && answer != Answer::All) return AddResult::Skipped;
  } else {
    const AuRun fdrRun = AllocateRun(newVib, 1, volume.au == 1 ? 2 : 1, volume.AuLimit());
    if (fdrRun.length == 0) {
      ReportError(kErrDskFull, volume.path);
      return AddResult::Skipped;
    }
    fdrSector = static_cast<uint16_t>(fdrRun.start * volume.au);
    InsertFdirEntry(newFdir, search.position, fdrSector);
  }

  // Room for the data. An overwritten file keeps its sectors until the new
  // one is complete when the disk has room for both; only when it has not
  // are the old sectors reused.
  Sector planned = newVib;
  ChainPlan plan = PlanChain(planned, volume, file.totalSectors);
  if (search.found) {
    if (plan.error == 0) {
      FreeChain(planned, View(search.fdr), volume);
    } else {
      planned = newVib;
      FreeChain(planned, View(search.fdr), volume);
      plan = PlanChain(planned, volume, file.totalSectors);
    }
  }
  if (plan.error == kErrTooManyFragments) {
    ReportError(kErrTooManyFragments, file.tiName);
    return AddResult::Stop;
  }
  if (plan.error != 0) {
    ReportError(kErrDskFull, volume.path);
    return AddResult::Stop;
  }
  Sector fdrBytes = BuildFdr(file);
  ByteWriter w(fdrBytes.data(), fdrBytes.size());
  for (size_t i = 0; i < plan.entries.size(); ++i) {
    if (!PutChainEntry(w, fdr::kChain + 3 * i, plan.entries[i].first, plan.entries[i].second, volume.density)) {
      ReportError(kErrDskFull, volume.path);
      return AddResult::Stop;
    }
  }

  std::string pcPath;
  if (!request.source || !request.source(pcPath)) return AddResult::Skipped;
  bool cancelled = false;
  if (!CopyData(volume, pcPath, plan, request, cancelled)) return AddResult::Stop;

  if (!CommitWrites(*volume.sectors, {{fdrSector, &fdrBytes, search.found ? &search.fdr : nullptr},
                                       {volume.fdirSector, &newFdir, &volume.fdir},
                                       {0, &planned, &volume.vib}}))
    return AddResult::Stop;
  volume.vib = planned;
  volume.fdir = newFdir;
  return AddResult::Added;
}

bool DeleteFile(FloppyVolume& volume, const std::string& name10) {
  if (!SafeToWrite(volume, name10)) return false;
  const FdirSearch search = SearchFdir(volume, name10);
  if (!search.ok) return false;
  if (!search.found) {
    ReportError(kErrFileMissing, name10);
    return false;
  }
  Sector newVib = volume.vib;
  FreeChain(newVib, View(search.fdr), volume);
  BitmapSet(newVib, search.fdrSector / volume.au, false);
  Sector newFdir = volume.fdir;
  RemoveFdirEntry(newFdir, search.position);
  Sector filled;
  filled.fill(kDeletedFill);

  if (!CommitWrites(*volume.sectors, {{search.fdrSector, &filled, &search.fdr},
                                       {volume.fdirSector, &newFdir, &volume.fdir},
                                       {0, &newVib, &volume.vib}}))
    return false;
  volume.vib = newVib;
  volume.fdir = newFdir;
  return true;
}

bool RenameFile(FloppyVolume& volume, const std::string& oldName10, const std::string& newName10) {
  std::string oldName = oldName10, newName = newName10;
  oldName.resize(10, ' ');
  newName.resize(10, ' ');
  if (oldName == newName) return true;
  if (!SafeToWrite(volume, oldName)) return false;
  const FdirSearch clash = SearchFdir(volume, newName);
  if (!clash.ok) return false;
  if (clash.found) {
    ReportError(kErrFileExists, newName);
    return false;
  }
  const FdirSearch old = SearchFdir(volume, oldName);
  if (!old.ok) return false;
  if (!old.found) {
    ReportError(kErrFileMissing, oldName);
    return false;
  }
  // Take the entry out first: a place behind it moves one forward.
  Sector newFdir = volume.fdir;
  RemoveFdirEntry(newFdir, old.position);
  int target = clash.position;
  if (target > old.position) --target;
  InsertFdirEntry(newFdir, target, old.fdrSector);

  Sector newFdr = old.fdr;
  ByteWriter(newFdr.data(), newFdr.size()).putStr(fdr::kName, newName, 10);
  if (!CommitWrites(*volume.sectors, {{old.fdrSector, &newFdr, &old.fdr},
                                       {volume.fdirSector, &newFdir, &volume.fdir}}))
    return false;
  volume.fdir = newFdir;
  return true;
}

Sector MakeNewVib(const std::string& label, const NewImageGeometry& g) {
  Sector v{};
  ByteWriter w(v.data(), v.size());
  std::string upper;
  for (char c : label.substr(0, 10)) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  w.putStr(vib::kName, upper, 10);                  // volume name, space padded
  w.put16be(vib::kTotalSectors, g.totalSectors);    // total sectors
  w.put8(vib::kSectorsPerTrack, g.sectorsPerTrack);
  w.putStr(vib::kMarker, "DSK", 3);
  w.put8(vib::kProtection, ' ');                    // not protected
  w.put8(vib::kTracksPerSide, g.tracksPerSide);
  w.put8(vib::kSides, g.sides);
  w.put8(vib::kDensity, g.density);
  const unsigned au = std::max(1u, SectorsPerAllocationUnit(g.totalSectors));
  BitmapSet(v, 0, true);        // the VIB
  BitmapSet(v, 1 / au, true);   // the file index
  for (size_t b = vib::kBitmap + (g.totalSectors / au) / 8; b < 256; ++b) w.put8(b, 0xFF);  // past the end
  return v;
}

bool WriteNewImage(const std::string& path, const std::string& label, const NewImageGeometry& g,
                   Progress& progress) {
  PcFile out;
  if (!out.Open(path, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, path);
    return false;
  }
  ImageFileSectors sectors(out, path);
  bool ok = sectors.WriteSector(0, MakeNewVib(label, g));
  Sector empty{};
  ok = ok && sectors.WriteSector(1, empty);
  Sector fresh;
  fresh.fill(kDeletedFill);
  progress.Begin(g.totalSectors, "");
  for (uint32_t s = 2; ok && s < g.totalSectors; ++s) {
    ok = sectors.WriteSector(s, fresh) && progress.Step(s + 1);
  }
  progress.End();
  out.Close();
  // An image cut short would list as a disk whose sectors are missing.
  if (!ok) unlink(path.c_str());
  return ok;
}

}  // namespace korvane
