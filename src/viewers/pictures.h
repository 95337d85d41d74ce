// TI picture files drawn into an RgbImage with a 10-pixel margin:
//
//   picture        TI file                          picture area  bitmap
//   TI-Artist      PROGRAM pattern "_P" + colour "_C"  256 x 192   276 x 212
//   character set  PROGRAM                           256 x 192   276 x 212
//   MYART 256      DIS/FIX 128, 256 colours          256 x 212   276 x 232
//   MYART 512      DIS/FIX 128, 16 colours           512 x 212   532 x 232
//
// Each Show function reads the row the way the viewers do (a file inside an
// image or archive through the scratch file), reports its failures and
// returns what was drawn; a picture whose data runs short stays drawn as far
// as the data went.
#pragma once

#include <cstdint>
#include <string>

#include "catalog/pane.h"
#include "viewers/rgb_image.h"
#include "viewers/ti_data.h"

namespace korvane {

enum PictureMode : int {
  kPictureTiArtist = 3,
  kPictureMyart256 = 4,
  kPictureMyart512 = 5,
  kPictureCharset = 6,
};

struct Picture {
  bool ok = false;       // false: no picture to show (reported)
  RgbImage image;
  std::string title;     // location title and the picture's size
  std::string safeName;  // PC-safe TI name of the row, for saving the picture
};

inline constexpr size_t kTiArtistColourBytes = 6144;  // 768 cells of 8 bytes
inline constexpr uint16_t kTiArtistSectors = 24;

// TI-Artist: the row at `index` is the pattern ("_P") or colour ("_C") file;
// its partner is looked up among the pane's rows.
Picture ShowTiArtist(const PaneState& pane, int index);
// MYART in mode 4 (256 x 212, 256 colours) or 5 (512 x 212, 16 colours).
Picture ShowMyart(const PaneState& pane, int index, int mode);
// Character set of a PROGRAM row.
Picture ShowCharset(const PaneState& pane, int index);

// The drawing steps on a file's data, for the Show functions and for tests.
// `sourceName` is quoted in messages.

// Draws the cells of a TI-Artist pattern file of `sectors` sectors; with
// `colours` (6144 bytes) pattern byte n takes colour byte n (foreground in
// the high four bits, background in the low four), without them set bits are
// blue on the grey picture.
void DrawTiArtist(TiData& pattern, uint16_t sectors, const uint8_t* colours, const std::string& sourceName,
                  RgbImage& image);

enum class MyartResult { kDrawn, kNotMyart };
// Draws `records` 128-byte records of MYART data in mode 4 or 5. A first
// record that begins with "GIF" is reported with `tiName` as not MYART.
MyartResult DrawMyart(TiData& data, int mode, uint16_t records, const std::string& tiName,
                      const std::string& sourceName, RgbImage& image);

// Draws the glyphs of a character-set PROGRAM of `programSize` bytes; fills
// the Vdp address and size words of its 6-byte header. False when the header
// could not be read (reported).
bool DrawCharset(TiData& data, uint16_t programSize, const std::string& sourceName, RgbImage& image,
                 uint16_t& vdpAddress, uint16_t& sizeWord);

// Bitmap sizes.
RgbImage MakeTiArtistBitmap();
RgbImage MakeCharsetBitmap();
RgbImage MakeMyartBitmap(int mode);

}  // namespace korvane
