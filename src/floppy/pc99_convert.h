// Turning PC99 track images into V9T9 sector images: the conversion of one
// image, and the command that converts the chosen rows of a pane into the
// directory shown by the other pane.
#pragma once

#include <string>

#include "catalog/pane.h"
#include "platform/progress.h"

namespace korvane {

// Writes the sectors of the PC99 image `imageRow` (kind 10 or 11, lying in
// `directory`) as a V9T9 image to `outputPath`, creating or truncating it.
// Refuses an output that is the image itself. Once the output is open the
// conversion counts as done: a sector that cannot be located is reported and
// ends the copy, and the partial output stays. False when it did not start.
bool ConvertPc99ToV9T9(const CatalogEntry& imageRow, const std::string& directory, const std::string& outputPath);

// The checks made before the dialog opens: the destination must show a PC
// directory (else "Can only convert PC99 images to a directory") other than
// the source's (else "Can't convert PC99 images to itself").
bool CheckPc99Conversion(const PaneState& source, const PaneState& destination);

// The dialog's text line: "Convert PC99 disk <%s> to" for the cursor row, or
// "Convert %u PC99 disks to" with the number of marked rows.
std::string Pc99ConversionText(const PaneState& source);

// Converts the marked rows of kind 10 or 11 in list order (each unmarked
// after its turn), or the cursor row when none is marked, into the
// destination directory under their own PC names. An existing output is
// overwritten only after the overwrite question ("All" holds for the rest of
// the run; "Cancel" stops it). A failed conversion stops the run. The
// destination pane is re-read after each image. Returns how many images
// were converted.
int RunPc99Conversion(PaneState& source, PaneState& destination, Progress& progress);

}  // namespace korvane
