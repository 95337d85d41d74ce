// Hard-disk and card images, random or damaged, through the check: it must
// end (the tree walk is capped, loops are cut) and never crash. Damaged card
// images also go through the volume repair, which must leave the card as it
// was, or change only the damaged volume into what the repair planned.
//
// Input: the first byte chooses what the rest is.
//   0  the bytes as a whole image file (plain, or a partition table when
//      they carry its name)
//   1  damage over a sound hard disk with a tree: (sector, offset, byte)
//   2  damage over a sound partitioned disk
//   3  damage over a sound card image: (volume sector, offset, byte)
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/container_check.h"
#include "harddisk/cf7_check.h"
#include "harddisk/hd_check.h"
#include "platform/pc_file.h"
#include "support/card_builder.h"
#include "support/hd_builder.h"

namespace {

using namespace korvane;
using test::Bytes;

std::string ScratchDir() {
  static std::string dir = [] {
    char templ[] = "/tmp/korvane-fuzz-hd-check-XXXXXX";
    return std::string(mkdtemp(templ));
  }();
  return dir;
}

const Bytes& SoundHardDisk() {
  static const Bytes image = [] {
    test::HardDiskBuilder b("FUZZ", 400);
    b.Root().Add(test::DisVarFile("ALPHA", 80, {"ONE", "TWO"}));
    b.Root().Add(test::ProgramFile("BETA", Bytes(700, 1)));
    test::HdDir& tools = b.Root().AddDir("TOOLS");
    tools.Add(test::ProgramFile("EDIT", Bytes(900, 2)));
    tools.AddDir("TEXT").Add(test::DisVarFile("NOTES", 80, {"A"}));
    return b.Build().bytes;
  }();
  return image;
}

const Bytes& SoundPartitioned() {
  static const Bytes image = [] {
    const uint32_t s = static_cast<uint32_t>(SoundHardDisk().size() / 512);
    return test::PartitionedImage(1 + 2 * s, {{1, SoundHardDisk()}, {1 + s, SoundHardDisk()}});
  }();
  return image;
}

const Bytes& SoundCard() {
  static const Bytes image = [] {
    test::CardLayout layout;
    layout.volumes.push_back(test::DiskBuilder("ONE", 1600, 20, 40, 2, 1)
                                 .Add(test::DisVarFile("README", 80, {"HI"}))
                                 .Add(test::ProgramFile("GAME", Bytes(900, 3)))
                                 .Build());
    layout.volumes.push_back({});
    layout.mount = true;
    layout.mounted = {1, 2, 0};
    return test::CardImageFile("FUZZ", layout);
  }();
  return image;
}

bool Write(const std::string& path, const Bytes& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return true;
}

// Lays (sector, offset, byte) triples over `image`, sectors counted from
// `base` bytes and limited to `sectors` (where the structures live).
void Damage(Bytes& image, const uint8_t* data, size_t size, size_t base, size_t sectors) {
  for (size_t i = 0; i + 2 < size; i += 3) {
    const size_t at = base + (data[i] % sectors) * 256 + data[i + 1];
    if (at < image.size()) image[at] = data[i + 2];
  }
}

void CheckFile(const std::string& path) {
  PcFile file;
  if (!file.Open(path, PcFile::Mode::Read)) return;
  const int64_t size = file.Size();
  CheckReport report;
  CheckHardDiskImage(file, size > 0 ? static_cast<uint64_t>(size) : 0, report);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string dir = ScratchDir();
  const uint8_t mode = data[0] % 4;
  ++data, --size;
  if (mode == 0) {
    const std::string path = dir + "/input.hd";
    if (!Write(path, Bytes(data, data + size))) return 0;
    CheckFile(path);
    CheckPcFile(path, true);
    return 0;
  }
  if (mode == 1 || mode == 2) {
    Bytes image = mode == 1 ? SoundHardDisk() : SoundPartitioned();
    // The structures of the volume(s): VIB, bitmap, index and records lie
    // in the first 90 sectors of each volume.
    Damage(image, data, size, mode == 1 ? 0 : 512, mode == 1 ? 90 : 256);
    const std::string path = dir + "/input.hd";
    if (!Write(path, image)) return 0;
    CheckFile(path);
    CheckPcFile(path, true);
    return 0;
  }
  Bytes image = SoundCard();
  // Header and the first 40 sectors of volume 1, where its VIB, index and
  // FDRs lie.
  for (size_t i = 0; i + 2 < size; i += 3) {
    if (data[i] == 0xFF) {
      image[data[i + 1] % 128] = data[i + 2];
      continue;
    }
    const size_t at = 128 + (data[i] % 40) * 256 + data[i + 1];
    image[at] = data[i + 2];
  }
  const std::string path = dir + "/input.cf7";
  if (!Write(path, image)) return 0;
  unlink((path + ".bak").c_str());
  CheckPcFile(path, true);
  const RepairOutcome outcome = RepairPcFile(path, false);
  std::vector<uint8_t> now;
  ReadWholeFile(path, now);
  if (!outcome.written) {
    if (now != image) std::abort();  // an unwritten repair changed the card
    return 0;
  }
  // Written: the card is what the repair planned, and only volume 1 (the
  // one damaged) changed; the header with its mount record is as it was.
  const ContainerCheck after = CheckPcFile(path, true);
  if (after.report.Errors() != outcome.after.Errors()) std::abort();
  if (now.size() != image.size() || !std::equal(now.begin(), now.begin() + 128, image.begin())) std::abort();
  const size_t volume2 = 128 + 1600 * 256;
  if (!std::equal(now.begin() + volume2, now.end(), image.begin() + volume2)) std::abort();
  return 0;
}
