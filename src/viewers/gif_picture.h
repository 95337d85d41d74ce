// GIF pictures kept inside DIS/FIX 128 files: recognised by their first
// bytes, written out to a PC file and handed to the external picture viewer
// the user names in the `picviewer` setting.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "catalog/pane.h"
#include "platform/byte_view.h"

namespace korvane {

// Whether data begins with "GIF" (case ignored).
bool IsGifData(ByteView firstBytes);

// Reads the first 256 bytes of the row's data: -1 when they cannot be read
// (reported), 0 when they begin with "GIF", 1 when they do not.
int GifTest(const PaneState& pane, const CatalogEntry& row);

// Writes the GIF held in a DIS/FIX 128 row to `outPath`: its level-3 count
// of 128-byte records, sectors in order. False after a reported failure
// (not a GIF, a sector that cannot be read, a file that cannot be written).
bool WriteGifFile(const PaneState& pane, const CatalogEntry& row, const std::string& outPath);

// The argument list of the viewer command: `picviewer` split at blanks
// (double quotes group words), then the picture's path.
std::vector<std::string> PictureViewerArguments(const std::string& picviewer, const std::string& path);

// Starts the viewer program with the picture's path, without a shell.
// Returns the process id, or -1 when there is no program to start or it
// cannot be started. The result is not otherwise examined; the caller
// collects the child's exit when it likes (waitpid with WNOHANG).
pid_t StartPictureViewer(const std::string& picviewer, const std::string& path);

struct GifShown {
  bool written = false;  // "ti_pic.gif" holds the picture
  pid_t viewer = -1;     // the started viewer, -1 when none
};

// Writes the row's GIF to the scratch file "ti_pic.gif" and starts the
// viewer named by `picviewer` on it. Nothing is started after a failure.
// The viewer is kept in the list below, whoever asked for it (Enter on the
// row, or the GIF command), so that its exit is collected.
GifShown ShowGif(const PaneState& pane, const CatalogEntry& row, const std::string& picviewer);

// The picture viewers ShowGif started and not yet collected. Ended ones are
// collected on the next ShowGif and by ReapPictureViewers, never waiting for
// one that still runs: an ended child nobody waits for stays a zombie.
const std::vector<pid_t>& StartedPictureViewers();
void ReapPictureViewers();

}  // namespace korvane
