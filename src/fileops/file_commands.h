// The file commands on the rows of a pane: copy to the other pane, delete,
// rename, create a directory or a new disk image, set the attributes of TI
// files kept as PC files. Each command has a check that refuses (reported,
// before anything is asked or written), the texts its dialog shows, and an
// engine that does the work row by row and re-reads the affected pane. The
// GUI's dialogs and korvane-cli's flags answer the same questions through
// the Reporter.
//
// A command acts on the marked rows of the pane, or on the cursor row when
// none is marked.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalog/pane.h"
#include "floppy/v9t9_write.h"
#include "platform/progress.h"
#include "platform/reporter.h"

namespace korvane {

// The rows a command acts on, in list order.
std::vector<int> CommandRows(const PaneState& pane);

// ---- The overwrite question -------------------------------------------------
// Asked with this caption and Buttons::YesNoCancel; the dialog offers Yes, No,
// All and Cancel, and Answer::All is a valid reply.
inline constexpr char kOverwriteCaption[] = "Overwrite file(s)";
// "%s <%s> allready exist. Overwrite?" with the kind text and the name.
std::string OverwriteText(const std::string& kindText, const std::string& name);

// State of one copy batch: set by All, cleared when a batch starts.
struct CopyBatch {
  bool overwriteAll = false;
  bool cancelled = false;  // the user answered Cancel
  // Asks the question unless All was chosen; an All answer sets the flag.
  Answer Ask(const std::string& kindText, const std::string& name);
};

// ---- Copy -------------------------------------------------------------------
// Refuses a copy from `source` to `dest` that makes no sense (reported).
bool CheckCopy(const PaneState& source, const PaneState& dest);
// The copy dialog's text ("Copy 3 TI files to", "Copy TI file <HELLO> to").
std::string CopyText(const PaneState& source, const PaneState& dest);

enum class CopyResult { Done, Stopped, NotAvailable };

// Turns a DOS row into a TI file in the scratch file "ti_tmp.$$$" (the PC to
// TI conversion); `converted` gets the attributes of the new file. Skipped
// goes on with the next row, Stop (the user cancelled, or a failure was
// reported) ends the batch.
enum class DosConversion { Converted, Skipped, Stop };
using DosConverter = std::function<DosConversion(const CatalogEntry& dosRow, CatalogEntry& converted)>;

// Runs the copy: into a floppy image or card volume row by row through Add
// file, else into a PC directory. Rows are unmarked as they are processed;
// Cancel or an error that stops the batch ends it. DOS rows go to an image
// only through `convertDos`. Copies to or from a card's volume list are
// not handled here (NotAvailable).
CopyResult CopyRows(PaneState& source, PaneState& dest, Progress& progress, const DosConverter& convertDos = {});

// Add file: copies one TI file row into the floppy image or card volume the
// destination pane shows. With no source pane the scratch file holds the
// file already. Returns 0 (done or skipped) or 2 (stop the batch); with
// `refresh` the destination is re-listed afterwards.
int AddFileToPane(Progress& progress, PaneState& dest, const PaneState* source, const CatalogEntry& row,
                  bool refresh, CopyBatch& batch);

// Copies one row into the PC directory of `dest`: 0 (done or skipped) or 2.
int CopyRowToDirectory(const PaneState& source, const PaneState& dest, const CatalogEntry& row, CopyBatch& batch);

// Locations whose files delete and rename change: PC directories, floppy
// images and card volumes. Archives, PC99 and hard-disk images and a card's
// volume list are read only.
bool AcceptsFileChanges(LocationType type);

// ---- Delete -----------------------------------------------------------------
bool CheckDelete(const PaneState& pane);
// "Do you really wish to delete 6 files?\n    A\n    B\n    C\n    D  ..."
std::string DeleteText(const PaneState& pane);
// Deletes the rows; returns how many were removed. The pane is re-read and
// its cursor goes back to the first row.
int DeleteRows(PaneState& pane, Progress& progress);

// ---- Rename -----------------------------------------------------------------
bool CheckRename(const PaneState& pane);
std::string RenameText(const CatalogEntry& row);   // "Rename <%s> to"
std::string RenameField(const CatalogEntry& row);  // what the field starts with
// What the field holds after `typed` was typed into it (ignored keys left
// out, cut at the field's length).
std::string FilterRenameInput(const CatalogEntry& row, const std::string& typed);
// Renames the cursor row to `newName` (the field's text). False when
// nothing was renamed (reported).
bool RenameRow(PaneState& pane, const std::string& newName);

// ---- Create directory -------------------------------------------------------
bool CheckCreateDirectory(const PaneState& pane);
std::string FilterDirectoryName(const std::string& typed);
bool CreateDirectoryInPane(PaneState& pane, const std::string& name);

// ---- Set attributes ---------------------------------------------------------
// Each check box: 0 clear the bit, 1 set it, 2 leave it.
enum class TriState { Clear = 0, Set = 1, Leave = 2 };
TriState NextTriState(TriState state);  // 0 -> 1 -> 2 -> 0

bool CheckSetAttributes(const PaneState& pane);
struct AttributeStates {
  TriState protect = TriState::Leave;  // status bit 08h, "Write protect"
  TriState archive = TriState::Leave;  // status bit 10h, "Archive"
};
// Both 2 with marks; else the cursor row's bits.
AttributeStates InitialAttributeStates(const PaneState& pane);
// The dialog text, or the "Sorry ..." text when no row fits.
std::string AttributeText(const PaneState& pane);
bool HasAttributeRows(const PaneState& pane);
// Applies the states to every TI file row; returns how many files changed.
int SetAttributes(PaneState& pane, AttributeStates states, Progress& progress);

// ---- Create image -----------------------------------------------------------
struct ImageChoice {
  const char* text;     // the dialog's choice
  const char* cliName;  // korvane-cli --geometry
  NewImageGeometry geometry;
};
const std::vector<ImageChoice>& ImageChoices();
inline constexpr size_t kDefaultImageChoice = 1;  // DSSD 40 tracks
std::string FilterVolumeLabel(const std::string& typed);
// Writes "<label>.dsk" into the pane's directory and re-reads the pane.
bool CreateImage(PaneState& pane, const std::string& label, const NewImageGeometry& geometry,
                 Progress& progress);

}  // namespace korvane
