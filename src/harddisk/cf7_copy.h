// Copying between CF7A+ volumes and V9T9 sector images on the PC.
//
// Out ("VOL #003" -> "NAME.dsk"): the volume's 1600 sectors, with the VIB's
// bytes 20-55 cleared (they may hold the card's mount record). A volume that
// holds a smaller disk shrinks back to it: when the VIB's geometry gives
// G = sectors per track x tracks x sides below 1600 and no sector from G on
// is marked used, those sectors are marked "past the end" again, the VIB says
// G sectors and only G sectors are written. A volume that cannot shrink is
// written whole, with a geometry that agrees with its 1600 sectors.
//
// In ("NAME.dsk" -> volume v): the image's K sectors, then E5h up to 1600.
// The VIB's bytes 20-55 are cleared (on a card in a drive, volume 1 keeps the
// card's mount record there) and a smaller disk grows to 1600 sectors: its
// sectors from K on are marked free and the VIB says 1600. An image of more
// than 1600 sectors does not fit a volume and is refused before anything is
// written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "harddisk/cf7_card.h"
#include "platform/progress.h"
#include "platform/reporter.h"

namespace korvane {

enum class CardCopyResult { Done, Cancelled, Failed };

// Volume number (from 1) of a volume row.
uint32_t VolumeOfRow(const CatalogEntry& volumeRow);

// The file a volume is copied out to: its TI name in PC form and ".dsk".
std::string VolumeDskName(const CatalogEntry& volumeRow);

// Applies the shrink rule to a volume's sector 0 (a valid VIB). Returns the
// number of sectors to write: G when the volume shrinks, else 1600 (and a
// VIB that says 1600 sectors gets the matching 20 x 40 x 2 geometry).
uint32_t ShrinkVolumeVib(Sector& vibSector);
// Applies the grow rule to an image's sector 0; `keep` is put at 20-27 when
// present.
void GrowImageVib(Sector& vibSector, const MountRecord& keep);

// Copies volume `volume` to a new ".dsk" file at `outPath` (created or
// truncated). Cancel ends the copy between sectors; the partial file stays.
CardCopyResult CopyVolumeToDsk(Card& card, uint32_t volume, const std::string& outPath, Progress& progress);

// Copies the volume rows into `directory`, in order, each to
// VolumeDskName(row). An existing file is handled by `askOverwrite` (Yes
// overwrites, All overwrites this and the rest, No skips, Cancel stops). A
// failure or Cancel stops the rest. Returns how many volumes were copied.
int CopyVolumesOut(Card& card, const std::vector<CatalogEntry>& volumeRows, const std::string& directory,
                   Progress& progress, const std::function<Answer(const std::string& name)>& askOverwrite);

// Copies the V9T9 image at `imagePath` onto volume `volume`. On success
// `summary` (when given) holds the volume's new DiskSummary.
CardCopyResult CopyImageToVolume(Card& card, uint32_t volume, const std::string& imagePath,
                                 Progress& progress, DiskSummary* summary = nullptr);

// The same for an image row (kind 9, 10 or 11) of a PC directory: a PC99
// image is first converted into a private scratch file.
CardCopyResult CopyImageRowToVolume(Card& card, uint32_t volume, const CatalogEntry& imageRow,
                                    const std::string& directory, Progress& progress,
                                    DiskSummary* summary = nullptr);

// One run of the copy dialog onto a card: the candidates (marked image rows in
// list order, or the cursor row) go to volume after volume from the chosen
// one. After the last volume the run says "CF7A+ disk full", goes back to
// volume 1 and waits for the user even when copying by itself.
class CardCopyRun {
 public:
  CardCopyRun(std::vector<CatalogEntry> candidates, std::string directory, uint32_t volumeCount,
              uint32_t firstVolume, bool autoCopy);

  bool Finished() const { return next_ >= candidates_.size(); }
  uint32_t Volume() const { return volume_; }
  void ChooseVolume(uint32_t volume) { volume_ = volume; }
  const CatalogEntry& Current() const { return candidates_[next_]; }
  // "Copy DSK image <NAME> to".
  std::string Text() const;

  // Copies the current candidate onto Volume() and moves to the next one.
  // Returns true when the next copy should start without the user.
  bool CopyCurrent(Card& card, Progress& progress);

  // After each copy: the volume written and its new summary (valid when the
  // copy was done), for the volume row.
  uint32_t LastVolume() const { return lastVolume_; }
  CardCopyResult LastResult() const { return lastResult_; }
  const DiskSummary& LastSummary() const { return lastSummary_; }

 private:
  std::vector<CatalogEntry> candidates_;
  std::string directory_;
  uint32_t volumeCount_;
  uint32_t volume_;
  bool auto_;
  size_t next_ = 0;
  uint32_t lastVolume_ = 0;
  CardCopyResult lastResult_ = CardCopyResult::Done;
  DiskSummary lastSummary_;
};

}  // namespace korvane
