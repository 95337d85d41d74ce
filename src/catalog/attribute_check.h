// Checks of one TI file's descriptor, shared by the FDRs of disks and the
// headers of TI files kept on the PC: the name rules, the status flags, and
// whether the level-3 count, EOF offset and records per sector fit the type
// and the sector count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/check_report.h"
#include "platform/byte_view.h"

namespace korvane {

// The fields that decide whether a file reads correctly.
struct TiAttributes {
  uint8_t status = 0;
  uint8_t recordsPerSector = 0;
  uint16_t totalSectors = 0;
  uint8_t eofOffset = 0;
  uint8_t recordLength = 0;
  uint16_t level3 = 0;
};

// The attributes as an FDR or V9T9 header holds them.
TiAttributes AttributesFromFdr(ByteView fdrBytes);

struct AttributeProblem {
  Severity severity;
  FindingCode code;  // FdrName, FdrFlags or FdrAttributes
  std::string reason;
};

// The name rules a TI disk controller relies on to find a file: no empty
// name, no space or "." inside it, only printable characters, no 0 byte.
// Returns the reason, or "" when the name is sound.
std::string NameProblem(ByteView name10);

// Flags and attributes against the type.
std::vector<AttributeProblem> CheckAttributes(const TiAttributes& a);

}  // namespace korvane
