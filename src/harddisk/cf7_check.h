// Consistency check of CF7A+ cards, as card image files or in a drive.
//
// A card is a row of 1600-sector floppy volumes, so most of the check is the
// floppy check run on each volume through its sectors. Around it:
//   header   (card images) "CF7", the zero fields, the size a whole number
//            of sectors and of volumes
//   volumes  each volume whose sector 0 carries "DSK" is checked as a
//            floppy; a volume never formatted is no fault
//   mount    the DSK1-DSK3 record, when present, names volumes the card
//            holds (past the last volume the TI mounts nothing, or garbage)
//
// On a card in a drive the mount record lies in bytes 20-27 of volume 1's
// VIB, where a floppy keeps its first sub-directory slot: the floppy check
// and repair of that volume see those bytes as zeros, and a repair writes
// them back unchanged.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "catalog/check_report.h"
#include "floppy/floppy_repair.h"
#include "harddisk/cf7_card.h"
#include "platform/progress.h"

namespace korvane {

// The sectors of a volume as the floppy code should see them: volume 1's
// sector 0 without the mount record (zeros in its place when the record is
// present); writing sector 0 puts the record's bytes back.
class MountMaskedSectors : public SectorSource {
 public:
  MountMaskedSectors(Card& card, uint32_t volume) : inner_(card, volume), volume_(volume) {}
  bool ReadSector(uint32_t n, Sector& out) override;
  bool WriteSector(uint32_t n, const Sector& in) override;
  const std::string& Name() const override { return inner_.Name(); }

 private:
  CardVolumeSectors inner_;
  uint32_t volume_;
};

// Whether volume sector 0 is a formatted floppy VIB ("DSK" at 13-15).
bool IsFormattedVolume(const Sector& sector0);

// Checks every volume of `card` and its mount record. The card's header (of
// an image file) is left to CheckCardImageHeader. Cancel ends the check with
// a warning that it is incomplete.
void CheckCard(Card& card, CheckReport& report, Progress& progress = NoProgress());

// The 128-byte header of a card image against the format, and the file's
// size (`fileBytes`) against whole sectors and volumes.
void CheckCardImageHeader(ByteView header, uint64_t fileBytes, CheckReport& report);

// The full check of a card image file: header, volumes, mount record.
void CheckCardImageFile(const std::string& path, CheckReport& report, Progress& progress = NoProgress());

// Repair plans for the formatted volumes of `card` that have errors, by
// volume number. Nothing is written.
std::map<uint32_t, RepairPlan> PlanCardRepair(Card& card, Progress& progress = NoProgress());

// Commits the plans volume by volume. When a write fails, the volumes already
// mended get their old sectors back too, so the card is as it was; false.
bool CommitCardRepair(Card& card, const std::map<uint32_t, RepairPlan>& plans);

}  // namespace korvane
