// A pane inside a CF7A+ card image: its volume list (LocationType 6) and
// the files of one volume (LocationType 7).
//
// The pane keeps the image path as its location path at container level 1,
// so that leaving the volume list cuts it off again as for any image. In a
// volume it keeps the volume row as its container (the volume's first card
// sector is what writes into the volume are placed by) and the volume's TI
// name, in PC form, as its inner name.
#pragma once

#include "catalog/pane.h"

namespace korvane {

// Opens a card image row (kind 15) of a PC directory: lists its volumes.
bool EnterCardImage(PaneState& pane, const CatalogEntry& row);

// Opens a volume row (kind 16) of a card image's volume list. A volume that
// was never initialized is refused with "DSK is not initialized" and the
// pane stays on the list.
bool EnterCardImageVolume(PaneState& pane, const CatalogEntry& row);

// From a volume back to the volume list; false when the pane shows no volume.
bool LeaveCardImageVolume(PaneState& pane);

// Reads the volume list or the volume again.
bool RefreshCardImage(PaneState& pane);

}  // namespace korvane
