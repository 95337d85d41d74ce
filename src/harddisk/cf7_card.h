// CF7A+ compact-flash cards: a row of 1600-sector floppy volumes, reached
// either on the card itself in a removable drive or in a card image file.
//
// Card in a drive, 512-byte device sectors:
//   device sector c holds TI sector c: TI byte k is device byte 2k; the odd
//   bytes are filler (E4h in the first sector of a volume, E5h elsewhere) and
//   are ignored when reading. Volume n (from 1) is device sectors
//   (n-1)*1600 .. n*1600-1; a partial volume at the end is unused.
//
// Card image file (".cf7"):
//   00-09  name (the image's base name as a TI name)
//   0a-0c  0
//   0d-0f  "CF7"
//   10-13  0
//   14-1b  mount record (all 0 when none)
//   1c-7f  0
//   80-    the card's TI sectors, 256 bytes each, in order
//
// Mount record, TI bytes 20-27 of volume 1's sector 0 (or header 20-27):
//   20  AAh: record present      21  03h: three drives follow
//   22-23, 24-25, 26-27  volumes mounted as DSK1, DSK2, DSK3 (big-endian, 0 = none)
// It lies where a floppy VIB keeps its sub-directory slots (20-55), which is
// why copies between a card and a ".dsk" file clear those bytes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "catalog/entry.h"
#include "floppy/sector_source.h"
#include "platform/byte_view.h"
#include "platform/drive_device.h"
#include "platform/pc_file.h"

namespace korvane {

namespace cf7 {
constexpr uint32_t kVolumeSectors = 1600;
constexpr uint64_t kHeaderSize = 128;
constexpr size_t kHeaderName = 0x00;
constexpr size_t kHeaderMarker = 0x0d;
constexpr size_t kMount = 0x14;  // same offset in the header and in sector 0
constexpr size_t kMountLength = 8;
constexpr uint8_t kMountPresent = 0xAA;
constexpr uint8_t kMountDrives = 0x03;
constexpr size_t kVibSubdirArea = 0x14;  // 20-55 of a VIB: cleared when copying
constexpr size_t kVibSubdirAreaLength = 36;
constexpr uint8_t kFillerFirst = 0xE4;
constexpr uint8_t kFillerOther = 0xE5;
// Larger removable drives are not taken for cards (only for hard disks).
constexpr uint64_t kMaxCardDeviceSectors = 16000000;
}  // namespace cf7

struct MountRecord {
  bool present = false;
  std::array<uint16_t, 3> dsk{};  // volume numbers, 0 = none
};

// Reads the record at bytes 20-27 of `bytes` (a compact sector or a header).
MountRecord ParseMountRecord(ByteView bytes);
// Writes AAh 03h and the three numbers at bytes 20-27.
void PutMountRecord(ByteWriter& w, const std::array<uint16_t, 3>& dsk);

// Even bytes of a 512-byte device sector -> 256-byte TI sector, and back with
// the filler in the odd bytes.
void CompactDeviceSector(const uint8_t* device, Sector& out);
void SpreadDeviceSector(const Sector& in, uint8_t filler, uint8_t* device);
// The same for `count` sectors in a row (backup and restore move runs).
void CompactDeviceSectors(const uint8_t* device, size_t count, uint8_t* out);
void SpreadDeviceSectors(const uint8_t* in, size_t count, uint8_t filler, uint8_t* device);

// The 128-byte header of a card image named after `imageBaseName`.
std::array<uint8_t, cf7::kHeaderSize> MakeCardImageHeader(const std::string& imageBaseName,
                                                          const MountRecord& mount);

// "CF7" at 13-15.
bool HasCardImageMarker(ByteView first);

// Recognises a card image from its first 256 bytes; fills a kind 15 row
// (TI name = bytes 0-9, size = (file size - 128) / 256 sectors).
bool RecogniseCardImage(ByteView first256, uint64_t fileSize, const std::string& pcName, CatalogEntry& row);

// One card, in a drive or as an image. Sector numbers are card-relative TI
// sectors; every failure is reported with the texts of the form the card has
// (image: "Can't read sector <s> from <path>"; drive: "Can't read sector <s>
// from TI disk <X:>, error <e>").
class Card {
 public:
  virtual ~Card() = default;
  virtual bool IsDrive() const = 0;
  virtual uint64_t SectorCount() const = 0;
  uint32_t VolumeCount() const { return static_cast<uint32_t>(SectorCount() / cf7::kVolumeSectors); }
  // What messages call the card: the image path, or "X:".
  virtual const std::string& Name() const = 0;
  virtual bool ReadSector(uint64_t sector, Sector& out) = 0;
  // `filler` goes into the odd bytes on a drive and is ignored for an image.
  virtual bool WriteSector(uint64_t sector, const Sector& in, uint8_t filler) = 0;
  virtual bool ReadMountRecord(MountRecord& out) = 0;
  virtual bool WriteMountRecord(const std::array<uint16_t, 3>& dsk) = 0;
  // Waits until what was written is on the card (reported on failure).
  virtual bool Flush() { return true; }
};

// A card image file.
class CardImage : public Card {
 public:
  // Opens the image and checks its header ("Can't open file for read" /
  // "... for read and write"; a short or unmarked header "Can't read
  // diskinfo from diskfile").
  bool Open(const std::string& path, bool write);
  bool IsDrive() const override { return false; }
  uint64_t SectorCount() const override { return sectors_; }
  const std::string& Name() const override { return path_; }
  bool ReadSector(uint64_t sector, Sector& out) override;
  bool WriteSector(uint64_t sector, const Sector& in, uint8_t filler) override;
  bool ReadMountRecord(MountRecord& out) override;
  bool WriteMountRecord(const std::array<uint16_t, 3>& dsk) override;
  PcFile& File() { return file_; }

 private:
  PcFile file_;
  std::string path_;
  uint64_t sectors_ = 0;
  std::array<uint8_t, cf7::kHeaderSize> header_{};
};

// A card in a removable drive.
class CardDrive : public Card {
 public:
  bool Open(const DriveEnvironment& env, const DriveDevice& drive, DriveAccess access);
  bool IsDrive() const override { return true; }
  uint64_t SectorCount() const override { return drive_.Sectors(); }
  const std::string& Name() const override { return name_; }
  bool ReadSector(uint64_t sector, Sector& out) override;
  bool WriteSector(uint64_t sector, const Sector& in, uint8_t filler) override;
  bool ReadMountRecord(MountRecord& out) override;
  bool WriteMountRecord(const std::array<uint16_t, 3>& dsk) override;
  bool Flush() override;

 private:
  OpenDrive drive_;
  std::string name_;
};

// The sectors of one volume (numbered from 1) as a floppy: sector s is card
// sector (volume - 1) * 1600 + s. Sectors past the volume's 1600 are refused
// so that a damaged VIB can never reach into the next volume.
class CardVolumeSectors : public SectorSource {
 public:
  CardVolumeSectors(Card& card, uint32_t volume);
  bool ReadSector(uint32_t n, Sector& out) override;
  bool WriteSector(uint32_t n, const Sector& in) override;
  const std::string& Name() const override { return card_.Name(); }
  uint64_t FirstSector() const { return first_; }

 private:
  Card& card_;
  uint64_t first_;
};

// Byte offset of a volume's sector 0 inside a card image.
inline uint64_t CardImageVolumeOffset(uint32_t volume) {
  return cf7::kHeaderSize + uint64_t{volume - 1} * cf7::kVolumeSectors * 256;
}

}  // namespace korvane
