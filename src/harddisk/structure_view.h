// The sector-structure windows: one on-disk structure of an image shown
// field by field with its raw values in TI hexadecimal notation, and the
// structures (or data sectors) it points to. Floppy images and card-image
// volumes have a VIB, file indexes (FDIR) and file descriptor records (FDR);
// hard-disk volumes have a VIB, directory descriptor records (DDR), FDIRs
// and FDRs counted in allocation units; a partitioned hard disk starts with a
// partition table; a card image holds a row of floppy volumes.
//
// Everything the window shows - caption, fields, list lines, which buttons
// work and what they open - is built here, so that the desktop windows and
// `korvane-cli structure` show the same text. The windows only read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "viewers/view_builder.h"

namespace korvane {

enum class StructureKind {
  FloppyVib,       // sector 0 of a floppy or of a card-image volume
  FloppyFdir,      // a floppy file index
  FloppyFdr,       // a floppy file descriptor record
  HardVib,         // sector 0 of a hard-disk volume
  HardDdr,         // a hard-disk directory descriptor record
  HardFdir,        // a hard-disk file index
  HardFdr,         // a hard-disk file descriptor record
  PartitionTable,  // sector 0 of a partitioned hard disk
  CardVolumes,     // the volume list of a card image
};

// Where a structure lies. Structure number n (a sector, or on a hard disk an
// allocation unit) is at byte n * 256 + base in a card-image volume
// (volume != 0, base counts bytes), else at byte
// (sectorsPerAu * n + base) * 256 (base counts sectors: a hard-disk
// partition's first sector, 0 for a floppy or a whole hard disk).
struct StructureContext {
  std::string imagePath;
  uint32_t sectorsPerAu = 1;
  uint32_t number = 0;
  uint64_t base = 0;
  uint32_t volume = 0;  // card-image volume from 1, 0 for everything else
};

// What a button or a list line opens: another structure window, or the hex
// view of a run of sectors (a block of a file's data chain).
struct StructureTarget {
  enum class What { Structure, SectorRange };
  What what = What::Structure;
  StructureKind kind = StructureKind::FloppyVib;
  StructureContext context;
  // Sector range: `unitCount` units of `sectorsPerUnit` sectors from
  // `firstUnit`; the image's sector 0 at `imageStart`, in bytes when
  // `byteOffset`, else in sectors. The view is labelled with `label`.
  std::string label;
  bool byteOffset = false;
  uint64_t imageStart = 0;
  uint32_t sectorsPerUnit = 1;
  uint32_t firstUnit = 0;
  uint32_t unitCount = 0;
};

struct StructureField {
  int id = 0;  // the control that shows it
  std::string label;
  std::string value;
};

struct StructureButton {
  int id = 0;
  std::string text;
  bool enabled = true;
  // The button opens the list's selected line (as a double click does);
  // otherwise it opens `target` when it has one and does nothing else.
  bool opensSelection = false;
  std::optional<StructureTarget> target;
};

struct StructureDescription {
  StructureKind kind = StructureKind::FloppyVib;
  StructureContext context;
  std::string caption;
  std::vector<StructureField> fields;  // in the window's order
  std::string listLabel;
  std::vector<std::string> lines;  // the list, as the window shows it
  // What a double click on line i opens; none for lines that open nothing
  // (bitmap bytes, an unformatted card volume, a block that holds no sector).
  std::vector<std::optional<StructureTarget>> lineTargets;
  bool listEnabled = true;  // an empty data chain is greyed
  std::vector<StructureButton> buttons;
};

// Opens the image, reads the structure's sector and describes it (list lines
// that name other structures read those too). Nothing when the image cannot
// be opened (error 1) or the structure's sector cannot be read (error 6),
// both reported. A failed read inside a list ends the list, reported, and the
// description is still returned.
std::optional<StructureDescription> DescribeStructure(StructureKind kind, const StructureContext& context);

// What following `target` gives: a structure window, or for a sector range
// the hex view (nothing when the image cannot be opened).
struct StructureOpened {
  std::optional<StructureDescription> structure;
  std::optional<TextView> sectors;
};
StructureOpened OpenTarget(const StructureTarget& target);

// The first window of "Show image VIB, DDR, FDIR or FDR" for an image row of
// kind 9 (floppy VIB), 12 (partition table), 13 (hard-disk VIB) or 15 (card
// volume list); nothing for other kinds.
std::optional<StructureTarget> FirstStructureOf(int rowKind, const std::string& imagePath);

// Value texts of the windows.
std::string ByteText(uint8_t value);      // ">%02X"
std::string ByteCharText(uint8_t value);  // ">%02X (%c)", a space for unprintable
std::string WordText(uint16_t value);     // ">%04X"
std::string LongText(uint32_t value);     // ">%08lX"
// Four bytes: a big-endian time word (hours 15-11, minutes 10-5, seconds / 2
// 4-0) and a big-endian date word (year 15-9 without century, month 8-5, day
// 4-0): ">%08lX (hms) %02u:%02u:%02u (ymd) %02u-%02u-%02u".
std::string TimeStampText(const uint8_t bytes[4]);

}  // namespace korvane
