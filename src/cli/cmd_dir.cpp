// korvane-cli dir [--json] LOCATION: the directory listing of a location.
#include <cstdio>
#include <string>

#include "catalog/listing.h"
#include "cli/command.h"
#include "cli/text_output.h"
#include "cli/json.h"
#include "cli/location_arg.h"
#include "platform/reporter.h"

namespace korvane::cli {
namespace {

// How deep a row of a hard disk or card lies: the depth a hard-disk
// directory-like row carries (partitions of a partition list are at 1), 0
// for an image in a PC directory, 1 for a card's volumes. -1 for the rows
// that have none.
int RowDepth(const PaneState& pane, const CatalogEntry& row) {
  const bool inHardDisk = pane.locationType == kLocHdImage || pane.locationType == kLocPtImage;
  if (row.kind == kKindCardDrive || row.kind == kKindCardVolume) return 1;
  if (inHardDisk && (row.kind == kKindSubdir || row.kind == kKindHdImg || row.kind == kKindPtImg))
    return row.statusFlags;
  if (pane.locationType == kLocPcDirectory &&
      (row.kind == kKindHdImg || row.kind == kKindPtImg || row.kind == kKindCardImg))
    return 0;
  return -1;
}

std::string RowJson(const PaneState& pane, const CatalogEntry& row) {
  JsonObject o;
  o.Add("pc_name", row.sourceName);
  o.Add("ti_name", row.tiName);
  o.Add("type", KindName(row.kind));
  o.Add("kind", row.kind);
  long size = row.totalSectors;
  if (row.kind == kKindSubdir || row.kind == kKindUprdir) size = 0;
  else if (row.kind == kKindPtImg || row.kind == kKindHdImg || row.kind == kKindCardImg) size = static_cast<long>(row.sizeInSectors);
  else if (HasDiskSummaryKind(row.kind)) size = row.disk.total;
  o.Add("size", size);
  o.Add("record_length", HasDiskSummaryKind(row.kind) ? 0 : row.recordLength);
  o.Add("status", HasDiskSummaryKind(row.kind) ? 0 : row.statusFlags);
  o.Add("protected", !HasDiskSummaryKind(row.kind) && (row.statusFlags & 0x08) != 0);
  o.Add("header", pane.locationType == kLocPcDirectory ? HeaderKindName(row.headerKind) : "");
  o.Add("comment", row.comment);
  if (const int depth = RowDepth(pane, row); depth >= 0) o.Add("depth", depth);
  if (HasDiskSummaryKind(row.kind)) {
    o.Add("total", row.disk.total);
    o.Add("free", row.disk.free);
    o.Add("used", row.disk.used);
    o.Add("sectors_per_track", row.disk.sectorsPerTrack);
    o.Add("tracks", row.disk.tracksPerSide);
    o.Add("sides", row.disk.sides);
    o.Add("density", row.disk.density);
  }
  return o.Text();
}

int RunDir(const std::vector<std::string>& args, const CommonOptions& options) {
  bool json = false;
  bool unknownOption = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!options.IsOption(i, args[i])) positional.push_back(args[i]);
    else if (args[i] == "--json") json = true;
    else unknownOption = true;
  }
  const std::string location = positional.size() == 1 ? positional[0] : std::string();
  if (location.empty() || unknownOption) {
    std::fprintf(stderr, "usage: korvane-cli dir [--json] LOCATION\n");
    return 2;
  }
  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(location, pane)) return 1;
  if (json) {
    std::string out = "[";
    bool first = true;
    for (const CatalogEntry& row : pane.rows) {
      if (row.kind == kKindUprdir) continue;
      out += first ? "\n  " : ",\n  ";
      out += RowJson(pane, row);
      first = false;
    }
    out += first ? "]\n" : "\n]\n";
    std::fputs(out.c_str(), stdout);
  } else {
    std::fputs(CrLfToLf(DirectoryListing(pane)).c_str(), stdout);
  }
  return LastErrorCode() != 0 ? 1 : 0;
}

const Registration kDir{{"dir", "dir [--json] LOCATION",
                         "print the directory listing of a location (--json: one object per row)", RunDir}};

}  // namespace
}  // namespace korvane::cli
