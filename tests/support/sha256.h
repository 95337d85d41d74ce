// SHA-256 of a byte string as lower-case hex, to compare file contents with
// the sums other tools wrote into their catalogs.
#pragma once

#include <string>

#include "support/disk_builder.h"

namespace korvane::test {

std::string Sha256Hex(const Bytes& bytes);

}  // namespace korvane::test
