// The copy command between a CF7A+ card's volume list (a card image, or a
// card in a drive as drive:B) and a PC directory: volumes go out as ".dsk"
// images named after the volume, DSK and PC99 images go onto volumes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "cli/command.h"

namespace korvane::cli {

struct CardCopyOptions {
  uint32_t volume = 1;  // --volume N: the first volume written
  bool volumeGiven = false;
  bool autoCopy = false;  // --auto: the next image goes onto the next volume by itself
};

// Takes "--volume N" and "--auto" (before the "--" that ended the options,
// as `common` tells) out of `args`. False (printed) for a --volume without a
// number.
bool TakeCardCopyOptions(std::vector<std::string>& args, const CommonOptions& common, CardCopyOptions& options);

// Whether either pane is a card's volume list.
bool IsCardCopy(const PaneState& source, const PaneState& dest);

// Copies the named rows (`names` empty: every initialized volume when copying
// out) between the panes opened from `sourceArg` and `destArg`. Returns the
// exit status.
int RunCardCopy(PaneState& source, PaneState& dest, const std::string& sourceArg, const std::string& destArg,
                const std::vector<std::string>& names, const CardCopyOptions& options);

}  // namespace korvane::cli
