// Any bytes, as a named PC file, must be checked to the end without a crash
// or hang; the same bytes as damage laid over a sound disk must be repaired
// into an image no worse than it was, or leave the image byte for byte as it
// was.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/header.h"
#include "fileops/container_check.h"
#include "floppy/v9t9_write.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"
#include "platform/reporter.h"

namespace {

using namespace korvane;

std::string ScratchDir() {
  static std::string dir = [] {
    char templ[] = "/tmp/korvane-fuzz-check-XXXXXX";
    return std::string(mkdtemp(templ));
  }();
  return dir;
}

// A sound 360-sector disk: three files, FDRs in sectors 2-4, data from 34.
std::vector<uint8_t> SoundDisk() {
  std::vector<uint8_t> image(360 * 256, 0xE5);
  const Sector vibSector = MakeNewVib("FUZZ", NewImageGeometry{360, 9, 40, 1, 1});
  std::copy(vibSector.begin(), vibSector.end(), image.begin());
  std::fill(image.begin() + 256, image.begin() + 512, 0);
  const char* names[] = {"ALPHA     ", "BETA      ", "GAMMA     "};
  unsigned data = 34;
  Sector v = vibSector;
  for (unsigned i = 0; i < 3; ++i) {
    const unsigned fdrSector = 2 + i, sectors = 2 + i;
    ByteWriter(image.data() + 256, 256).put16be(2 * i, static_cast<uint16_t>(fdrSector));
    uint8_t* f = image.data() + fdrSector * 256;
    std::fill(f, f + 256, 0);
    ByteWriter w(f, 256);
    w.putStr(fdr::kName, names[i], 10);
    w.put8(fdr::kStatus, 0x01);                  // PROGRAM
    w.put16be(fdr::kTotalSectors, static_cast<uint16_t>(sectors));
    w.put8(fdr::kChain, static_cast<uint8_t>(data));
    w.put8(fdr::kChain + 1, static_cast<uint8_t>((sectors - 1) << 4));
    BitmapSet(v, fdrSector, true);
    for (unsigned s = data; s < data + sectors; ++s) BitmapSet(v, s, true);
    data += sectors + 1;
  }
  std::copy(v.begin() + 56, v.end(), image.begin() + 56);
  return image;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string dir = ScratchDir();
  const std::string path = dir + "/input.dsk";

  // 1. The bytes as they come.
  if (!Write(path, std::vector<uint8_t>(data, data + size))) return 0;
  CheckPcFile(path, true);

  // 2. The bytes as damage: pairs of (position in sectors 0-5, byte).
  std::vector<uint8_t> image = SoundDisk();
  for (size_t i = 0; i + 2 < size; i += 3) {
    const size_t at = (size_t{data[i]} << 8 | data[i + 1]) % (6 * 256);
    image[at] = data[i + 2];
  }
  if (!Write(path, image)) return 0;
  unlink((path + ".bak").c_str());
  const ContainerCheck before = CheckPcFile(path, true);
  const RepairOutcome outcome = RepairPcFile(path, false);
  std::vector<uint8_t> now;
  ReadWholeFile(path, now);
  if (!outcome.written) {
    if (now != image) std::abort();  // an unwritten repair changed the image
    return 0;
  }
  // Written: the image is what the repair planned, and no worse than before.
  const ContainerCheck after = CheckPcFile(path, true);
  if (after.report.Errors() != outcome.after.Errors()) std::abort();
  if (after.report.Errors() > before.report.Errors()) std::abort();
  for (const Finding& f : after.report.findings)
    if (f.code == FindingCode::BitmapClearButUsed || f.code == FindingCode::FdirDuplicateName ||
        f.code == FindingCode::FdirOutOfRange)
      std::abort();  // what repair always mends
  return 0;
}
