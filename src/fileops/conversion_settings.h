// The two conversion sections of the settings file, kept by the user and only
// read here, when a conversion starts:
//
//   [Ti_Pc_File_Conversion]          TI file -> PC file
//   DIS/VAR80=txt,AddCrLf            type name (7 characters), record length;
//   PROGRAM=bin                      value: extension[,method]
//
//   [Pc_Ti_File_Conversion]          PC file -> TI file
//   .txt=dis/var80, removecrandorlf  extension with its dot;
//                                    value: type (7 characters) and record
//                                    length[, method]
//
// Both sections are read raw, line by line, the way the profile functions
// hand out a whole section; type names, extensions and method keys are
// compared without regard to case.
#pragma once

#include <string>
#include <vector>

#include "platform/ini_file.h"

namespace korvane {

inline constexpr const char* kTiPcSection = "Ti_Pc_File_Conversion";
inline constexpr const char* kPcTiSection = "Pc_Ti_File_Conversion";
// The settings file, in the current directory.
inline constexpr const char* kSettingsFileName = "Korvane.ini";

// TI file -> PC file methods; the code is the position in the dialog's list.
enum TiPcMethod : int {
  kTiPcSelect = 0,  // "--SELECT--": not accepted
  kTiPcAddCrLf = 1, // record data, then CR LF
  kTiPcAddLf = 2,   // record data, then LF
  kTiPcBinary = 3,  // record data only
};
inline constexpr int kTiPcMethodCount = 4;
const char* TiPcMethodKey(int method);   // "select", "AddCrLf", "AddLf", "binary"
const char* TiPcMethodText(int method);  // the text the dialog lists

// PC file -> TI file types; the index is the position in the dialog's list.
enum PcTiType : int {
  kPcTiNoType = 0,  // "--SELECT--"
  kPcTiDisFix = 1,
  kPcTiDisVar = 2,
  kPcTiIntFix = 3,
  kPcTiIntVar = 4,
  kPcTiProgram = 5,
};
inline constexpr int kPcTiTypeCount = 6;
const char* PcTiTypeKey(int type);     // "dis/fix" ... "program", "" for none
const char* PcTiTypeText(int type);    // "--SELECT--", "DIS/FIX" ... "PROGRAM"
uint8_t PcTiStatusFlags(int type);     // 00h, 80h, 02h, 82h, 01h

// PC file -> TI file methods.
enum PcTiMethod : int {
  kPcTiSelect = 0,       // "--SELECT--": not accepted
  kPcTiRemoveCrLf = 1,   // the line end and anything after it are dropped
  kPcTiToCr = 2,         // the line end becomes CR
  kPcTiToLf = 3,         // the line end becomes LF
  kPcTiBinary = 4,       // no lines: blocks of the file
};
inline constexpr int kPcTiMethodCount = 5;
const char* PcTiMethodKey(int method);   // "select", "removecrandorlf", ...
const char* PcTiMethodText(int method);  // the text the dialog lists

// The text of the record length list: "--SELECT--" for 0, else " n".
std::string RecordLengthText(int recordLength);

// The lines of one section as the profile functions return them ("key=value").
// A missing file or section gives no lines.
std::vector<std::string> ReadConversionSection(const IniFile& ini, const char* section);
std::vector<std::string> ReadConversionSection(const std::string& iniPath, const char* section);

// What the TI -> PC dialog proposes for a row.
struct TiPcDefaults {
  int method = kTiPcSelect;
  std::string extension;  // "" or a dot and up to four characters
};

// The first line whose key names the row's type (kind 1-5) and, but for
// PROGRAM, its record length (compared modulo 256) gives the extension and
// the method. A PROGRAM row that matches is binary unless the line names
// another method.
TiPcDefaults LookupTiPcDefaults(const std::vector<std::string>& lines, int kind, int recordLength);

// What the PC -> TI dialog proposes for a PC file.
struct PcTiDefaults {
  int type = kPcTiNoType;
  int recordLength = 0;  // 1-255, 0 when none
  int method = kPcTiSelect;
};

// The first line whose key equals `extension` (with its dot, case ignored).
PcTiDefaults LookupPcTiDefaults(const std::vector<std::string>& lines, const std::string& extension);

// The extension of a PC file name with its dot ("" when there is none), in
// lower case, as the PC -> TI look-up takes it.
std::string PcExtension(const std::string& pcName);

}  // namespace korvane
