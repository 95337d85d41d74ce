// Where scratch files live and how they are named.
#pragma once

#include <string>

namespace korvane {

// The temporary directory: TMPDIR, then TMP, then TEMP, then /tmp.
std::string TempDirectory();

// The three scratch files, in the temporary directory.
std::string ScratchTiFile();       // "ti_tmp.$$$": a TI file exported for a view or conversion
std::string ScratchArchiveFile();  // "ti_arc.$$$": an archive exported from an image
std::string ScratchGifFile();      // "ti_pic.gif": a GIF picture for the external viewer

}  // namespace korvane
