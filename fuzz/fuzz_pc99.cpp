// Any bytes as a PC99 track image: locating every sector, listing the image
// and reading its layout end without a crash or a read outside the record
// buffer. The first byte chooses the density; inputs whose second byte is 0
// get a valid first record with a VIB, so that the listing gets going.
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "floppy/pc99.h"
#include "floppy/pc99_layout.h"
#include "floppy/pc99_lister.h"
#include "platform/pc_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  if (size == 0) return 0;
  const uint16_t kind = data[0] & 1 ? kKindPc99Dd : kKindPc99Sd;
  const Pc99TrackLayout& layout = Pc99Layout(kind);
  std::vector<uint8_t> bytes(data + 1, data + size);
  if (bytes.size() > 1 && bytes[0] == 0) {
    bytes.resize(std::max<size_t>(bytes.size(), layout.firstRecord + layout.recordLength), 0);
    const size_t r = layout.firstRecord;
    bytes[r + layout.idMark] = 0xFE;
    bytes[r + layout.idSector] = 0;
    const size_t vib = r + layout.data;
    bytes[vib + 13] = 'D', bytes[vib + 14] = 'S', bytes[vib + 15] = 'K';
    if (bytes[vib + 18] > 2) bytes[vib + 18] = 2;
    if (bytes[vib + 19] > 3) bytes[vib + 19] = 3;
  }
  static const std::string path = "/tmp/fuzz_pc99_" + std::to_string(getpid()) + ".pc99";
  if (!WriteWholeFile(path, bytes)) return 0;

  PcFile file;
  if (file.Open(path, PcFile::Mode::Read)) {
    Pc99Geometry g = DefaultPc99Geometry(kind);
    g.tracksPerSide = static_cast<uint16_t>(size % 90);
    g.sectorsPerTrack = static_cast<uint16_t>(size % 30);
    Pc99Record record;
    for (uint32_t s = 0; s < 64; ++s) LocatePc99Sector(g, file, s * 37, record, nullptr);
  }
  PaneState pane;
  ListPc99Image(pane, path, kind, true);
  CatalogEntry row;
  row.kind = kind;
  row.sourceName = path.substr(5);
  std::string text;
  Pc99LayoutText(row, "/tmp", text);
  return 0;
}
