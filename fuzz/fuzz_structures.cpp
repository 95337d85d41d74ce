// Any bytes, read as every kind of sector structure (floppy, card volume,
// hard disk, partition table, card volume list) and at a few numbers, must
// describe without a crash, hang or read outside a buffer; every line target
// is followed, so the sector-range views of odd chains are built too.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "harddisk/structure_view.h"
#include "platform/reporter.h"

namespace {

std::string ScratchFile() {
  static std::string path = [] {
    char templ[] = "/tmp/korvane-fuzz-XXXXXX";
    return std::string(mkdtemp(templ)) + "/image";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  static SilentReporter silent;
  InstallReporter(&silent);
  const std::string path = ScratchFile();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  for (StructureKind kind :
       {StructureKind::FloppyVib, StructureKind::FloppyFdir, StructureKind::FloppyFdr, StructureKind::HardVib,
        StructureKind::HardDdr, StructureKind::HardFdir, StructureKind::HardFdr,
        StructureKind::PartitionTable, StructureKind::CardVolumes}) {
    for (uint32_t number : {0u, 1u, 2u}) {
      for (uint32_t volume : {0u, 1u}) {
        const auto d = DescribeStructure(kind, {path, number + 1, number, volume ? 128u : 0u, volume});
        if (!d) continue;
        for (const auto& t : d->lineTargets)
          if (t && t->what == StructureTarget::What::SectorRange) (void)OpenTarget(*t);
        for (const StructureButton& b : d->buttons)
          if (b.enabled && b.target) (void)OpenTarget(*b.target);
      }
    }
  }
  return 0;
}
