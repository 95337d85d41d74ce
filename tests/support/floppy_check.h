// The consistency checks other TI disk tools make on a V9T9 image, written
// from the format independently of the code under test: the file index is
// sorted and names FDRs on the disk, no sector belongs to two files, and the
// allocation bitmap marks exactly the sectors that the VIB, the indexes, the
// FDRs and the data chains use.
#pragma once

#include <string>
#include <vector>

#include "support/disk_builder.h"

namespace korvane::test {

// Problems found, one line each; empty when the image is consistent.
std::vector<std::string> CheckFloppyConsistency(const Bytes& image);

// The data of a file read from raw image bytes through its FDR's chain.
Bytes ReadFileThroughChain(const Bytes& image, const std::string& name);

// The FDR sector numbers of the root index, in index order.
std::vector<unsigned> RootIndex(const Bytes& image);

// The data sectors of the file whose FDR is at `fdrSector`, in file order.
std::vector<unsigned> ChainSectors(const Bytes& image, unsigned fdrSector);

// The data of the file whose FDR is at `fdrSector`, through its chain.
Bytes ReadFileAtFdr(const Bytes& image, unsigned fdrSector);

// The sub-directories the VIB names, with the FDR sectors of their index.
struct SubdirIndex {
  std::string name;  // without padding
  std::vector<unsigned> fdrs;
};
std::vector<SubdirIndex> Subdirectories(const Bytes& image);

}  // namespace korvane::test
