// Small helpers shared by the hard-disk tests: list a directory, read a
// file row back the way export reads it, find rows by name.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "catalog/header.h"
#include "fileops/export.h"
#include "harddisk/hd_rows.h"
#include "harddisk/hd_sectors.h"
#include "support/disk_builder.h"

namespace korvane::test {

inline const CatalogEntry* FindByName(const FileList& rows, const std::string& name) {
  for (const CatalogEntry& r : rows)
    if (TrimTiName(r.tiName) == name) return &r;
  return nullptr;
}

// The data sectors of a file row of a hard-disk image, read as export reads
// them: the row's volume, its FDR, its chain. Empty and a test failure when
// a read fails.
inline Bytes ReadRowData(const std::string& imagePath, const CatalogEntry& row, Bytes* fdrOut = nullptr) {
  PcFile file;
  EXPECT_TRUE(file.Open(imagePath, PcFile::Mode::Read));
  auto source = OpenHardDiskVolume(file, imagePath, RowBase(row));
  if (!source) {
    ADD_FAILURE() << "volume not opened";
    return {};
  }
  Sector fdr;
  if (!source->ReadSector(RowFdrSector(row), fdr)) {
    ADD_FAILURE() << "FDR not read";
    return {};
  }
  if (fdrOut) fdrOut->assign(fdr.begin(), fdr.end());
  Bytes data;
  const bool ok = ReadRowFileSectors(*source, row, ByteView(fdr.data(), fdr.size()),
                                     [&](uint32_t index, const Sector& s) {
                                       EXPECT_EQ(index * 256, data.size());
                                       data.insert(data.end(), s.begin(), s.end());
                                       return true;
                                     });
  EXPECT_TRUE(ok);
  return data;
}

// The PC file export writes for a row: the V9T9 header made from the FDR,
// then the data sectors.
inline Bytes ExportedFile(const std::string& imagePath, const CatalogEntry& row) {
  Bytes fdr;
  const Bytes data = ReadRowData(imagePath, row, &fdr);
  const PcHeader header = MakePcHeader(ByteView(fdr.data(), fdr.size()), false);
  Bytes out(header.begin(), header.end());
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

inline Bytes Padded(Bytes data) {
  data.resize((data.size() + 255) / 256 * 256, 0);
  return data;
}

}  // namespace korvane::test
