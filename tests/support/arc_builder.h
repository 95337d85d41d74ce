// Builds TI archives in memory, plain and LZW-compressed, laid out the way
// the format says, with an LZW encoder written for the tests, so that the
// archive reader and decoder are checked against bytes they did not make.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// The archive's data before compression: directory blocks of 14 entries
// with "END!" in the last trailer, then each member's sectors. The level-3
// count is stored high byte first for a plain archive, low byte first for a
// compressed one.
Bytes ArchiveContents(const std::vector<TiFile>& members, bool compressed);

struct LzwOptions {
  bool clearWhenFull = true;  // send a clear code when the 4096 codes are used up
};

// LZW code stream: clear code first, 9 to 12 bits MSB first, the end code
// last, padded with zeros to whole 256-byte sectors.
Bytes LzwEncode(const Bytes& data, const LzwOptions& options = {});

// The archive as a TI file: DIS/FIX 128 (plain) or INT/FIX 128 (compressed,
// the contents LZW-encoded). Put it on a disk or in a PC file with the
// other builders.
TiFile ArchiveFile(const std::string& name, const std::vector<TiFile>& members, bool compressed);

}  // namespace korvane::test
