#include "fileops/pc_paths.h"

#include "catalog/catalog_paths.h"
#include "catalog/header.h"
#include "fileops/pc_names.h"

namespace korvane {

bool IsSameFile(const std::string& a, const std::string& b) { return a == b || SamePcFile(a, b); }

std::string PcFileNameFromTiName(const std::string& tiName) {
  std::string name = SafePcName(tiName);
  if (name.find_first_not_of('.') == std::string::npos)
    for (char& c : name) c = '@';
  if (name.empty()) name = "no_name";
  return name;
}

}  // namespace korvane
