// LOCATION arguments of korvane-cli: a PC path, optionally followed by "::"
// and row names separated by "/", entered one after another as Enter would
// ("games.dsk::UTIL"). A PC path that names a file enters that file's row
// of its directory, so every container kind opens the way the pane opens it.
#pragma once

#include <string>

#include "catalog/pane.h"

namespace korvane::cli {

// Opens LOCATION in a fresh pane. Reports what went wrong and returns false.
bool OpenLocation(const std::string& location, PaneState& pane);

// The index of the row called `name`, or -1: the TI name ignoring case and
// trailing spaces (the PC name for rows of a PC directory); on a card's
// volume list also the source name ("VOL #003"); and "#N" for partition N
// of a partition list or volume N of a volume list, when no row carries
// that name itself.
int FindRow(const PaneState& pane, const std::string& name);

// FindRow, printing "no row <name> in <location>" to stderr when there is none.
int FindRowOrReport(const PaneState& pane, const std::string& name, const std::string& location);

}  // namespace korvane::cli
