// Any bytes, read as a TI file on the PC or as a floppy image, must be
// classified and listed without a crash, hang or read outside a buffer.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/header.h"
#include "catalog/listing.h"
#include "fileops/locations.h"
#include "platform/reporter.h"

namespace {

std::string ScratchDir() {
  static std::string dir = [] {
    char templ[] = "/tmp/korvane-fuzz-XXXXXX";
    return std::string(mkdtemp(templ));
  }();
  return dir;
}

// A small valid disk (VIB, FDIR with two entries, two FDRs, a sub-directory)
// that odd-numbered inputs are mixed into, so the fuzzer starts past the
// VIB check and reaches the file index, the FDRs and the chains.
std::vector<uint8_t> Template() {
  std::vector<uint8_t> t(6 * 256, 0);
  const char vib[] = "FUZZ      \x01\x68\x09DSK \x28\x01\x01";
  std::copy(vib, vib + 20, t.begin());
  const char sub[] = "SUB       \x00\x05";
  std::copy(sub, sub + 12, t.begin() + 20);
  t[56] = 0x3F;
  t[256 + 1] = 2;
  t[256 + 3] = 3;
  for (int f = 2; f <= 3; ++f) {
    const char fdr[] = "FILE      \x00\x00\x80\x03\x00\x01\x10\x50";
    std::copy(fdr, fdr + 18, t.begin() + f * 256);
    t[f * 256 + 28] = 4;  // one fragment at sector 4
  }
  t[5 * 256 + 1] = 2;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvane;
  // Header decoding straight from the bytes.
  CatalogEntry row;
  DecodeHeader(ByteView(data, size), "fuzz.tfi", true, row);
  ApplyClassic99(size, ByteView(data, size), row);

  // The same bytes as a file in a directory, and opened as an image.
  std::vector<uint8_t> bytes(data, data + size);
  if (size > 0 && (data[0] & 1)) {
    bytes = Template();
    for (size_t i = 1; i < size; ++i) bytes[(i - 1) % bytes.size()] ^= data[i];
  }
  const std::string path = ScratchDir() + "/input.dsk";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
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
