#include "support/floppy_check.h"

#include <algorithm>
#include <map>
#include <string>

namespace korvane::test {
namespace {

unsigned Be16(const Bytes& b, size_t at) { return at + 1 < b.size() ? b[at] << 8 | b[at + 1] : 0; }

unsigned AuSize(unsigned total) {
  if (total <= 1600) return 1;
  if (total <= 3200) return 2;
  if (total <= 6400) return 4;
  if (total <= 12800) return 8;
  return 16;
}

struct Chain {
  std::vector<unsigned> sectors;  // in file order
};

Chain WalkChain(const Bytes& image, unsigned fdrSector) {
  Chain c;
  const size_t f = size_t{fdrSector} * 256;
  const unsigned density = image[19];
  const unsigned total = Be16(image, f + 14);
  unsigned running = 0;
  for (size_t p = 28; p + 2 < 256 && running < total; p += 3) {
    const unsigned b0 = image[f + p], b1 = image[f + p + 1], b2 = image[f + p + 2];
    unsigned start = (b1 & 0x0F) << 8 | b0;
    const unsigned offset = b2 << 4 | b1 >> 4;
    if (start == 0) break;
    if (density >= 3) start *= 4;
    for (unsigned s = start; running <= offset && running < total; ++s, ++running) c.sectors.push_back(s);
  }
  return c;
}

std::vector<unsigned> IndexOf(const Bytes& image, unsigned sector) {
  std::vector<unsigned> entries;
  for (size_t i = 0; i < 127; ++i) {
    const unsigned s = Be16(image, size_t{sector} * 256 + 2 * i);
    if (s == 0) break;
    entries.push_back(s);
  }
  return entries;
}

}  // namespace

std::vector<unsigned> RootIndex(const Bytes& image) { return IndexOf(image, 1); }

std::vector<std::string> CheckFloppyConsistency(const Bytes& image) {
  std::vector<std::string> problems;
  const unsigned total = Be16(image, 10);
  if (image.size() < size_t{total} * 256) return {"image shorter than its VIB says"};
  const unsigned au = AuSize(total);
  // What uses each sector: an index into `users`, -1 for nothing.
  std::vector<int> owner(total, -1);
  std::vector<std::string> users;
  auto own = [&](unsigned sector, const std::string& who) {
    if (sector >= total) {
      problems.push_back(who + " uses sector " + std::to_string(sector) + " past the end");
      return;
    }
    if (users.empty() || users.back() != who) users.push_back(who);
    if (owner[sector] >= 0)
      problems.push_back("sector " + std::to_string(sector) + " shared by " + users[static_cast<size_t>(owner[sector])] +
                         " and " + who);
    else
      owner[sector] = static_cast<int>(users.size() - 1);
  };
  own(0, "VIB");
  own(1, "FDIR");
  std::vector<unsigned> indexes = {1};
  for (size_t slot = 0; slot < 3; ++slot) {
    const size_t at = 20 + 12 * slot;
    const unsigned s = Be16(image, at + 10);
    if (image[at] != 0 && s != 0) {
      own(s, "subdirectory index");
      indexes.push_back(s);
    }
  }
  for (unsigned index : indexes) {
    std::string previous;
    for (unsigned fdr : IndexOf(image, index)) {
      if (fdr >= total) {
        problems.push_back("index names sector " + std::to_string(fdr) + " past the end");
        continue;
      }
      const std::string name(image.begin() + fdr * 256, image.begin() + fdr * 256 + 10);
      if (!previous.empty() && !std::lexicographical_compare(previous.begin(), previous.end(), name.begin(), name.end(),
                                                             [](char a, char b) { return uint8_t(a) < uint8_t(b); }))
        problems.push_back("index not sorted at " + name);
      previous = name;
      own(fdr, "FDR of " + name);
      const std::string data = "data of " + name;
      for (unsigned s : WalkChain(image, fdr).sectors) own(s, data);
    }
  }
  // AUs wholly on the disk: used exactly when some sector in them is owned.
  for (unsigned u = 0; u < total / au && u < 1600; ++u) {
    bool used = false;
    for (unsigned s = u * au; s < u * au + au && s < total; ++s) used = used || owner[s] >= 0;
    const bool bit = (image[56 + u / 8] >> (u % 8)) & 1;
    if (bit != used) problems.push_back("bitmap bit of AU " + std::to_string(u) + (bit ? " set but unused" : " clear but used"));
  }
  return problems;
}

Bytes ReadFileThroughChain(const Bytes& image, const std::string& name) {
  std::string wanted = name;
  wanted.resize(10, ' ');
  for (unsigned fdr : IndexOf(image, 1)) {
    if (std::string(image.begin() + fdr * 256, image.begin() + fdr * 256 + 10) != wanted) continue;
    return ReadFileAtFdr(image, fdr);
  }
  return {};
}

std::vector<unsigned> ChainSectors(const Bytes& image, unsigned fdrSector) {
  if (size_t{fdrSector} * 256 + 256 > image.size()) return {};
  return WalkChain(image, fdrSector).sectors;
}

Bytes ReadFileAtFdr(const Bytes& image, unsigned fdrSector) {
  Bytes data;
  for (unsigned s : WalkChain(image, fdrSector).sectors) {
    if (size_t{s} * 256 + 256 > image.size()) break;
    data.insert(data.end(), image.begin() + s * 256, image.begin() + s * 256 + 256);
  }
  return data;
}

std::vector<SubdirIndex> Subdirectories(const Bytes& image) {
  std::vector<SubdirIndex> dirs;
  for (size_t slot = 0; slot < 3; ++slot) {
    const size_t at = 20 + 12 * slot;
    const unsigned s = Be16(image, at + 10);
    if (image.size() < 256 || image[at] == 0 || s == 0) continue;
    std::string name(image.begin() + static_cast<long>(at), image.begin() + static_cast<long>(at) + 10);
    name.erase(name.find_last_not_of(' ') + 1);
    dirs.push_back({name, IndexOf(image, s)});
  }
  return dirs;
}

}  // namespace korvane::test
