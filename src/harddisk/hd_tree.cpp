#include "harddisk/hd_tree.h"

#include <unordered_set>
#include <vector>

#include "catalog/catalog_paths.h"
#include "catalog/header.h"

namespace korvane {

bool WalkHardDiskTree(const std::string& imagePath, uint32_t baseSector, const HardDiskVisitor& visit) {
  struct Pending {
    uint16_t au;
    int depth;
    std::string path;
  };
  const std::string source = LastComponent(imagePath);
  std::vector<Pending> stack{{0, 0, ""}};
  std::unordered_set<uint16_t> visited;  // AU of every directory record listed
  bool first = true;
  while (!stack.empty()) {
    const Pending next = std::move(stack.back());
    stack.pop_back();
    if (!visited.insert(next.au).second) continue;
    HardDiskDirectory dir;
    if (!ReadHardDiskDirectory(imagePath, source, baseSector, next.au, next.depth, false, dir)) {
      if (first) return false;
      continue;
    }
    first = false;
    if (!visit(next.path, dir)) return false;
    if (next.depth + 1 > kMaxWalkDepth) continue;
    // Pushed in reverse so that they are taken in the record's order.
    for (auto it = dir.rows.rbegin(); it != dir.rows.rend(); ++it) {
      if (it->kind != kKindSubdir) continue;
      const std::string name = TrimTiName(it->tiName);
      stack.push_back({it->hdFields[hdrow::kOwnAu], next.depth + 1, next.path.empty() ? name : next.path + "." + name});
    }
  }
  return true;
}

}  // namespace korvane
