// Reads back the V9T9 images the tests write with an independent reader,
// MAME's imgtool (Debian package mame-tools, installed by scripts/setup.sh):
// `imgtool dir v9t9 IMAGE` for the names, types and record lengths (it
// lists a sub-directory as DIR and its files as DIR.NAME), and `imgtool getall` / `imgtool get` for each file, which
// it hands out as a TIFILES file whose data after the 128-byte header must
// equal the data written. Nothing here uses the code under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// A file an image should hold.
struct ExpectedTiFile {
  std::string name;         // without padding; DIR.NAME inside a sub-directory
  uint8_t status = 0;       // FDR status: 01h PROGRAM, 02h INTERNAL, 80h VARIABLE, 08h protected
  uint8_t recordLength = 0; // ignored for a PROGRAM
  Bytes data;               // compared after padding to whole sectors with zeros
};

ExpectedTiFile Expect(const TiFile& file);
// The same file under another name.
ExpectedTiFile Expect(const TiFile& file, const std::string& name);

// The files the indexes of raw image bytes name, read through their
// FDRs by the test support's own walker: for checks where the contents came
// from a conversion or from a real disk rather than from the test.
std::vector<ExpectedTiFile> FilesOnImage(const Bytes& image);

// Problems found, one line each; empty when imgtool lists exactly
// `expected` (any order) and hands out every file byte for byte. A volume of
// a card image is checked from `offset` (its sector 0) on.
std::vector<std::string> ImgtoolDifferences(const std::string& imagePath, const std::vector<ExpectedTiFile>& expected,
                                            uint64_t offset = 0);

// The GoogleTest form: adds a failure naming the image and every problem.
// When imgtool is not installed that is a failure too, since it is a
// declared dependency of the tests.
void ExpectImgtoolReads(const std::string& imagePath, const std::vector<ExpectedTiFile>& expected,
                        uint64_t offset = 0);

// imgtool agrees with the test support's own reading of the image.
void ExpectImgtoolAgrees(const std::string& imagePath);

}  // namespace korvane::test
