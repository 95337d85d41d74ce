// Repair of a TI floppy file system, through a SectorSource so that image
// files and card volumes are mended alike. Only what can be mended without
// guessing is changed:
//   - the VIB's total and geometry, from the image size, when the size is a
//     standard one and the allocation unit stays the same;
//   - index entries outside the disk, and second entries of an FDR already
//     listed, are dropped;
//   - a second file with a name already used gets a free "NAME_2" name;
//   - every index is sorted by name;
//   - a file that shares sectors with another gets its own copy of its data
//     when a free run of that length exists;
//   - the allocation bitmap is rebuilt from what the files use.
// Everything is planned in memory first and checked; only then are the
// changed sectors written, and a failed write puts back what was written.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalog/check_report.h"
#include "floppy/sector_source.h"

namespace korvane {

struct RepairPlan {
  std::map<uint32_t, Sector> writes;  // sector -> new bytes
  std::vector<std::string> actions;   // one line per mend
  CheckReport after;                  // the check of the mended file system
  bool usable = false;                // false: the VIB leaves nothing to mend
  std::string refusal;                // set when the mends were dropped, and why
};

// Works out the repairs without writing anything.
RepairPlan PlanFloppyRepair(SectorSource& sectors, uint64_t imageBytes);

// Writes the planned sectors: data first, then FDRs and indexes, the VIB
// last. When a write fails, the sectors already written get their old bytes
// back and false is returned (the source has reported the failure).
bool CommitRepair(SectorSource& sectors, const RepairPlan& plan);

// A name for a second file called `name10` that no file in `taken` has:
// "NAME_2", "NAME_3" ..., the name cut so that it stays within 10 characters.
std::string FreeDuplicateName(const std::string& name10, const std::vector<std::string>& taken);

}  // namespace korvane
