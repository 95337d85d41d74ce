// A plain PC file turned into a TI file with a V9T9 header: text lines (or
// blocks of the file) become fixed or variable records, or the whole file
// becomes the memory image of a PROGRAM. The record layouts are those the
// TI -> PC conversion reads (ti_to_pc.h).
//
// Header written (V9T9 layout, all other bytes 0):
//   offset  fixed records            variable records           PROGRAM
//   00-09   TI name                  TI name                    TI name
//   0c      status flags             status flags               01h
//   0d      256 / L (low 8 bits)     255 / (L + 1), 1 for 255   0
//   0e-0f   sectors written (BE)     sectors written (BE)       ceil(size / 256)
//   10      offset after the last    offset of the FFh end      size mod 256
//           record, 0 when full      mark in the last sector
//   11      L                        L                          0
//   12-13   records, low byte first  sectors, low byte first    0
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fileops/conversion_settings.h"
#include "platform/byte_view.h"
#include "platform/pc_file.h"
#include "platform/progress.h"

namespace korvane {

inline constexpr size_t kMaxTextLine = 255;

// Bytes of the source file read one at a time with a one-byte push-back,
// from a PC file (buffered) or from memory.
class ByteStream {
 public:
  explicit ByteStream(PcFile& file) : file_(&file), buffer_(kBufferSize) {}
  explicit ByteStream(ByteView bytes) : memory_(bytes) {}

  // The next byte, or -1 at the end (or after a read failure, see Failed).
  int Get();
  // Gives back the byte just read.
  void Unget();
  // Up to `length` bytes; fewer at the end.
  size_t Read(uint8_t* out, size_t length);
  uint64_t Consumed() const { return consumed_; }
  bool Failed() const { return failed_; }

 private:
  static constexpr size_t kBufferSize = 65536;
  bool Fill();

  PcFile* file_ = nullptr;
  ByteView memory_;
  std::vector<uint8_t> buffer_;
  size_t bufferUsed_ = 0;
  size_t bufferAt_ = 0;
  uint64_t fileAt_ = 0;
  uint64_t consumed_ = 0;
  bool failed_ = false;
};

// One text line: at most 255 characters; a CR or LF ends it, with further
// copies of the same character kept and one of the other line-end character
// swallowed. Empty only at the end of the source.
std::string ReadTextLine(ByteStream& in);
// Applies a line method (1-3) to a line: at its first CR (else its first LF)
// the line is cut (1) or that character becomes CR (2) or LF (3); a line
// without a line end gets CR (2) or LF (3) appended.
void ApplyLineMethod(std::string& line, int method);

// What the dialog asks for.
struct PcTiChoice {
  std::string tiName;  // as entered: the PC file name of the result, too
  int type = kPcTiNoType;
  int recordLength = 0;  // 0: none selected
  int method = kPcTiSelect;
  bool dataHeader = false;
  std::array<std::string, 3> headerWords;  // hexadecimal texts as typed
};

// The control a refused choice puts the focus on.
enum class PcTiField { None, Name, Type, RecordLength, Method, HeaderWord1, HeaderWord2, HeaderWord3 };

struct PcTiCheck {
  std::string message;  // "" when the conversion can run
  PcTiField focus = PcTiField::None;
  std::array<uint16_t, 3> words{};  // the data-header words read from the texts
};

// The Convert button's tests, in order, with their exact messages.
PcTiCheck CheckPcTiChoice(const PcTiChoice& choice);

// "Convert PC file [NAME] to" (at most 30 characters of the PC name).
std::string PcTiDialogCaption(const std::string& pcName);
// The proposed TI-file name: the PC name up to its first dot, upper case,
// PC-safe, as the field takes it.
std::string PcTiProposedName(const std::string& pcName);
// What typing leaves of a TI-file name: blank " * . / : < > ? \ | are
// ignored, at most 10 characters.
std::string FilterTypedTiName(const std::string& text);
// What typing leaves of a data-header word: hexadecimal digits, at most 4.
std::string FilterTypedHexWord(const std::string& text);

// What a file type does to the other controls.
struct PcTiTypeRules {
  bool recordLengthEnabled = true;  // PROGRAM: the list loses its selection and is disabled
  bool methodEnabled = true;        // PROGRAM: set to binary and disabled
  bool dataHeaderEnabled = false;   // the check box (its fields follow its state)
};
PcTiTypeRules TypeRules(int type);

// The worker's job, from a choice that passed the checks.
struct PcTiJob {
  std::string tiName;
  int type = kPcTiNoType;
  int recordLength = 0;
  int method = kPcTiSelect;
  bool dataHeader = false;
  std::array<uint16_t, 3> words{};
};

// Converts the PC file `sourcePath` into the TI file `job.tiName` in
// `destDirectory`; an existing file there is replaced after the overwrite
// question. Errors are reported where they happen; returns whether the TI
// file was written completely (false with LastErrorCode 0: the user kept the
// existing file).
bool ConvertPcFileToTi(const std::string& sourcePath, const std::string& destDirectory, const PcTiJob& job,
                       Progress& progress);
// The same into the PC file `destPath`, replaced without a question (the
// scratch file "ti_tmp.$$$" when a converted file goes on into a disk image);
// the header's TI name still comes from `job.tiName`. Both stop between
// sectors once `progress` is cancelled and remove the unfinished file
// (false, with LastErrorCode 0).
bool ConvertPcFileToTiFile(const std::string& sourcePath, const std::string& destPath, const PcTiJob& job,
                           Progress& progress);

}  // namespace korvane
