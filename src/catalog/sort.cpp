#include "catalog/sort.h"

#include <algorithm>
#include <strings.h>

namespace korvane {
namespace {

int Group(const CatalogEntry& r) {
  if (r.kind == kKindUprdir) return 0;
  if (r.kind == kKindSubdir) return 1;
  return 2;
}

// DSK, PC99/SD and PC99/DD come first, then the other kinds by number.
int TypeRank(uint16_t kind) {
  if (kind == kKindDsk) return 0;
  if (kind == kKindPc99Sd) return 1;
  if (kind == kKindPc99Dd) return 2;
  return 3 + kind;
}

int Compare(const CatalogEntry& a, const CatalogEntry& b, int key) {
  switch (key) {
    case kSortPcName:
      return strcasecmp(a.sourceName.c_str(), b.sourceName.c_str());
    case kSortTiName: {
      const int c = strcasecmp(a.tiName.c_str(), b.tiName.c_str());
      return c != 0 ? c : Compare(a, b, kSortPcName);
    }
    case kSortSize: {
      const uint16_t x = a.SortSectors(), y = b.SortSectors();
      if (x != y) return x < y ? -1 : 1;
      return Compare(a, b, kSortTiName);
    }
    case kSortType: {
      const int x = TypeRank(a.kind), y = TypeRank(b.kind);
      if (x != y) return x < y ? -1 : 1;
      return Compare(a, b, kSortSize);
    }
    case kSortAttr: {
      const bool x = a.statusFlags & 0x08, y = b.statusFlags & 0x08;
      if (x != y) return x ? 1 : -1;
      return Compare(a, b, kSortType);
    }
    default:
      return 0;
  }
}

}  // namespace

void SortRows(FileList& rows, int key) {
  if (key < 0 || key >= kSortNone) return;
  std::stable_sort(rows.begin(), rows.end(), [key](const CatalogEntry& a, const CatalogEntry& b) {
    const int ga = Group(a), gb = Group(b);
    if (ga != gb) return ga < gb;
    return Compare(a, b, key) < 0;
  });
}

}  // namespace korvane
