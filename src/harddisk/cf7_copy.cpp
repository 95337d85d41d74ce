#include "harddisk/cf7_copy.h"

#include <fmt/printf.h>
#include <unistd.h>

#include <cstdlib>

#include "catalog/catalog_paths.h"
#include "catalog/errors.h"
#include "catalog/header.h"
#include "floppy/pc99_convert.h"
#include "floppy/v9t9.h"
#include "floppy/v9t9_write.h"
#include "platform/paths.h"

namespace korvane {

namespace {

constexpr uint8_t kFreshSector = 0xE5;

void ClearSubdirArea(Sector& s) {
  ByteWriter w(s.data(), s.size());
  w.fill(cf7::kVibSubdirArea, cf7::kVibSubdirAreaLength, 0);
}

// A private scratch file for a converted PC99 image, removed when done.
class ScratchImage {
 public:
  ScratchImage() {
    std::string pattern = TempDirectory() + "/korvane_cf7_XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) {
      ::close(fd);
      path_ = pattern;
    }
  }
  ~ScratchImage() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A volume that stays at 1600 sectors while its VIB still carries the
// geometry of the smaller disk it grew from would be a ".dsk" whose geometry
// and size disagree, which other tools take for a damaged image: it gets the
// volume's own geometry (20 sectors per track, 40 tracks, 2 sides).
uint32_t KeepWholeVolume(Sector& s, uint32_t g) {
  ByteWriter w(s.data(), s.size());
  if (g != cf7::kVolumeSectors &&
      ByteView(s.data(), s.size()).be16(vib::kTotalSectors) == cf7::kVolumeSectors) {
    w.put8(vib::kSectorsPerTrack, 20);
    w.put8(vib::kTracksPerSide, 40);
    w.put8(vib::kSides, 2);
  }
  return cf7::kVolumeSectors;
}

}  // namespace

uint32_t VolumeOfRow(const CatalogEntry& row) {
  return row.volumePosition < 0 ? 0 : static_cast<uint32_t>(row.volumePosition) / cf7::kVolumeSectors + 1;
}

std::string VolumeDskName(const CatalogEntry& row) { return SafePcName(row.tiName) + ".dsk"; }

uint32_t ShrinkVolumeVib(Sector& s) {
  ClearSubdirArea(s);
  ByteView v(s.data(), s.size());
  const uint32_t g = VibGeometrySectors(v);
  if (g < 2 || g >= cf7::kVolumeSectors) return KeepWholeVolume(s, g);
  // Bit by bit: a disk whose size is not a multiple of 8 keeps its own
  // sectors in the shared bitmap byte as they were.
  for (unsigned au = g; au < vib::kBitmapBits; ++au)
    if (BitmapTest(v, au)) return KeepWholeVolume(s, g);
  for (unsigned au = g; au < vib::kBitmapBits; ++au) BitmapSet(s, au, true);  // past the end
  ByteWriter(s.data(), s.size()).put16be(vib::kTotalSectors, static_cast<uint16_t>(g));
  return g;
}

void GrowImageVib(Sector& s, const MountRecord& keep) {
  ClearSubdirArea(s);
  ByteWriter w(s.data(), s.size());
  if (keep.present) PutMountRecord(w, keep.dsk);
  const unsigned total = ByteView(s.data(), s.size()).be16(vib::kTotalSectors);
  if (total >= cf7::kVolumeSectors) return;
  for (unsigned au = total; au < vib::kBitmapBits; ++au) BitmapSet(s, au, false);  // now on the volume, free
  w.put16be(vib::kTotalSectors, cf7::kVolumeSectors);
}

CardCopyResult CopyVolumeToDsk(Card& card, uint32_t volume, const std::string& outPath, Progress& progress) {
  PcFile out;
  if (IsDevicePath(outPath) || !out.Open(outPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, outPath);
    return CardCopyResult::Failed;
  }
  CardVolumeSectors sectors(card, volume);
  uint32_t length = cf7::kVolumeSectors;
  progress.Begin(length, "");
  Sector s;
  CardCopyResult result = CardCopyResult::Done;
  for (uint32_t i = 0; i < length; ++i) {
    if (progress.Cancelled()) {
      result = CardCopyResult::Cancelled;
      break;
    }
    if (!sectors.ReadSector(i, s)) {
      result = CardCopyResult::Failed;
      break;
    }
    if (i == 0) {
      DiskSummary summary;
      if (ReadDiskSummary(ByteView(s.data(), s.size()), kKindCardVolume, summary)) {
        length = ShrinkVolumeVib(s);
        progress.Begin(length, "");
      }
    }
    if (!out.WriteAt(uint64_t{i} * 256, s.data(), s.size())) {
      ReportError(kErrWriteSector, static_cast<int>(i), outPath);
      result = CardCopyResult::Failed;
      break;
    }
    progress.Step(i + 1);
  }
  progress.End();
  return result;
}

int CopyVolumesOut(Card& card, const std::vector<CatalogEntry>& rows, const std::string& directory,
                   Progress& progress, const std::function<Answer(const std::string&)>& askOverwrite) {
  bool all = false;
  int copied = 0;
  for (const CatalogEntry& row : rows) {
    const std::string name = VolumeDskName(row);
    const std::string path = JoinPath(directory, name);
    if (PathExists(path)) {
      if (!all) {
        const Answer a = askOverwrite ? askOverwrite(SafePcName(row.tiName)) : Answer::No;
        if (a == Answer::Cancel) break;
        if (a == Answer::No) continue;
        if (a == Answer::All) all = true;
      }
      ::unlink(path.c_str());
    }
    const CardCopyResult r = CopyVolumeToDsk(card, VolumeOfRow(row), path, progress);
    if (r != CardCopyResult::Done) break;
    ++copied;
  }
  return copied;
}

CardCopyResult CopyImageToVolume(Card& card, uint32_t volume, const std::string& imagePath,
                                 Progress& progress, DiskSummary* summary) {
  PcFile in;
  if (!in.Open(imagePath, PcFile::Mode::Read)) {
    ReportError(kErrOpenRead, imagePath);
    return CardCopyResult::Failed;
  }
  ImageFileSectors source(in, imagePath);
  Sector s;
  if (!source.ReadSector(0, s)) return CardCopyResult::Failed;
  DiskSummary from;
  if (!ReadDiskSummary(ByteView(s.data(), s.size()), kKindDsk, from) || from.totalSectors == 0) {
    ReportError(kErrDiskInfo, imagePath);
    return CardCopyResult::Failed;
  }
  const uint32_t k = from.totalSectors;
  if (k > cf7::kVolumeSectors) {
    // Only 1600 sectors fit; a volume whose VIB claimed more would lie to the
    // TI about sectors it does not have.
    SetLastErrorCode(kErrCopyDskOnlyToCard);
    CurrentReporter().ShowError(fmt::sprintf(
        "Can't copy <%s> to a CF7A+ volume:\nthe image has %u sectors, a volume holds 1600", imagePath, k));
    return CardCopyResult::Failed;
  }
  if (volume == 0 || volume > card.VolumeCount()) {
    ReportError(kErrWriteSector,
                static_cast<long long>(uint64_t{volume ? volume - 1 : 0} * cf7::kVolumeSectors), card.Name());
    return CardCopyResult::Failed;
  }
  MountRecord keep;
  if (card.IsDrive() && volume == 1 && !card.ReadMountRecord(keep)) return CardCopyResult::Failed;

  CardVolumeSectors target(card, volume);
  progress.Begin(cf7::kVolumeSectors, "");
  Sector fresh;
  fresh.fill(kFreshSector);
  CardCopyResult result = CardCopyResult::Done;
  for (uint32_t i = 0; i < cf7::kVolumeSectors; ++i) {
    if (progress.Cancelled()) {
      result = CardCopyResult::Cancelled;
      break;
    }
    if (i < k && i > 0 && !source.ReadSector(i, s)) {
      result = CardCopyResult::Failed;
      break;
    }
    if (i == 0) {
      GrowImageVib(s, keep);
      if (summary) ReadDiskSummary(ByteView(s.data(), s.size()), kKindCardVolume, *summary);
    }
    if (!target.WriteSector(i, i < k ? s : fresh)) {
      result = CardCopyResult::Failed;
      break;
    }
    progress.Step(i + 1);
  }
  progress.End();
  // Even a cancelled copy has written sectors that must reach the card.
  if (result != CardCopyResult::Failed && !card.Flush()) result = CardCopyResult::Failed;
  return result;
}

CardCopyResult CopyImageRowToVolume(Card& card, uint32_t volume, const CatalogEntry& row,
                                    const std::string& directory, Progress& progress, DiskSummary* summary) {
  if (row.kind == kKindPc99Sd || row.kind == kKindPc99Dd) {
    ScratchImage scratch;
    if (scratch.path().empty()) {
      ReportError(kErrOpenWrite, TempDirectory());
      return CardCopyResult::Failed;
    }
    SetLastErrorCode(0);
    if (!ConvertPc99ToV9T9(row, directory, scratch.path()) || LastErrorCode() != 0)
      return CardCopyResult::Failed;
    return CopyImageToVolume(card, volume, scratch.path(), progress, summary);
  }
  return CopyImageToVolume(card, volume, JoinPath(directory, row.sourceName), progress, summary);
}

CardCopyRun::CardCopyRun(std::vector<CatalogEntry> candidates, std::string directory, uint32_t volumeCount,
                         uint32_t firstVolume, bool autoCopy)
    : candidates_(std::move(candidates)),
      directory_(std::move(directory)),
      volumeCount_(volumeCount),
      volume_(firstVolume),
      auto_(autoCopy) {}

std::string CardCopyRun::Text() const {
  if (Finished()) return {};
  return fmt::sprintf("Copy %s <%s> to", "DSK image", SafePcName(Current().tiName));
}

bool CardCopyRun::CopyCurrent(Card& card, Progress& progress) {
  if (Finished()) return false;
  lastVolume_ = volume_;
  lastSummary_ = DiskSummary{};
  lastResult_ = CopyImageRowToVolume(card, volume_, candidates_[next_], directory_, progress, &lastSummary_);
  ++next_;
  if (lastResult_ != CardCopyResult::Done) {
    next_ = candidates_.size();  // a stopped copy ends the run
    return false;
  }
  if (Finished()) return false;
  if (volume_ >= volumeCount_) {
    CurrentReporter().ShowMessage("Copy File(s)", "CF7A+ disk full");
    volume_ = 1;
    return false;  // wait for the user even when copying by itself
  }
  ++volume_;
  return auto_;
}

}  // namespace korvane
