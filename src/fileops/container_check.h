// Check and repair of the TI containers kept as PC files: a PC file is
// classified the way a pane classifies it and handed to the check of its
// kind. Floppy images (and PC99 track images, read through their track
// search) are checked as file systems, hard-disk images by their partition
// table and directory tree, card images by their header, mount record and
// each volume as a floppy, archives by their directory and data, TI files by
// their header against the file's size.
#pragma once

#include <string>
#include <vector>

#include "catalog/check_report.h"
#include "platform/progress.h"

namespace korvane {

struct ContainerCheck {
  CheckReport report;
  bool container = false;  // false: a plain PC file, nothing TI about it
  bool checked = false;    // false: a container kind with no check yet
};

// Checks one PC file. A plain PC file gives container = false and, when
// `named` (the user asked for this file), an error saying why it is no
// container: a damaged "DSK" signature, a file too short for its header.
// Long checks (hard disks, cards) step `progress` and stop on Cancel.
ContainerCheck CheckPcFile(const std::string& path, bool named, Progress& progress = NoProgress());

// Whether a PC name says "disk image" (the extension .dsk, any case): such
// a file is checked in a directory scan even when it no longer looks like
// an image, so that damage beyond recognition is still reported.
bool CalledLikeImage(const std::string& name);

// The TI header of a PC file against the file's size and the type.
void CheckTiFileHeader(const std::string& path, CheckReport& report);

struct RepairOutcome {
  bool repairable = false;  // a floppy image or card image: repair was tried
  bool written = false;     // sectors were changed
  bool failed = false;      // refused or failed: the image is as it was
  std::string refusal;      // why nothing was written, for the user
  std::string backupPath;   // the copy of the original, when one was made
  std::vector<std::string> actions;
  CheckReport after;        // the check of the image as it is now
};

// Repairs a floppy image file, or the volumes of a card image (each through
// the floppy repair). Before the first write the original is kept as
// "<path>.bak"; with `keepBackup` an existing .bak refuses the repair.
// Hard-disk images are refused: they are checked, never written.
RepairOutcome RepairPcFile(const std::string& path, bool keepBackup);

// Whether a repair of `path` would change anything: the repair is planned
// on the file opened for reading, and nothing is written. False for files
// that are never repaired (hard disks, archives, TI files).
bool HasRepairs(const std::string& path);

// The report as a viewer shows it, lines ended with CR LF: a title line,
// one line per finding, the totals.
std::string CheckReportText(const CheckReport& report);

}  // namespace korvane
