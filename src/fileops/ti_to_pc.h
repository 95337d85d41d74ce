// A TI file's records turned into a plain PC file: text lines ended with
// CR LF or LF, or the bare record data.
//
// Record layouts inside the 256-byte data sectors:
//   fixed (DIS/FIX, INT/FIX)     records of exactly record-length bytes packed
//                                from byte 0, records-per-sector of them; the
//                                rest of the sector is unused. The level-3
//                                count is the number of records in the file.
//   variable (DIS/VAR, INT/VAR)  length byte n, n data bytes, ...; FFh after
//                                the last record of the sector. A record never
//                                spans two sectors. The level-3 count is the
//                                number of sectors in use. A record of 255
//                                bytes fills its sector: its length byte FFh
//                                at offset 0 is the only FFh that is no end
//                                mark.
//   PROGRAM                      a memory image filling the sectors in order.
// DISPLAY and INTERNAL differ only in the status flag: the record bytes are
// copied alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "catalog/pane.h"
#include "fileops/conversion_settings.h"
#include "platform/byte_view.h"
#include "platform/progress.h"

namespace korvane {

// The most one data sector can turn into: 256 fixed records of one byte,
// each followed by CR LF (256 * 3), or 256 empty variable records (256 * 2).
inline constexpr size_t kMaxConvertedSector = 3 * 256;

// Converts the data sectors of one file in order. Fixed records are counted
// across sectors and end at the level-3 count; a sector never yields records
// that would reach past its end, whatever its header says.
class TiRecordConverter {
 public:
  TiRecordConverter(const CatalogEntry& row, int method);

  // The converted bytes of the next data sector (at most 256 bytes are
  // looked at; a shorter view is read as if padded with zeros).
  ByteView ConvertSector(ByteView sector);
  // Fixed records: the level-3 count has been reached; nothing more follows.
  bool Finished() const;

 private:
  void Put(ByteView data);
  void PutLineEnd();

  uint16_t kind_;
  int method_;
  unsigned recordLength_;
  unsigned recordsPerSector_;
  unsigned level3_;
  unsigned recordNumber_ = 0;
  std::array<uint8_t, kMaxConvertedSector> out_{};
  size_t used_ = 0;
};

// The dialog.
// "Convert TI file [NAME] to" with the PC-safe TI name (at most 10 characters).
std::string TiPcDialogCaption(const CatalogEntry& row);
// The proposed PC file name: the PC-safe TI name and the extension, lower case.
std::string TiPcProposedName(const CatalogEntry& row, const TiPcDefaults& defaults);
// What typing leaves of a name: blank " * / : < > ? \ | are ignored and the
// field holds at most 80 characters.
std::string FilterTypedPcName(const std::string& text);
// The message the Convert button shows for a choice the dialog does not take
// ("Please enter a filename", "Please select a conversion methode"), or ""
// when the conversion can run.
std::string CheckTiPcChoice(const std::string& pcName, int method);

// Which conversion the convert command opens for a row, after its checks:
// a DOS row converts PC -> TI, a TI file TI -> PC; anything else is refused
// with error 12, and a destination that is not a PC directory with error 49.
enum class ConversionKind { None, TiToPc, PcToTi };
ConversionKind StartConversion(const PaneState& destination, const CatalogEntry& row);

enum class ConvertResult { Converted, NotConverted /* the user kept the existing file */, Failed };

// The worker: converts the TI file `row` kept as the PC file `sourcePath`
// (128-byte header, then data sectors) into `pcName` in `destDirectory` with
// `method`. The layout comes from the row's attributes. An existing
// destination is replaced after the overwrite question. Errors are reported
// where they happen (the PC file keeps what was written before a read or
// write failure); a cancelled run is NotConverted and leaves no file.
ConvertResult ConvertTiFileToPc(const std::string& sourcePath, const CatalogEntry& row,
                                const std::string& destDirectory, const std::string& pcName, int method,
                                Progress& progress);

}  // namespace korvane
