// Consistency check of TI hard-disk images: a plain volume, or a disk whose
// sector 0 is a partition table naming up to four volumes.
//
// What is read: sector 0 (table or VIB), the bitmap sectors the volume's AU
// count needs, and per directory its record (VIB or DDR), its index and one
// FDR per file. Data sectors are never read, so a 100 MB image is checked
// in a few hundred sector reads.
//
// What is checked:
//   table    name, "PT", FFFFh and 5AA5h; entries filled from the first,
//            inside the disk's total and the image, not overlapping, each
//            holding a valid VIB large enough for its volume
//   VIB      the recognition rules, its size against the image or partition
//   tree     every DDR inside the volume, carrying "DIR" and a valid name,
//            its parent pointer naming the directory that lists it, visited
//            once (a second visit is a loop or a directory listed twice)
//   FDIR     entries inside the volume, each FDR listed once, sorted by name
//            as unsigned bytes, no name twice
//   FDR      name rules, flags and attributes against the type, a chain of
//            AU ranges inside the volume covering the data-sector count
//   use      no AU shared by two files, a file and a directory, or anything
//            and the system area (VIB, bitmap, root index)
//   bitmap   every used AU marked (an error: the next write destroys it),
//            nothing else marked (a warning: space lost)
#pragma once

#include <cstdint>
#include <string>

#include "catalog/check_report.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"
#include "platform/progress.h"

namespace korvane {

// The deepest directory level the check walks into, and the most directory
// records it visits in one volume: a crafted tree cannot keep it busy.
inline constexpr int kHdCheckMaxDepth = 64;
inline constexpr uint32_t kHdCheckMaxDirectories = 8192;

// Whether sector 0 carries a partition table's name "*TI99FSPT*" and "PT",
// valid or not: such a disk is checked as partitioned even when the table's
// entries no longer pass the reader's test.
bool LooksLikePartitionTable(ByteView sector0);

// Checks the volume at `baseSector` of `file`. `roomSectors` is what the
// image (or the partition) holds from the base on. `where` is put before
// every structure name ("partition 2 "), "" for a plain image. Returns false
// when the VIB fails the recognition rules (reported).
bool CheckHardDiskVolume(PcFile& file, uint32_t baseSector, uint64_t roomSectors, const std::string& where,
                         CheckReport& report, Progress& progress = NoProgress());

// Checks a hard-disk image file of `imageBytes`: its partition table and each
// partition, or its one volume. Cancel (through `progress`) ends the walk
// with a warning that the check is incomplete.
void CheckHardDiskImage(PcFile& file, uint64_t imageBytes, CheckReport& report,
                        Progress& progress = NoProgress());

}  // namespace korvane
