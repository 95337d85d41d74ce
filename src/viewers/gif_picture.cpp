#include "viewers/gif_picture.h"

#include <spawn.h>
#include <sys/wait.h>
#include <strings.h>

#include <vector>

#include "catalog/errors.h"
#include "catalog/header.h"
#include "platform/paths.h"
#include "viewers/ti_data.h"
#include "viewers/view_source.h"

extern char** environ;

namespace korvane {

bool IsGifData(ByteView firstBytes) {
  return firstBytes.has(0, 3) && strncasecmp(reinterpret_cast<const char*>(firstBytes.data()), "GIF", 3) == 0;
}

int GifTest(const PaneState& pane, const CatalogEntry& row) {
  PcFile file;
  if (!OpenViewSource(pane, row, file)) return -1;
  PcFileData data(file);
  uint8_t first[256];
  const size_t got = data.ReadAt(0, first, sizeof first);
  if (got == 0) {
    ReportError(kErrReadSector, 0, file.Path());
    return -1;
  }
  return IsGifData(ByteView(first, got)) ? 0 : 1;
}

bool WriteGifFile(const PaneState& pane, const CatalogEntry& row, const std::string& outPath) {
  PcFile in;
  if (!OpenViewSource(pane, row, in)) return false;
  if (row.kind != kKindDisFix || row.recordLength != 128) {
    ReportError(kErrNotGif, SafePcName(row.tiName));
    return false;
  }
  PcFile out;
  if (!out.Open(outPath, PcFile::Mode::CreateWrite)) {
    ReportError(kErrOpenWrite, outPath);
    return false;
  }
  PcFileData data(in);
  SectorReader reader(data);
  Sector sector;
  uint32_t records = 0;
  uint64_t written = 0;
  for (uint32_t s = 0; s < row.totalSectors && records < row.level3Records; ++s) {
    // Two records per sector; the last sector may carry only one.
    const size_t take = records + 1 < row.level3Records ? 256 : 128;
    if (reader.Read(s, sector) < take) {
      ReportError(kErrReadSector, static_cast<int>(s), in.Path());
      return false;
    }
    if (s == 0 && !IsGifData(ByteView(sector.data(), sector.size()))) {
      ReportError(kErrNotGif, SafePcName(row.tiName));
      return false;
    }
    if (!out.WriteAt(written, sector.data(), take)) {
      ReportError(kErrWriteSector, static_cast<int>(s + 1), outPath);  // sectors read so far
      return false;
    }
    written += take;
    records += static_cast<uint32_t>(take / 128);
  }
  return true;
}

std::vector<std::string> PictureViewerArguments(const std::string& picviewer, const std::string& path) {
  std::vector<std::string> args;
  std::string word;
  bool inWord = false, quoted = false;
  for (const char c : picviewer) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) args.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) args.push_back(word);
  args.push_back(path);
  return args;
}

pid_t StartPictureViewer(const std::string& picviewer, const std::string& path) {
  std::vector<std::string> args = PictureViewerArguments(picviewer, path);
  if (args.size() < 2) return -1;  // an empty setting names no program
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

namespace {

std::vector<pid_t>& Started() {
  static std::vector<pid_t> started;
  return started;
}

}  // namespace

const std::vector<pid_t>& StartedPictureViewers() { return Started(); }

void ReapPictureViewers() {
  // waitpid answers the pid once it has ended, -1 when it is no child of
  // ours any more; 0 means it still runs.
  std::erase_if(Started(), [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

GifShown ShowGif(const PaneState& pane, const CatalogEntry& row, const std::string& picviewer) {
  ReapPictureViewers();
  GifShown shown;
  const std::string path = ScratchGifFile();
  shown.written = WriteGifFile(pane, row, path);
  if (shown.written) shown.viewer = StartPictureViewer(picviewer, path);
  if (shown.viewer > 0) Started().push_back(shown.viewer);
  return shown;
}

}  // namespace korvane
