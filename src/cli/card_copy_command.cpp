#include "cli/card_copy_command.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "catalog/header.h"
#include "cli/drive_arg.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/container_kinds.h"
#include "fileops/file_commands.h"
#include "harddisk/cf7_copy.h"
#include "harddisk/cf7_volumes.h"

namespace korvane::cli {
namespace {

bool IsCardList(const PaneState& pane) { return ContainerOfLocation(pane.locationType).volumeList; }

// The card a volume-list pane was read from: the drive named on the command
// line, or the image file the pane keeps as its location.
std::unique_ptr<Card> OpenPaneCard(const PaneState& pane, const std::string& arg, bool write) {
  return OpenCard(pane.locationType == kLocCardDrive ? arg : pane.locationPath, write);
}

int CopyVolumesOutOf(PaneState& source, PaneState& dest, const std::string& sourceArg,
                     const std::vector<std::string>& names) {
  if (dest.locationType != kLocPcDirectory) {
    std::fprintf(stderr, "ERROR: volumes are copied out into a PC directory only\n");
    return 1;
  }
  std::vector<CatalogEntry> volumes;
  for (const std::string& name : names) {
    const int index = FindRow(source, name);
    if (index < 0) {
      std::fprintf(stderr, "ERROR: no volume <%s> on <%s>\n", name.c_str(), sourceArg.c_str());
      return 1;
    }
    source.rows[static_cast<size_t>(index)].marked = true;
  }
  // Without names: every volume that holds a disk (an unformatted one would
  // only give 1600 sectors of nothing).
  for (CatalogEntry& row : source.rows) {
    if (names.empty()) row.marked = row.kind != kKindUprdir && row.disk.total != 0;
    if (row.marked) volumes.push_back(row);
  }
  if (volumes.empty()) {
    std::fprintf(stderr, "ERROR: no initialized volume on <%s>\n", sourceArg.c_str());
    return 1;
  }
  if (!CheckCopy(source, dest)) return 1;
  std::unique_ptr<Card> card = OpenPaneCard(source, sourceArg, false);
  if (!card) return 1;
  ErrorCounter counter;
  TerminalProgress progress("copy");
  bool cancelled = false;
  const int copied = CopyVolumesOut(*card, volumes, dest.locationPath, progress, [&](const std::string& name) {
    const Answer a = CurrentReporter().Ask(kOverwriteCaption, OverwriteText("DSK image", name), Buttons::YesNoCancel);
    cancelled = cancelled || a == Answer::Cancel;
    return a;
  });
  std::printf("%d of %zu volume(s) copied\n", copied, volumes.size());
  return counter.errors > 0 || cancelled ? 1 : 0;
}

int CopyImagesOnto(PaneState& source, PaneState& dest, const std::string& destArg,
                   const std::vector<std::string>& names, const CardCopyOptions& options) {
  if (source.locationType != kLocPcDirectory) {
    std::fprintf(stderr, "ERROR: images are copied onto a CF7A+ card from a PC directory only\n");
    return 1;
  }
  if (names.empty()) {
    std::fprintf(stderr, "ERROR: name the DSK or PC99 images to copy onto the card\n");
    return 2;
  }
  if (names.size() > 1 && !options.autoCopy) {
    // Without "Auto copy next DSK image" the dialog waits after each image.
    std::fprintf(stderr, "ERROR: several images go onto volume after volume only with --auto\n");
    return 2;
  }
  if (!MarkNamedRows(source, names)) return 1;
  if (!CheckCopy(source, dest)) return 1;
  std::vector<CatalogEntry> candidates;
  int refused = 0;
  for (const CatalogEntry& row : source.rows) {
    if (!row.marked) continue;
    if (IsFloppyImageKind(row.kind)) {
      candidates.push_back(row);
    } else {
      std::fprintf(stderr, "ERROR: <%s> is no DSK or PC99 image\n", row.sourceName.c_str());
      ++refused;
    }
  }
  std::unique_ptr<Card> card = OpenPaneCard(dest, destArg, true);
  if (!card) return 1;
  const uint32_t count = card->VolumeCount();
  if (options.volume < 1 || options.volume > count) {
    std::fprintf(stderr, "ERROR: --volume %u: the card has volumes 1 to %u\n", options.volume, count);
    return 1;
  }
  ErrorCounter counter;
  TerminalProgress progress("copy");
  CardCopyRun run(candidates, source.locationPath, count,
                  options.volume, options.autoCopy);
  while (!run.Finished()) {
    const std::string name = SafePcName(run.Current().tiName);
    const bool goOn = run.CopyCurrent(*card, progress);
    if (run.LastResult() != CardCopyResult::Done) break;
    std::printf("%s -> %s\n", name.c_str(), MountChoiceText(run.LastVolume(), run.LastSummary().volumeName).c_str());
    if (!goOn) break;
  }
  const bool flushed = card->Flush();
  if (!run.Finished()) {
    std::fprintf(stderr, "ERROR: not copied from <%s> on: the run stopped\n", SafePcName(run.Current().tiName).c_str());
    return 1;
  }
  return counter.errors > 0 || refused > 0 || !flushed || run.LastResult() != CardCopyResult::Done ? 1 : 0;
}

}  // namespace

bool TakeCardCopyOptions(std::vector<std::string>& args, const CommonOptions& common, CardCopyOptions& options) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!common.IsOption(i, a)) {
      rest.push_back(a);
    } else if (a == "--auto") {
      options.autoCopy = true;
    } else if (a == "--volume") {
      char* end = nullptr;
      const bool value = common.HasValue(i, args.size());
      const unsigned long n = value ? std::strtoul(args[i + 1].c_str(), &end, 10) : 0;
      if (!value || args[i + 1].empty() || *end != '\0' || n == 0 || n > UINT32_MAX) {
        std::fprintf(stderr, "ERROR: --volume needs a volume number from 1\n");
        return false;
      }
      options.volume = static_cast<uint32_t>(n);
      options.volumeGiven = true;
      ++i;
    } else {
      rest.push_back(a);
    }
  }
  args = std::move(rest);
  return true;
}

bool IsCardCopy(const PaneState& source, const PaneState& dest) { return IsCardList(source) || IsCardList(dest); }

int RunCardCopy(PaneState& source, PaneState& dest, const std::string& sourceArg, const std::string& destArg,
                const std::vector<std::string>& names, const CardCopyOptions& options) {
  if (IsCardList(source) && IsCardList(dest)) {
    std::fprintf(stderr, "ERROR: copy the volume out to a PC directory first\n");
    return 1;
  }
  if (IsCardList(source)) {
    if (options.volumeGiven || options.autoCopy) {
      std::fprintf(stderr, "ERROR: --volume and --auto choose the volumes written on a card\n");
      return 2;
    }
    return CopyVolumesOutOf(source, dest, sourceArg, names);
  }
  return CopyImagesOnto(source, dest, destArg, names, options);
}

}  // namespace korvane::cli
