// The one table of error messages, and the three ways of reporting through
// the installed Reporter. Callers pass a code and the values for the format's
// placeholders; they never build error texts of their own.
#pragma once

#include <fmt/printf.h>

#include <string>

#include "platform/reporter.h"

namespace korvane {

enum ErrorCode : int {
  kErrReadDir = 0,            // Can't read file or directory <%s>
  kErrOpenRead = 1,           // Can't open file for read <%s>
  kErrOpenWrite = 2,          // Can't open file for write <%s>
  kErrOpenReadWrite = 3,      // Can't open file for read and write <%s>
  kErrReadFile = 4,           // Can't read from file <%s>
  kErrWriteFile = 5,          // Can't write to file <%s>
  kErrReadSector = 6,         // Can't read sector <%d> from <%s>
  kErrWriteSector = 7,        // Can't write sector <%d> to <%s>
  kErrDiskError = 8,          // Disk error, filename <%s>\n, fileno <%d>, sector <%d>
  kErrDiskInfo = 9,           // Can't read diskinfo from diskfile <%s>
  kErrExtractOnly = 10,
  kErrPc99SameName = 11,
  kErrTiToPcOnly = 12,
  kErrNoMemory = 13,          // Not enough memory to create edit buffer
  kErrSeek = 14,              // Seek error in file <%s>
  kErrNoViewers = 15,
  kErrInvalidFilename = 16,
  kErrNotArchive = 17,
  kErrArkedArchive = 18,
  kErrRename = 19,
  kErrDelete = 20,
  kErrNotGif = 21,
  kErrNotMyart = 22,
  kErrTiArtistColors = 23,
  kErrOpenDrive = 24,
  kErrDriveGeometry = 25,
  kErrDriveSectorSize = 26,
  kErrDriveRead = 27,
  kErrDriveWrite = 28,
  kErrDriveCapacity = 29,
  kErrDriveSeek = 30,
  kErrDskExists = 31,
  kErrDskNotInitialized = 32,
  kErrDskFull = 33,
  kErrTooManyFragments = 34,
  kErrFileMissing = 35,
  kErrFileExists = 36,
  kErrCopyFile = 37,
  kErrCopyToItself = 38,
  kErrCopyToArc = 39,
  kErrCopyTiOnlyToDsk = 40,
  kErrCopyDskOnlyToCard = 41,
  kErrCopyToDirOnly = 42,
  kErrDeleteOnly = 43,
  kErrNoCreateDirHere = 44,
  kErrCreateDir = 45,
  kErrDeleteDir = 46,
  kErrNoRenameHere = 47,
  kErrRenameEntry = 48,
  kErrNoPcFilesHere = 49,
  kErrPc99ToItself = 50,
  kErrPc99ToDirOnly = 51,
  kErrExtractToDirOnly = 52,
  kErrArcToDirOnly = 53,
  kErrConvertOnlyInDir = 54,
  kErrAttribOnlyInDir = 55,
  kErrLockDevice = 56,
  kErrUnknown = 57,           // Unknown error <%d>
};

inline constexpr int kErrorFormatCount = 58;

// Longest texts the reporters show: longer messages are cut.
inline constexpr size_t kMaxErrorText = 511;
inline constexpr size_t kMaxSystemErrorText = 4095;

// The format of a code; codes out of the table give the unknown-error format.
const char* ErrorFormat(int code);

// The system's own text for an errno value (no line breaks).
std::string SystemErrorText(int systemError);

namespace detail {
template <typename... Args>
std::string FormatError(int code, const Args&... args) {
  try {
    if (code < 0 || code >= kErrUnknown) return fmt::sprintf(ErrorFormat(kErrUnknown), code);
    return fmt::sprintf(ErrorFormat(code), args...);
  } catch (const std::exception&) {
    // A caller passed values that do not fit the format: show the bare format
    // rather than letting an exception cross into the caller.
    return ErrorFormat(code);
  }
}
std::string Limit(std::string text, size_t max);
}  // namespace detail

// Formats the message of a code with its values, as the reporters show it.
template <typename... Args>
std::string ErrorText(int code, const Args&... args) {
  return detail::Limit(detail::FormatError(code, args...), kMaxErrorText);
}

// Report error: stores the code in LastErrorCode and shows the message.
template <typename... Args>
void ReportError(int code, const Args&... args) {
  SetLastErrorCode(code);
  CurrentReporter().ShowError(ErrorText(code, args...));
}

// Report system error: as ReportError, with the system's text for
// `systemError` appended after two line breaks when it is not 0.
template <typename... Args>
void ReportSystemError(int systemError, int code, const Args&... args) {
  SetLastErrorCode(code);
  std::string text = detail::FormatError(code, args...);
  if (systemError != 0) text += "\n\n" + SystemErrorText(systemError);
  CurrentReporter().ShowError(detail::Limit(std::move(text), kMaxSystemErrorText));
}

// A write refused because the image it would change is damaged. This text
// stands outside the numbered table; the code stored is 8 ("Disk error").
inline constexpr char kWriteRefusedFormat[] =
    "Nothing was written to <%s>, its structures are damaged:\n%s\nRepair it first: korvane-cli check --repair";
void ReportWriteRefused(const std::string& path, const std::string& finding);

// Ask question: the message with Yes, No and Cancel (caption "ERROR").
template <typename... Args>
Answer AskQuestion(int code, const Args&... args) {
  SetLastErrorCode(code);
  return CurrentReporter().Ask("ERROR", ErrorText(code, args...), Buttons::YesNoCancel);
}

}  // namespace korvane
