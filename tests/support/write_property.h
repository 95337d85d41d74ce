// A property of the floppy write engine, shared by the test suite (fixed
// seeds) and a libFuzzer target (the input chooses the steps): whatever
// sequence of adds, overwrites, deletes, renames and attribute changes runs
// on a new image, after every step the image passes the consistency checks,
// its index names exactly the files a model expects, and every file reads
// back byte for byte with the attributes it was given. A refusal must leave
// the image as it was and must have a reason: an add that fits in one free
// run of the disk may not be refused.
//
// Nothing here uses GoogleTest, so the fuzz target can link it.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "floppy/v9t9_write.h"
#include "support/disk_builder.h"
#include "support/imgtool_check.h"

namespace korvane::test {

// Picks the next choice of a sequence.
class Chooser {
 public:
  virtual ~Chooser() = default;
  // A number below `bound` (at least 1).
  virtual unsigned Below(unsigned bound) = 0;
  // True when the sequence should end.
  virtual bool Exhausted() const = 0;
};

// Choices from a seeded generator.
class SeededChooser : public Chooser {
 public:
  explicit SeededChooser(uint32_t seed) : random_(seed) {}
  unsigned Below(unsigned bound) override { return std::uniform_int_distribution<unsigned>(0, bound - 1)(random_); }
  bool Exhausted() const override { return false; }

 private:
  std::mt19937 random_;
};

// Choices read from fuzz input, two bytes each; exhausted at its end.
class BytesChooser : public Chooser {
 public:
  BytesChooser(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  unsigned Below(unsigned bound) override;
  bool Exhausted() const override { return pos_ >= size_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

struct PropertyGeometry {
  const char* name;
  NewImageGeometry geometry;
};

// The six geometries a new image is made with, and density-3 disks of
// 1440, 2880 and 5760 sectors (allocation units of 1, 2 and 4 sectors).
const std::vector<PropertyGeometry>& PropertyGeometries();

struct SequenceResult {
  std::string failure;                 // empty when the property held
  std::string imagePath;               // the image after the last step
  std::vector<ExpectedTiFile> files;   // what it should hold
  unsigned steps = 0;                  // engine calls made
};

// Runs one sequence of at most `maxSteps` operations (or until the chooser
// is exhausted) on a new image of `geometry` in `workDir`, which must exist
// and be empty. With `fragmentsFirst` it starts by scattering the free space
// in holes so that files of 75 fragments are made and refused.
SequenceResult RunWriteSequence(const std::string& workDir, const NewImageGeometry& geometry, Chooser& chooser,
                                unsigned maxSteps, bool fragmentsFirst);

}  // namespace korvane::test
