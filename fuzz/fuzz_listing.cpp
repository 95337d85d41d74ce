// Any bytes, read as a TI file on the PC or as a floppy image, must be
// classified and listed without a crash, hang or read outside a buffer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "catalog/header.h"
#include "catalog/listing.h"
#include "catalog/location.h"
#include "platform/reporter.h"

namespace {

std::string ScratchDir() {
  static std::string dir = [] {
    char templ[] = "/tmp/korvane-fuzz-XXXXXX";
    return std::string(mkdtemp(templ));
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  // Header decoding straight from the bytes.
  CatalogEntry row;
  DecodeHeader(ByteView(data, size), "fuzz.tfi", true, row);
  ApplyClassic99(size, ByteView(data, size), row);

  // The same bytes as a file in a directory, and opened as an image.
  const std::string path = ScratchDir() + "/input.dsk";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  PaneState pane;
  pane.locationPath = ScratchDir();
  ReadLocation(pane);
  DirectoryListing(pane);

  PaneState image;
  image.locationPath = path;
  ReadLocation(image);
  DirectoryListing(image);
  for (int i = 0; i < image.RowCount(); ++i)
    if (image.rows[static_cast<size_t>(i)].kind == kKindSubdir) {
      PaneState copy = image;
      EnterRow(copy, i);
      DirectoryListing(copy);
    }
  return 0;
}
