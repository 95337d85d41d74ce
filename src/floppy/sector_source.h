// One way of reaching 256-byte TI sectors, whatever holds them: a V9T9 image
// file, a volume inside a card image (a byte offset), a PC99 track image
// (sectors found by searching the track data), a hard-disk image (allocation
// units and a partition base). File systems, export, views and the structure
// windows read through this and know nothing of the container.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/pc_file.h"

namespace korvane {

using Sector = std::array<uint8_t, 256>;

class SectorSource {
 public:
  virtual ~SectorSource() = default;
  // Reads sector n. On failure reports "Can't read sector <n> from <name>"
  // and returns false.
  virtual bool ReadSector(uint32_t n, Sector& out) = 0;
  // Writes sector n. On failure reports "Can't write sector <n> to <name>".
  // Read-only containers report and refuse.
  virtual bool WriteSector(uint32_t n, const Sector& in);
  // The path quoted in messages.
  virtual const std::string& Name() const = 0;
};

// Sectors laid one after another in a PC file: sector n at base + n * 256.
// A V9T9 image has base 0; a volume of a card image has base
// 128 + 256 * (the volume's first sector).
class ImageFileSectors : public SectorSource {
 public:
  ImageFileSectors(PcFile& file, std::string name, uint64_t base = 0)
      : file_(file), name_(std::move(name)), base_(base) {}
  bool ReadSector(uint32_t n, Sector& out) override;
  bool WriteSector(uint32_t n, const Sector& in) override;
  const std::string& Name() const override { return name_; }
  uint64_t Base() const { return base_; }

 private:
  PcFile& file_;
  std::string name_;
  uint64_t base_;
};

}  // namespace korvane
