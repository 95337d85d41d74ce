#include "catalog/errors.h"

#include <cstring>

namespace korvane {
namespace {

constexpr const char* kFormats[kErrorFormatCount] = {
    "Can't read file or directory <%s>",
    "Can't open file for read <%s>",
    "Can't open file for write <%s>",
    "Can't open file for read and write <%s>",
    "Can't read from file <%s>",
    "Can't write to file <%s>",
    "Can't read sector <%d> from <%s>",
    "Can't write sector <%d> to <%s>",
    "Disk error, filename <%s>\n, fileno <%d>, sector <%d>",
    "Can't read diskinfo from diskfile <%s>",
    "Can only extract files from a DSK file or an Archive",
    "Can't convert PC99 DSK-file to a TI99 DSK-file\nwith the same name in the same directory",
    "Can only convert TI-files to PC-files",
    "Not enough memory to create edit buffer",
    "Seek error in file <%s>",
    "No more viewers available",
    "Invalid filename <%s>",
    "Not an archive <%s>",
    "Can't unark arked archive, first extract <%s>",
    "Can't rename file <%s> to <%s>",
    "Can't delete file <%s>, error <%d>",
    "Not a GIF file <%s>",
    "Not a MYART file <%s>",
    "Can't read TI-Artist colortable <%s>",
    "Can't open TI disk drive <%c:>",
    "Can't read TI disk geometry <%c:>",
    "Sectorsize of TI disk not 512 bytes <%c:>",
    "Can't read sector <%d> from TI disk <%c:>, error <%d>",
    "Can't write sector <%d> to TI disk <%c:>, error <%d>",
    "Not enough capacity on TI disk <%c:> to restore image, error <%d>",
    "Seek error on TI disk <%s>",
    "DSK allready exist:\n<%s>\nOverwrite?",
    "DSK is not initialized",
    "DSK is full <%s>",
    "To many fragments for file <%s>",
    "File <%s> doesn't exist",
    "File <%s> allready exist",
    "Can't copy file <%s>\nto <%s>, error <%d>",
    "Can't copy files to itself",
    "Can't copy files to ARC, PC99DSK or HDIMG",
    "Can only copy TI files to a DSK image",
    "Can only copy DSK images to CF7A+ card",
    "Can only copy TI files, DSK or HD images to a directory",
    "Can only delete files from directories or DSK images",
    "Can't create a directory here",
    "Can't create directory <%s>, error <%d>",
    "Can't delete directory <%s>, error <%d>",
    "Can't rename a file or directory here",
    "Can't rename file or directory <%s>, error <%d>",
    "Can't write PC files to ARC, DSK, PC99DSK, HDIMG or CF7A+ card",
    "Can't convert PC99 images to itself",
    "Can only convert PC99 images to a directory",
    "Can only extract files to a directory",
    "Can only convert ARC files to a directory",
    "Can only convert V9T9, TIFILES or CLASSIC99 files in a directory",
    "Can only set attributes of files in a directory",
    "Can't lock device <%c:> for writing sectors",
    "Unknown error <%d>",
};

}  // namespace

const char* ErrorFormat(int code) {
  if (code < 0 || code >= kErrorFormatCount) return kFormats[kErrUnknown];
  return kFormats[code];
}

std::string SystemErrorText(int systemError) {
  char buffer[256];
  // GNU strerror_r returns the text, which may or may not live in buffer.
  const char* text = strerror_r(systemError, buffer, sizeof buffer);
  std::string result = text ? text : "";
  for (char& c : result)
    if (c == '\r' || c == '\n') c = ' ';
  return result;
}

void ReportWriteRefused(const std::string& path, const std::string& finding) {
  SetLastErrorCode(kErrDiskError);
  CurrentReporter().ShowError(detail::Limit(fmt::sprintf(kWriteRefusedFormat, path, finding), kMaxErrorText));
}

namespace detail {
std::string Limit(std::string text, size_t max) {
  if (text.size() > max) text.resize(max);
  return text;
}
}  // namespace detail

}  // namespace korvane
