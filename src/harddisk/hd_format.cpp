#include "harddisk/hd_format.h"

#include "catalog/header.h"

namespace korvane {
namespace {

std::array<PartitionEntry, ptable::kCount> ReadPartitions(ByteView s) {
  std::array<PartitionEntry, ptable::kCount> p{};
  for (int i = 0; i < ptable::kCount; ++i) {
    const size_t at = ptable::kPartitions + 8 * static_cast<size_t>(i);
    p[static_cast<size_t>(i)] = {s.be32(at), s.be32(at + 4)};
  }
  return p;
}

bool HasPartitionTableMarks(ByteView s) {
  return s.size() >= 256 && s.equals(ptable::kName, ptable::kNameText) && s.equals(ptable::kMarker, "PT") &&
         s.be16(ptable::kTotalAus) == 0xFFFF && s.be16(ptable::kFlag) == ptable::kFlagValue;
}

// The entries must be filled from the first on, without a gap, and each must
// end inside the disk. The sums are taken in 64 bits: an offset near 2^32
// must not wrap round and pass.
bool PartitionsAreConsistent(const std::array<PartitionEntry, ptable::kCount>& p, uint32_t total) {
  for (size_t i = 0; i < p.size(); ++i) {
    if (i + 1 < p.size() && p[i].offset == 0 && p[i + 1].offset != 0) return false;
    if (uint64_t{p[i].offset} + p[i].size > total) return false;
  }
  return true;
}

}  // namespace

bool IsValidPartitionTable(ByteView s) {
  return HasPartitionTableMarks(s) && PartitionsAreConsistent(ReadPartitions(s), s.be32(ptable::kTotalSectors));
}

bool IsValidHardDiskVib(ByteView s) {
  if (s.size() < 256) return false;
  const uint16_t spau = SpauFromParameters(s.be16(hdvib::kParameters));
  return s.be16(hdvib::kTotalAus) <= hdvib::kMaxTotalAus && s.u8(hdvib::kFiles) <= hdvib::kMaxFiles &&
         s.u8(hdvib::kSubdirCount) <= hdvib::kMaxSubdirs &&
         uint32_t{spau} * s.be16(hdvib::kFdirAu) == hdvib::kRootIndexSector;
}

uint16_t RecogniseHardDisk(ByteView s, HardDiskSummary& out) {
  out = HardDiskSummary{};
  out.name = TakeTiName(s);
  if (HasPartitionTableMarks(s)) {
    out.marker = s.str(ptable::kMarker, 2);
    out.totalAus = s.be16(ptable::kTotalAus);
    out.diskTotal = s.be32(ptable::kTotalSectors);
    out.partitions = ReadPartitions(s);
    out.partitionFlag = s.be16(ptable::kFlag);
    if (PartitionsAreConsistent(out.partitions, out.diskTotal)) {
      out.totalSectors = 2 * out.diskTotal;
      out.kind = 12;
      return out.kind;
    }
    out = HardDiskSummary{};
    out.name = TakeTiName(s);
  }
  out.marker = s.str(hdvib::kMarker, 3);
  out.totalAus = s.be16(hdvib::kTotalAus);
  out.sectorsPerTrack = s.u8(hdvib::kSectorsPerTrack);
  out.byte13 = s.u8(hdvib::kAusForFiles);
  out.byte14 = s.u8(hdvib::kStepSpeed);
  out.byte15 = s.u8(hdvib::kReducedWriteCurrent);
  out.parameters = s.be16(hdvib::kParameters);
  out.files = s.u8(hdvib::kFiles);
  out.subdirs = s.u8(hdvib::kSubdirCount);
  out.fdirAu = s.be16(hdvib::kFdirAu);
  out.spau = SpauFromParameters(out.parameters);
  out.totalSectors = uint32_t{out.spau} * out.totalAus;
  if (!IsValidHardDiskVib(s)) return 0;
  out.kind = 13;
  return out.kind;
}

bool IsDirectoryRecord(ByteView record) {
  return record.equals(hdvib::kMarker, "DIR") && TiNameIsValid(record.str(hdvib::kName, 10));
}

}  // namespace korvane
