// korvane-cli picture LOCATION NAME --mode tiartist|myart256|myart512|charset
// --png OUT: the bitmap a picture window would show, as a PNG file.
// --mode gif writes the GIF picture held in a DIS/FIX 128 file to OUT.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/location_arg.h"
#include "cli/png_writer.h"
#include "platform/reporter.h"
#include "viewers/gif_picture.h"
#include "viewers/pictures.h"

namespace korvane::cli {
namespace {

constexpr char kUsage[] =
    "picture LOCATION NAME --mode tiartist|myart256|myart512|charset|gif --png OUT [--title]";

int Usage() {
  std::fprintf(stderr, "usage: korvane-cli %s\n", kUsage);
  return 2;
}

int RunPicture(const std::vector<std::string>& args, const CommonOptions& options) {
  std::string mode, out;
  bool title = false;
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool value = options.HasValue(i, args.size());
    if (!options.IsOption(i, args[i])) positional.push_back(args[i]);
    else if (args[i] == "--mode" && value) mode = args[++i];
    else if ((args[i] == "--png" || args[i] == "--out") && value) out = args[++i];
    else if (args[i] == "--title") title = true;
    else return Usage();
  }
  if (positional.size() != 2 || out.empty()) return Usage();
  int pictureMode = 0;
  if (mode == "tiartist") pictureMode = kPictureTiArtist;
  else if (mode == "myart256") pictureMode = kPictureMyart256;
  else if (mode == "myart512") pictureMode = kPictureMyart512;
  else if (mode == "charset") pictureMode = kPictureCharset;
  else if (mode != "gif") return Usage();

  SetLastErrorCode(0);
  PaneState pane;
  if (!OpenLocation(positional[0], pane)) return 1;
  const int index = FindRowOrReport(pane, positional[1], positional[0]);
  if (index < 0) return 1;
  if (mode == "gif") return WriteGifFile(pane, pane.rows[static_cast<size_t>(index)], out) ? 0 : 1;

  if (pictureMode == kPictureCharset && pane.rows[static_cast<size_t>(index)].kind != kKindProgram) {
    std::fprintf(stderr, "ERROR: <%s> is not a PROGRAM file\n", positional[1].c_str());
    return 1;
  }
  Picture picture;
  switch (pictureMode) {
    case kPictureTiArtist: picture = ShowTiArtist(pane, index); break;
    case kPictureCharset: picture = ShowCharset(pane, index); break;
    default: picture = ShowMyart(pane, index, pictureMode); break;
  }
  if (!picture.ok) return 1;
  std::string error;
  if (!WritePng(picture.image, out, error)) {
    std::fprintf(stderr, "ERROR: cannot write <%s>: %s\n", out.c_str(), error.c_str());
    return 1;
  }
  if (title) std::fprintf(stderr, "%s\n", picture.title.c_str());
  return LastErrorCode() != 0 ? 1 : 0;
}

const Registration kPicture{{"picture", kUsage,
                             "draw a TI-Artist, MYART or character-set picture into a PNG file; "
                             "--mode gif writes the GIF held in a DIS/FIX 128 file",
                             RunPicture}};

}  // namespace
}  // namespace korvane::cli
