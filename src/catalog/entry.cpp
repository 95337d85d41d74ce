#include "catalog/entry.h"

namespace korvane {
namespace {
constexpr const char* kKindNames[kEntryKindCount] = {
    "VOLUME",  "DIS/FIX", "DIS/VAR", "INT/FIX", "INT/VAR",  "PROGRAM",
    "SUBDIR",  "UPRDIR",  "UNKNOWN", "DSK",     "PC99/SD",  "PC99/DD",
    "PTIMG",   "HDIMG",   "CF7A+DSK", "CF7A+IMG", "CF7A+DSK", "DOS",
};
}  // namespace

const char* KindName(int kind) {
  if (kind < 0 || kind >= kEntryKindCount) return "UNKNOWN";
  return kKindNames[kind];
}

const char* HeaderKindName(int headerKind) {
  switch (headerKind) {
    case kHeaderV9t9: return "v9t9";
    case kHeaderTifiles: return "tifiles";
    case kHeaderClassic99: return "classic99";
    default: return "";
  }
}

uint16_t CatalogEntry::SortSectors() const {
  // A disk row keeps its DiskSummary where a file keeps its attributes: the
  // word in the place of the total-sectors field is the last letter of the
  // "DSK" marker and its terminator, read as a little-endian word ('K' = 75).
  if (HasDiskSummaryKind(kind) && disk.marker.size() >= 3)
    return static_cast<uint8_t>(disk.marker[2]);
  return totalSectors;
}

bool MakeDirectoryRow(const std::string& pcName, CatalogEntry& row) {
  if (pcName == ".") return false;
  row = CatalogEntry{};
  if (pcName == "..") {
    row.kind = kKindUprdir;
    row.sourceName = "..";
    row.tiName = "..";
    return true;
  }
  row.kind = kKindSubdir;
  row.sourceName = pcName;
  std::string ti;
  for (char c : pcName) {
    if (c == '.') continue;
    if (ti.size() == 12) break;
    ti += c;
  }
  row.tiName = ti;
  return true;
}

}  // namespace korvane
