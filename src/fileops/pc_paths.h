// PC paths of the files the conversions read and write.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "fileops/locations.h"  // PaneDirectory and RowPcPath

namespace korvane {

// Whether two paths name the same file: equal texts, or one existing file
// reached by two spellings ("dir/x" and "dir/./x", links). Converting a file
// onto itself would truncate the source before it is read.
bool IsSameFile(const std::string& a, const std::string& b);

// A PC file name made from a TI name (its PC-safe form) that is always a
// plain file name: dots of a name made only of dots become "@", and a name
// that comes out empty becomes "no_name".
std::string PcFileNameFromTiName(const std::string& tiName);

}  // namespace korvane
