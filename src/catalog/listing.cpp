#include "catalog/listing.h"

#include <fmt/printf.h>

#include "catalog/header.h"

namespace korvane {

std::string LocationText(const PaneState& pane) {
  if (pane.containerInContainer) {
    const std::string safe = SafePcName(pane.container.tiName);
    if (pane.containerLevel > 1 || pane.hdLevel > 2 || pane.cardVolumeCount != 0)
      return fmt::sprintf(" %s->%s->%s", pane.outerPath, pane.innerName, safe);
    return fmt::sprintf(" %s->%s", pane.outerPath, safe);
  }
  if (pane.locationType == kLocCardDrive ||
      (pane.locationType != kLocCardImageVolume && pane.containerLevel <= 1 && pane.hdLevel < 3))
    return fmt::sprintf(" %s", pane.locationPath);
  return fmt::sprintf(" %s->%s", pane.locationPath, pane.innerName);
}

namespace {

const char* HeaderColumn(const PaneState& pane, const CatalogEntry& row) {
  if (pane.locationType != kLocPcDirectory || !IsTiFileKind(row.kind)) return "       ";
  switch (row.headerKind) {
    case kHeaderV9t9: return "v9t9   ";
    case kHeaderTifiles: return "tifiles";
    case kHeaderClassic99: return "classic99";
    default: return "       ";
  }
}

char AttributeChar(const CatalogEntry& row) {
  const int k = row.kind;
  const bool shows = (k >= 0 && k <= 5) || (k >= 8 && k <= 11) || k == 16;
  if (!shows) return ' ';
  return (row.statusFlags & status::kProtected) ? 'P' : 'U';
}

std::string Line(const PaneState& pane, const CatalogEntry& row) {
  if (row.kind == kKindDos) return fmt::sprintf("%-15s         %-8s\r\n", row.sourceName, "DOS");
  std::string line = fmt::sprintf("%-15s", row.tiName);
  const int k = row.kind;
  if (k == kKindSubdir) line += "      ";
  else if (k == kKindPtImg || k == kKindHdImg || k == kKindCardImg) line += fmt::sprintf("%6ld", static_cast<long>(row.sizeInSectors));
  else if (HasDiskSummaryKind(k)) line += fmt::sprintf("%6d", row.disk.total);
  else line += fmt::sprintf("%6d", row.totalSectors);  // kinds 0-5, 8 and any other
  if (k <= kKindProgram && row.recordLength != 0)
    line += fmt::sprintf("   %-8s %5d", KindName(k), row.recordLength);
  else
    line += fmt::sprintf("   %-8s      ", KindName(k));
  line += fmt::sprintf("  %c %s  %s\r\n", AttributeChar(row), HeaderColumn(pane, row), row.comment);
  return line;
}

}  // namespace

std::string DirectoryListing(const PaneState& pane) {
  std::string text = fmt::sprintf("Directory of %s\r\n\r\n", LocationText(pane));
  text += "Name             Size   Type            Attr       Description\r\n";
  text += std::string(87, '-') + "\r\n";
  for (const CatalogEntry& row : pane.rows) {
    if (row.kind == kKindUprdir) continue;
    text += Line(pane, row);
  }
  return text;
}

std::string DirectoryListingTitle(const PaneState& pane) { return "Korvane - " + LocationText(pane); }

}  // namespace korvane
