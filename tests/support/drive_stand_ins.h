// What the drive tests share: plain files standing in for removable drives
// (through KORVANE_DRIVES, or handed straight to the drive code), and the
// two-volume card they put in a card reader.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "platform/drive_device.h"
#include "support/card_builder.h"
#include "support/disk_builder.h"

namespace korvane::test {

// Files in `dir` that stand in for drives A:, B:, D: ... (C: is never
// given out) while the object lives: KORVANE_DRIVES names them, in order.
struct DriveStandIns {
  std::vector<std::string> paths;
  DriveStandIns(const TempDir& dir, const std::vector<std::pair<std::string, Bytes>>& files);
  ~DriveStandIns();
  DriveStandIns(const DriveStandIns&) = delete;
  DriveStandIns& operator=(const DriveStandIns&) = delete;
};

// A drive environment whose only drive is the stand-in file `path`; no
// real block device or mount table is looked at.
DriveEnvironment StandInEnv(const std::string& path);

// The stand-in file `path` as drive `letter`.
DriveDevice StandInDevice(const std::string& path, char letter = 'B');

// A card with CARDONE (one file, README) and the empty CARDTWO, five TI
// sectors of a partial volume after them, and a mount record 2, 1, 0.
CardLayout TwoVolumeCard();

// `length` bytes of `b` from `from` on.
Bytes Slice(const Bytes& b, size_t from, size_t length);

}  // namespace korvane::test
