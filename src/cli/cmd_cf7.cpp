// korvane-cli cf7-init LOCATION VOLUME LABEL and cf7-mount LOCATION
// [DSK1 DSK2 DSK3]: formatting one volume of a CF7A+ card, and the mount
// record that tells the TI which volumes are DSK1-DSK3. LOCATION is a card
// image file or a card in a drive (drive:B).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/header.h"
#include "cli/command.h"
#include "cli/drive_arg.h"
#include "harddisk/cf7_volumes.h"
#include "platform/reporter.h"

namespace korvane::cli {
namespace {

constexpr char kInitUsage[] = "cf7-init LOCATION VOLUME LABEL";
constexpr char kMountUsage[] = "cf7-mount LOCATION [DSK1 DSK2 DSK3]";
constexpr size_t kMaxLabel = 10;

int Usage(const char* usage) {
  std::fprintf(stderr, "usage: korvane-cli %s\n", usage);
  return 2;
}

// The arguments; false when anything before "--" looks like an option
// (these commands take none).
bool Positional(const std::vector<std::string>& args, const CommonOptions& options, std::vector<std::string>& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (i < options.operandsFrom && args[i].size() > 1 && args[i][0] == '-') return false;
    out.push_back(args[i]);
  }
  return true;
}

// A volume number from 0 (when `zeroAllowed`) or 1 to `count`, else -1.
long VolumeNumber(const std::string& text, uint32_t count, bool zeroAllowed) {
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < (zeroAllowed ? 0 : 1) || n > static_cast<long>(count)) {
    std::fprintf(stderr, "ERROR: <%s> is no volume number (%s1 to %u)\n", text.c_str(), zeroAllowed ? "0 or " : "",
                 count);
    return -1;
  }
  return n;
}

int RunInit(const std::vector<std::string>& args, const CommonOptions& options) {
  std::vector<std::string> p;
  if (!Positional(args, options, p) || p.size() != 3) return Usage(kInitUsage);
  // The label as the dialog takes it: at most ten characters, never a space
  // or a period (they cannot be typed into its field).
  const std::string& label = p[2];
  if (label.empty()) {
    CurrentReporter().ShowMessage("ERROR", "Please enter a volumelabel");
    return 1;
  }
  if (label.size() > kMaxLabel || label.find_first_of(" .") != std::string::npos) {
    std::fprintf(stderr, "ERROR: a volume label has at most 10 characters, without spaces and periods\n");
    return 1;
  }
  std::unique_ptr<Card> card = OpenCard(p[0], true);
  if (!card) return 1;
  const long volume = VolumeNumber(p[1], card->VolumeCount(), false);
  if (volume < 0) return 1;
  TerminalProgress progress("cf7-init");
  DiskSummary summary;
  if (!InitializeVolume(*card, static_cast<uint32_t>(volume), label, progress, &summary)) return 1;
  std::printf("%s\n", MountChoiceText(static_cast<uint32_t>(volume), summary.volumeName).c_str());
  return 0;
}

int RunMount(const std::vector<std::string>& args, const CommonOptions& options) {
  std::vector<std::string> p;
  if (!Positional(args, options, p) || (p.size() != 1 && p.size() != 4)) return Usage(kMountUsage);
  const bool set = p.size() == 4;
  std::unique_ptr<Card> card = OpenCard(p[0], set);
  if (!card) return 1;
  const uint32_t count = card->VolumeCount();
  if (set) {
    std::array<uint16_t, 3> dsk{};
    for (size_t i = 0; i < 3; ++i) {
      const long n = VolumeNumber(p[i + 1], count, true);
      if (n < 0) return 1;
      dsk[i] = static_cast<uint16_t>(n);
    }
    return SetMountRecord(*card, dsk) && card->Flush() ? 0 : 1;
  }
  MountRecord record;
  if (!card->ReadMountRecord(record)) return 1;
  const std::array<uint16_t, 3> chosen = MountSelection(record, count);
  FileList rows;
  ListCardVolumes(*card, false, rows, NoProgress());
  for (size_t i = 0; i < 3; ++i) {
    const uint16_t v = chosen[i];
    if (v == 0 || v > rows.size()) {
      std::printf("DSK%zu: none\n", i + 1);
      continue;
    }
    std::printf("DSK%zu: %s\n", i + 1, MountChoiceText(v, rows[v - 1].tiName).c_str());
  }
  return 0;
}

const Registration kInit{{"cf7-init", kInitUsage,
                          "initialize volume VOLUME of a CF7A+ card image or card (drive:B) with LABEL", RunInit}};
const Registration kMount{{"cf7-mount", kMountUsage,
                           "show, or set (0 = none), the volumes a CF7A+ card mounts as DSK1-DSK3", RunMount}};

}  // namespace
}  // namespace korvane::cli
