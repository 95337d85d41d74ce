// Where scratch files live and how they are named.
//
// The scratch files keep their fixed names, but each process has its own
// folder for them inside the temporary directory, made with mkdtemp (mode
// 0700, a name nobody can guess ahead). Two processes (the desktop program
// and a script) never overwrite each other's scratch file, and nobody else
// can plant a file or a symbolic link where Korvane is about to write. The
// folder is made on first use and removed with its files when the process
// exits.
#pragma once

#include <string>

namespace korvane {

// The temporary directory: TMPDIR, then TMP, then TEMP, then /tmp.
std::string TempDirectory();

// This process's private scratch folder, "korvane-XXXXXX" in the temporary
// directory. Made anew when it has gone (or is no longer private), and in a
// child started with fork. When it cannot be made, a path below /dev/null
// that no file can be opened at, so every use fails with the usual open
// error and nothing is written to a shared place.
std::string ScratchDirectory();

// The three scratch files, in the scratch folder.
std::string ScratchTiFile();       // "ti_tmp.$$$": a TI file exported for a view or conversion
std::string ScratchArchiveFile();  // "ti_arc.$$$": an archive exported from an image
std::string ScratchGifFile();      // "ti_pic.gif": a GIF picture for the external viewer

}  // namespace korvane
