#include "ui/menu_rules.h"

#include <strings.h>

#include <functional>

#include "fileops/container_kinds.h"
#include "ui/command_ids.h"
#include "ui/commands_check.h"

namespace korvane::ui {
namespace {

bool IsDisFix128(const CatalogEntry& r) { return r.kind == kKindDisFix && r.recordLength == 128; }
bool IsPc99(const CatalogEntry& r) { return r.kind == kKindPc99Sd || r.kind == kKindPc99Dd; }

// A TI file kept on the PC (not read from a container, not an archive
// member) whose header is of the given kinds.
bool IsPcTiFileWithHeader(const CatalogEntry& r, bool tifilesOrClassic) {
  if (!IsTiFileKind(r.kind) || r.containerKind != 0 || r.archiveMember) return false;
  return tifilesOrClassic ? (r.headerKind == kHeaderTifiles || r.headerKind == kHeaderClassic99)
                          : r.headerKind == kHeaderV9t9;
}

bool HasMarks(const PaneModel& pane) { return ComputeTotals(pane.state).markedRows > 0; }

// The marked rows when the pane has marks, else only the cursor row.
bool AnyConsidered(const PaneModel& pane, const std::function<bool(const CatalogEntry&)>& test) {
  const PaneState& p = pane.state;
  if (HasMarks(pane)) {
    for (const CatalogEntry& r : p.rows)
      if (r.marked && test(r)) return true;
    return false;
  }
  return p.cursor >= 0 && p.cursor < p.RowCount() && test(p.rows[static_cast<size_t>(p.cursor)]);
}

bool CopyAllowed(const PaneModel& source, const PaneModel& target) {
  const PaneState& s = source.state;
  if (target.state.locationType == kLocPcDirectory &&
      strcasecmp(s.locationPath.c_str(), target.state.locationPath.c_str()) == 0)
    return false;
  // The rows the destination takes, as the copy's own check decides.
  const ContainerKind& into = ContainerOfLocation(target.state.locationType);
  return into.takesCopyOf && AnyConsidered(source, [&](const CatalogEntry& r) { return into.takesCopyOf(r.kind); });
}

// Locations the file commands may change: not a card volume list, PC99
// image, hard disk or archive.
bool WritableForDeleteOrRename(LocationType t) { return ContainerOfLocation(t).takesFileChanges; }

// A card's volume list (in a drive or a card image).
bool ListsCardVolumes(LocationType t) { return ContainerOfLocation(t).volumeList; }

}  // namespace

bool RuleEnables(int id, const PaneModel& active, const PaneModel& other) {
  const PaneState& p = active.state;
  const LocationType t = p.locationType;
  const bool hasCursorRow = p.cursor >= 0 && p.cursor < p.RowCount();

  switch (id) {
    case kCmdInfo: case kCmdOpenRow: case kCmdViewFile: case kCmdViewForth: case kCmdViewHex:
    case kCmdViewMyart256: case kCmdViewMyart512: case kCmdViewPicture: case kCmdViewCharset:
    case kCmdTiToPc: case kCmdPcToTi: case kCmdTifilesToV9t9: case kCmdV9t9ToTifiles: case kCmdPc99ToV9t9:
    case kCmdPc99Layout: case kCmdExtractAll: case kCmdArcToImage: case kCmdFeedFileList: case kCmdMark:
    case kCmdUnmark: case kCmdMarkAll: case kCmdUnmarkAll: case kCmdShowStructure: case kCmdInitCardVolume:
    case kCmdMountCardVolumes: case kCmdCopy: case kCmdRename: case kCmdDelete: case kCmdAttributes:
      if (!active.hasRows) return false;
      break;
    default:
      break;
  }

  static const CatalogEntry kNoRow;
  const CatalogEntry& r = hasCursorRow ? p.rows[static_cast<size_t>(p.cursor)] : kNoRow;
  const int k = hasCursorRow ? r.kind : -1;

  switch (id) {
    case kCmdShowStructure:
      return k == kKindDsk || k == kKindPtImg || k == kKindHdImg || k == kKindCardImg;
    case kCmdInfo:
    case kCmdViewFile:
      return true;
    case kCmdOpenRow:
      return k == kKindSubdir || k == kKindUprdir || k == kKindDsk || k == kKindPc99Sd || k == kKindPc99Dd ||
             k == kKindPtImg || k == kKindHdImg || k == kKindCardImg ||
             (hasCursorRow && (r.kind == kKindDisFix || r.kind == kKindIntFix) && r.recordLength == 128);
    case kCmdPc99ToV9t9:
      return AnyConsidered(active, IsPc99);
    case kCmdExtractAll:
      return AnyConsidered(active, [](const CatalogEntry& e) { return IsFloppyImageKind(e.kind) || IsArchiveFile(e); });
    case kCmdArcToImage:
      return AnyConsidered(active, IsArchiveFile);
    case kCmdTifilesToV9t9:
      return AnyConsidered(active, [](const CatalogEntry& e) { return IsPcTiFileWithHeader(e, true); });
    case kCmdV9t9ToTifiles:
      return AnyConsidered(active, [](const CatalogEntry& e) { return IsPcTiFileWithHeader(e, false); });
    case kCmdPcToTi:
      return k == kKindDos;
    case kCmdTiToPc:
    case kCmdViewHex:
      return IsTiFileKind(k);
    case kCmdAttributes:
      return t == kLocPcDirectory;
    case kCmdViewMyart256:
    case kCmdViewMyart512:
    case kCmdViewForth:
      return hasCursorRow && IsDisFix128(r);
    case kCmdViewPicture:
      return k == kKindProgram || (hasCursorRow && IsDisFix128(r));
    case kCmdViewCharset:
      return k == kKindProgram;
    case kCmdPc99Layout:
      return hasCursorRow && IsPc99(r);
    case kCmdCreateImage:
    case kCmdMakeDirectory:
      return t == kLocPcDirectory;
    case kCmdInitCardVolume:
      return ListsCardVolumes(t) && p.cursor != 0;
    case kCmdMountCardVolumes:
      return k == kKindCardImg || ListsCardVolumes(t);
    case kCmdDelete:
    case kCmdRename:
      return WritableForDeleteOrRename(t);
    case kCmdCopy:
      return CopyAllowed(active, other);
    case kCmdCheckImage:
      return CheckImageEnabled(active);
    default:
      return true;
  }
}

bool CommandBuilt(int id) {
  switch (id) {
    case kCmdOpenRow: case kCmdOpenOpposite: case kCmdReread: case kCmdSwap: case kCmdMark: case kCmdUnmark:
    case kCmdMarkAll: case kCmdUnmarkAll: case kCmdSelectDirectory: case kCmdOptions: case kCmdHelp:
    case kCmdAbout: case kCmdExit: case kCmdGotoRoot: case kCmdGotoUpper: case kCmdExtractFile: case kCmdToolView:
    case kCmdCopy: case kCmdDelete: case kCmdRename: case kCmdMakeDirectory: case kCmdAttributes: case kCmdCreateImage:
    case kCmdTifilesToV9t9: case kCmdV9t9ToTifiles: case kCmdPc99ToV9t9: case kCmdExtractAll: case kCmdArcToImage:
    case kCmdTiToPc: case kCmdPcToTi:
    case kCmdViewFile: case kCmdViewForth: case kCmdViewHex: case kCmdViewMyart256: case kCmdViewMyart512:
    case kCmdViewPicture: case kCmdViewCharset: case kCmdFeedFileList: case kCmdPc99Layout: case kCmdInfo:
    case kCmdShowStructure: case kCmdReadCardDrive: case kCmdInitCardVolume: case kCmdMountCardVolumes:
    case kCmdBackupDrive: case kCmdRestoreDrive: case kCmdCheckImage:
      return true;
    default:
      return id >= kCmdRecent1 && id <= kCmdRecent5;
  }
}

}  // namespace korvane::ui
