// Hard-disk images written by another TI tool, checked against that tool's
// own catalog of them: every directory, every file with its attributes, and
// the SHA-256 of each file's data sectors as our reader exports them.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "harddisk/hd_tree.h"
#include "harddisk/hd_test_util.h"
#include "platform/pc_file.h"
#include "support/recording_reporter.h"
#include "support/sha256.h"

namespace korvane::test {
namespace {

using nlohmann::json;

const std::string kDir = std::string(KORVANE_CORPUS_DIR) + "/tiimagetool/";

json LoadJson(const std::string& name) {
  std::ifstream in(kDir + name);
  return json::parse(in);
}

// Every directory of the catalog by inner path ("" for the root, "TOOLS.TEXT").
void CollectDirs(const json& dir, std::map<std::string, json>& out) {
  std::string path = dir.at("path").get<std::string>();
  if (!path.empty() && path[0] == '.') path.erase(0, 1);
  out[path] = dir;
  for (const json& sub : dir.at("dirs")) CollectDirs(sub, out);
}

// Compares the volume at `base` of `image` with a catalog file.
void ExpectVolumeMatchesCatalog(const std::string& image, uint32_t base, const json& catalog) {
  const std::string path = kDir + image;
  std::map<std::string, json> expected;
  CollectDirs(catalog.at("root"), expected);

  RecordingReporter reporter;
  std::map<std::string, bool> seen;
  ASSERT_TRUE(WalkHardDiskTree(path, base, [&](const std::string& dirPath, const HardDiskDirectory& dir) {
    SCOPED_TRACE("directory <" + dirPath + ">");
    seen[dirPath] = true;
    if (dirPath.empty()) {
      EXPECT_EQ(TrimTiName(dir.volume.name), catalog.at("volume_name").get<std::string>());
      EXPECT_EQ(dir.volume.totalSectors, catalog.at("total_sectors").get<uint32_t>());
      EXPECT_EQ(dir.volume.spau, catalog.at("au_size").get<uint16_t>());
    }
    const auto it = expected.find(dirPath);
    if (it == expected.end()) {
      ADD_FAILURE() << "directory not in the catalog";
      return true;
    }
    const json& want = it->second;
    size_t files = 0, dirs = 0;
    for (const CatalogEntry& row : dir.rows) {
      const std::string name = TrimTiName(row.tiName);
      if (row.kind == kKindSubdir) {
        ++dirs;
        continue;
      }
      ++files;
      const json* entry = nullptr;
      for (const json& f : want.at("files"))
        if (f.at("name") == name) entry = &f;
      if (!entry) {
        ADD_FAILURE() << "file " << name << " not in the catalog";
        continue;
      }
      SCOPED_TRACE("file " + name);
      const json& f = *entry;
      EXPECT_EQ(row.statusFlags, std::stoi(f.at("flags").get<std::string>(), nullptr, 16));
      EXPECT_EQ(row.totalSectors, f.at("data_sectors").get<uint16_t>());
      EXPECT_EQ(row.eofOffset, f.at("eof_offset").get<uint16_t>());
      EXPECT_EQ(row.recordsPerSector, f.at("records_per_sector").get<uint16_t>());
      EXPECT_EQ(row.level3Records, f.at("l3_records").get<uint16_t>());
      if (row.kind == kKindProgram)
        EXPECT_EQ(row.recordLength, f.at("program_length").get<uint16_t>());
      else
        EXPECT_EQ(row.recordLength, f.at("record_length").get<uint16_t>());
      const Bytes data = ReadRowData(path, row);
      EXPECT_EQ(data.size(), f.at("content_bytes").get<size_t>());
      EXPECT_EQ(Sha256Hex(data), f.at("content_sha256").get<std::string>());
    }
    EXPECT_EQ(files, want.at("files").size());
    EXPECT_EQ(dirs, want.at("dirs").size());
    return true;
  }));
  EXPECT_EQ(seen.size(), expected.size());
  EXPECT_EQ(CountFreeAllocationUnits(path, base) * catalog.at("au_size").get<uint32_t>(),
            catalog.at("free_sectors").get<uint32_t>());
  EXPECT_TRUE(reporter.errors.empty()) << reporter.errors.front();
}

bool CorpusPresent(const std::string& image) {
  if (PathExists(kDir + image)) return true;
  std::fprintf(stderr, "corpus image %s%s absent: test skipped\n", kDir.c_str(), image.c_str());
  return false;
}

TEST(HardDiskCorpus, ScsiTreeListsAndExportsAsItsCatalogSays) {
  if (!CorpusPresent("scsi-tree.hd")) GTEST_SKIP() << "corpus absent";
  const Bytes all = ReadFile(kDir + "scsi-tree.hd");
  CatalogEntry row;
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(all.data(), 256), "scsi-tree.hd", row));
  EXPECT_EQ(row.kind, kKindHdImg);
  ExpectVolumeMatchesCatalog("scsi-tree.hd", 0, LoadJson("scsi-tree.hd.catalog.json"));
}

TEST(HardDiskCorpus, IdePartitionsListAndExportAsTheirCatalogsSay) {
  if (!CorpusPresent("ide-two.hd")) GTEST_SKIP() << "corpus absent";
  const std::string path = kDir + "ide-two.hd";
  const Bytes all = ReadFile(path);
  CatalogEntry row;
  ASSERT_TRUE(MakeHardDiskImageRow(ByteView(all.data(), 256), "ide-two.hd", row));
  EXPECT_EQ(row.kind, kKindPtImg);

  FileList rows;
  ASSERT_TRUE(ReadPartitionList(path, "ide-two.hd", 1, false, rows));
  const json partitions = LoadJson("ide-two.hd.partitions.json").at("partitions");
  ASSERT_EQ(rows.size(), partitions.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const json& p = partitions[i];
    EXPECT_EQ(TrimTiName(rows[i].tiName), p.at("name").get<std::string>());
    EXPECT_EQ(rows[i].volumePosition, p.at("offset_sectors256").get<int32_t>());
    const json catalog = LoadJson("ide-two.hd.p" + std::to_string(p.at("number").get<int>()) + ".catalog.json");
    ExpectVolumeMatchesCatalog("ide-two.hd", RowBase(rows[i]), catalog);
  }
}

}  // namespace
}  // namespace korvane::test
