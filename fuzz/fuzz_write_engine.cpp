// The write engine under a sequence of operations the input chooses: its
// first byte picks the geometry of the new image (and, for disks of
// one-sector allocation units, whether the sequence starts on a disk whose
// free space lies in one-sector holes), the rest picks adds,
// overwrites, deletes, renames and attribute changes with their names,
// sizes and attributes. After every step the image must pass the
// consistency checks and hold exactly the files a model expects, byte for
// byte (tests/support/write_property.h); any violation aborts with the last
// steps.
#include <cstdio>
#include <cstdlib>

#include <vector>

#include "support/disk_builder.h"
#include "support/write_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane::test;
  if (size < 1) return 0;
  // The model's expectations of fragments and free runs assume a run may
  // start on any allocation unit; density-3 disks with AUs under 4 sectors
  // start runs only on multiples of 4 sectors, so they are left to the
  // suite's fixed sequences.
  std::vector<const PropertyGeometry*> usable;
  for (const PropertyGeometry& g : PropertyGeometries())
    if (g.geometry.density < 3 || g.geometry.totalSectors > 2880) usable.push_back(&g);
  const PropertyGeometry& g = *usable[(data[0] & 0x7F) % usable.size()];
  BytesChooser chooser(data + 1, size - 1);
  TempDir dir;
  // Scattering the free space takes hundreds of steps on disks with larger
  // allocation units (the engine makes the holes there), too slow to fuzz;
  // on the others a prepared disk has them at once.
  const bool scatter = (data[0] & 0x80) != 0 && g.geometry.totalSectors <= 1600;
  const SequenceResult r = RunWriteSequence(dir.path(), g.geometry, chooser, 200, scatter);
  if (!r.failure.empty()) {
    std::fprintf(stderr, "write engine property violated on %s after %u engine calls:\n%s\n", g.name, r.steps,
                 r.failure.c_str());
    std::abort();
  }
  return 0;
}
