// PC99 track images: a TI floppy kept as the raw bytes of its tracks, gaps,
// address marks and CRCs included, the way the floppy controller sees them.
// There is no file header; all tracks have the same length. Side 0 comes
// first, track 0 outward, then side 1, track 0 outward.
//
//   density  kind  track length  first record at  record length
//   FM        10      3253 bytes       16            334 bytes
//   MFM       11      6872 bytes       40            340 bytes
//
// A sector record is the ID field and the data field of one sector:
//
//   field               FM   MFM
//   ID address mark      6    13   FEh
//   track number         7    14   physical track of the ID field
//   side                 8    15
//   sector number        9    16   0-based within the track
//   size code           10    17   1 = 256 bytes
//   data address mark   30    57   FBh
//   sector data      31-286 58-313
//
// Everything between these fields (gaps, sync bytes, CRCs) is carried along
// and never interpreted. Korvane never writes into a PC99 image.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/entry.h"
#include "floppy/sector_source.h"
#include "platform/pc_file.h"

namespace korvane {

struct Pc99TrackLayout {
  uint32_t trackLength;
  uint32_t firstRecord;   // offset of the first sector record in a track
  uint32_t recordLength;
  uint32_t idMark, idTrack, idSide, idSector;
  uint32_t dataMark, data;
  uint16_t defaultSectorsPerTrack;  // used until the VIB has been read
};

inline constexpr Pc99TrackLayout kPc99Fm{3253, 16, 334, 6, 7, 8, 9, 30, 31, 9};
inline constexpr Pc99TrackLayout kPc99Mfm{6872, 40, 340, 13, 14, 15, 16, 57, 58, 18};
inline constexpr uint8_t kPc99IdMark = 0xFE;

// The layout of a kind: FM for 10, MFM for 11 (and anything else).
const Pc99TrackLayout& Pc99Layout(uint16_t kind);

// How many whole sector records fit behind the first record offset of one
// track: records beyond that would be the next track's bytes.
uint32_t Pc99RecordsPerTrack(const Pc99TrackLayout& layout);

// The working geometry of an open PC99 image.
struct Pc99Geometry {
  uint16_t kind = kKindPc99Sd;
  uint16_t sectorsPerTrack = 9;
  uint16_t tracksPerSide = 0;  // 0 until the VIB has been read: every track on side 0
};

// The geometry before sector 0 has been read.
Pc99Geometry DefaultPc99Geometry(uint16_t kind);

// One sector record, big enough for either density.
using Pc99Record = std::array<uint8_t, 340>;

// The file track index that holds logical track `track`: side-0 tracks are
// stored in order; logical tracks of side 1 run inward from the last physical
// track, so logical track T is physical track T - 1 of side 1, at index
// 2T - 1. Returns -1 for a track beyond both sides.
int64_t Pc99TrackIndex(const Pc99Geometry& geometry, uint32_t logicalTrack);

// Reads the sector record holding logical sector `sector`: the first whole
// record of its track whose ID mark is FEh and whose sector number matches
// (interleaved tracks are read correctly; track and side bytes are not
// compared). With `reportPath` a failure reports "Can't read sector"; without
// it the caller stays silent.
bool LocatePc99Sector(const Pc99Geometry& geometry, PcFile& image, uint32_t sector, Pc99Record& record,
                      const std::string* reportPath);

// The 256 data bytes inside a located record.
void Pc99SectorData(const Pc99Record& record, uint16_t kind, Sector& out);

// Sector access to a PC99 image through the track search, so that listing,
// export, views and conversion read it like any other container. Keeps the
// last track read, since consecutive sectors mostly share a track.
class Pc99Sectors : public SectorSource {
 public:
  Pc99Sectors(PcFile& file, std::string name, const Pc99Geometry& geometry)
      : file_(file), name_(std::move(name)), geometry_(geometry) {}
  bool ReadSector(uint32_t n, Sector& out) override;
  const std::string& Name() const override { return name_; }

  const Pc99Geometry& Geometry() const { return geometry_; }
  // Takes sectors per track and tracks per side from a checked VIB.
  void UseVib(const DiskSummary& summary);

  // Reads sector 0 and checks it as a VIB. Reports "Can't read sector" when
  // it cannot be located and "Can't read diskinfo" when it is no VIB; on
  // success the geometry follows the VIB.
  bool ReadVib(Sector& vib, DiskSummary& summary);

 private:
  bool LoadTrack(int64_t index);

  PcFile& file_;
  std::string name_;
  Pc99Geometry geometry_;
  int64_t cachedTrack_ = -1;
  std::vector<uint8_t> track_;  // whole records of the cached track
};

// A PC99 image opened for reading with its VIB checked: where the conversion
// to a sector image and the layout listing start.
class Pc99Image {
 public:
  Pc99Image() = default;
  Pc99Image(const Pc99Image&) = delete;  // the sector reader points at file_
  Pc99Image& operator=(const Pc99Image&) = delete;

  // Opens `path` (error 1 when it cannot be opened) and reads its VIB
  // (reported as ReadVib reports it).
  bool Open(const std::string& path, uint16_t kind);

  Pc99Sectors& Sectors() { return *sectors_; }
  PcFile& File() { return file_; }  // the raw track data
  const Sector& Vib() const { return vib_; }
  const DiskSummary& Summary() const { return summary_; }

 private:
  PcFile file_;
  std::optional<Pc99Sectors> sectors_;
  Sector vib_{};
  DiskSummary summary_;
};

}  // namespace korvane
