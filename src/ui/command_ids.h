// The command identifiers of the menus, pop-up menus and toolbar. The
// numbers are the program's long-standing resource ids; the greying rules
// and the recent-directory items are keyed by them.
#pragma once

namespace korvane::ui {

enum CommandId : int {
  kCmdAbout = 40001,
  kCmdViewPicture = 40002,        // Ti Artist or GIF, F9
  kCmdViewHex = 40004,            // F4
  kCmdInfo = 40006,               // F2
  kCmdPc99ToV9t9 = 40008,
  kCmdTiToPc = 40009,             // Ctrl F6
  kCmdTifilesToV9t9 = 40010,
  kCmdV9t9ToTifiles = 40011,
  kCmdViewFile = 40012,           // F3
  kCmdOpenRow = 40013,            // Enter
  kCmdFeedFileList = 40015,
  kCmdPc99Layout = 40016,
  kCmdExit = 40017,
  kCmdBackupDrive = 40034,
  kCmdRestoreDrive = 40035,
  kCmdCreateImage = 40037,
  kCmdMark = 40038,
  kCmdUnmark = 40039,
  kCmdMarkAll = 40040,
  kCmdUnmarkAll = 40041,
  kCmdReadCardDrive = 40042,
  kCmdInitCardVolume = 40043,
  kCmdMakeDirectory = 40044,      // F7
  kCmdRename = 40045,             // F6
  kCmdDelete = 40046,             // Del
  kCmdHelp = 40049,
  kCmdOptions = 40050,
  kCmdCopy = 40051,               // F5
  kCmdSelectDirectory = 40052,
  kCmdPcToTi = 40053,             // Ctrl F6
  kCmdRecent1 = 40054,            // ... 40058
  kCmdRecent5 = 40058,
  kCmdViewCharset = 40059,        // Shift F9
  kCmdViewMyart256 = 40060,       // F8
  kCmdViewMyart512 = 40061,       // Shift F8
  kCmdReread = 40063,             // Ctrl R
  kCmdSwap = 40064,               // Ctrl U
  kCmdMountCardVolumes = 40065,
  kCmdAttributes = 40066,
  kCmdShowStructure = 40067,
  kCmdExtractAll = 40068,
  kCmdArcToImage = 40069,
  kCmdOpenOpposite = 40071,       // Ctrl Enter
  kCmdViewForth = 40080,          // Shift F3
  kCmdCheckImage = 40090,         // "Check image" (Tools and the container rows' pop-up)
  // Toolbar-only commands.
  kCmdGotoRoot = 1013,
  kCmdGotoUpper = 1014,
  kCmdExtractFile = 1011,         // the toolbar's "Extract file" button has no action
  kCmdToolView = 1010,            // the toolbar's view button: F3
};

}  // namespace korvane::ui
