#include "cli/location_arg.h"

#include <strings.h>

#include <cstdio>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "catalog/sort.h"
#include "cli/drive_arg.h"
#include "fileops/container_kinds.h"
#include "harddisk/cf7_copy.h"
#include "harddisk/hd_rows.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"

namespace korvane::cli {
namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find(sep, start);
    const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!part.empty()) parts.push_back(part);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

bool EnterByName(PaneState& pane, const std::string& name, const std::string& location) {
  const int index = FindRowOrReport(pane, name, location);
  if (index < 0) return false;
  if (!EnterRow(pane, index)) {
    std::fprintf(stderr, "ERROR: <%s> cannot be entered\n", name.c_str());
    return false;
  }
  return true;
}

// Reads the pane's location; a failure the reader did not report itself
// (a path that is no directory) gets one line here, so that an unreadable
// directory is not reported twice.
bool ReadOrSay(PaneState& pane, const std::string& shown) {
  constexpr int kNothingReported = -1;
  const int previousCode = LastErrorCode();
  SetLastErrorCode(kNothingReported);
  const bool ok = ReadLocation(pane);
  if (!ok && LastErrorCode() == kNothingReported)
    std::fprintf(stderr, "ERROR: cannot read <%s>\n", shown.c_str());
  if (LastErrorCode() == kNothingReported) SetLastErrorCode(previousCode);
  return ok;
}

bool IsVolumeList(const PaneState& pane) { return ContainerOfLocation(pane.locationType).volumeList; }

// The number N of a "#N" name (decimal, from 1), or 0.
uint32_t RowNumber(const std::string& name) {
  if (name.size() < 2 || name.size() > 11 || name[0] != '#') return 0;
  uint64_t n = 0;
  for (size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    n = n * 10 + static_cast<uint64_t>(name[i] - '0');
  }
  return n <= UINT32_MAX ? static_cast<uint32_t>(n) : 0;
}

// Partition N of a partition list (its place in the image's table, not in
// the list: a partition without a volume has no row) or volume N of a
// card's volume list.
int FindNumberedRow(const PaneState& pane, uint32_t number) {
  const bool partitions = pane.locationType == kLocPtImage;
  if (number == 0 || (!partitions && !IsVolumeList(pane))) return -1;
  for (int i = 0; i < pane.RowCount(); ++i) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    if (partitions && row.kind == kKindHdImg &&
        HardDiskPartitionNumber(pane.locationPath, row) == static_cast<int>(number))
      return i;
    if (!partitions && row.kind != kKindUprdir && VolumeOfRow(row) == number) return i;
  }
  return -1;
}

}  // namespace

int FindRow(const PaneState& pane, const std::string& name) {
  for (int i = 0; i < pane.RowCount(); ++i) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    if (row.kind == kKindUprdir) continue;
    const bool byPcName = pane.locationType == kLocPcDirectory;
    const std::string candidate = byPcName ? row.sourceName : TrimTiName(row.tiName);
    if (byPcName ? candidate == name : strcasecmp(candidate.c_str(), name.c_str()) == 0) return i;
  }
  if (IsVolumeList(pane))
    for (int i = 0; i < pane.RowCount(); ++i) {
      const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
      if (row.kind != kKindUprdir && strcasecmp(row.sourceName.c_str(), name.c_str()) == 0) return i;
    }
  if (const int numbered = FindNumberedRow(pane, RowNumber(name)); numbered >= 0) return numbered;
  // A PC name given in another case still finds its row.
  if (pane.locationType == kLocPcDirectory)
    for (int i = 0; i < pane.RowCount(); ++i)
      if (strcasecmp(pane.rows[static_cast<size_t>(i)].sourceName.c_str(), name.c_str()) == 0) return i;
  return -1;
}

int FindRowOrReport(const PaneState& pane, const std::string& name, const std::string& location) {
  const int index = FindRow(pane, name);
  if (index < 0) std::fprintf(stderr, "ERROR: no row <%s> in <%s>\n", name.c_str(), location.c_str());
  return index;
}

bool OpenLocation(const std::string& location, PaneState& pane) {
  if (IsDriveLocation(location)) return OpenDriveLocation(location, pane);
  const size_t sep = location.find("::");
  std::string pcPath = location.substr(0, sep);
  const std::vector<std::string> inner =
      sep == std::string::npos ? std::vector<std::string>{} : Split(location.substr(sep + 2), '/');
  if (pcPath.empty()) pcPath.push_back('.');  // assigning "." trips a false GCC 12 -Wrestrict
  while (pcPath.size() > 1 && pcPath.back() == '/') pcPath.pop_back();

  pane = PaneState{};
  pane.sortKey = kSortTiName;
  if (IsRegularFile(pcPath)) {
    // Open the file the way a pane opens its row: through its directory.
    pane.locationPath = ParentPath(pcPath);
    if (!ReadOrSay(pane, pane.locationPath)) return false;
    SortRows(pane.rows, pane.sortKey);
    if (!EnterByName(pane, LastComponent(pcPath), location)) return false;
  } else {
    pane.locationPath = pcPath;
    if (!ReadOrSay(pane, pcPath)) return false;
    SortRows(pane.rows, pane.sortKey);
  }
  for (const std::string& name : inner)
    if (!EnterByName(pane, name, location)) return false;
  return true;
}

}  // namespace korvane::cli
