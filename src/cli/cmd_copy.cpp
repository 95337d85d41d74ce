// korvane-cli copy SRC DEST [NAME...]: copy rows from one location to
// another, as F5 does from a pane on SRC to a pane on DEST.
#include <cstdio>

#include "cli/card_copy_command.h"
#include "cli/command.h"
#include "cli/file_command_args.h"
#include "cli/location_arg.h"
#include "fileops/file_commands.h"
#include "fileops/row_source.h"

namespace korvane::cli {
namespace {

int RunCopy(const std::vector<std::string>& given, const CommonOptions& options) {
  std::vector<std::string> args = given;
  CardCopyOptions cardOptions;
  if (!TakeCardCopyOptions(args, options, cardOptions)) return 2;
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: korvane-cli copy SRC DEST [NAME...] [--volume N] [--auto]\n");
    return 2;
  }
  ErrorCounter counter;
  PaneState source, dest;
  if (!OpenLocation(args[0], source) || !OpenLocation(args[1], dest)) return 1;
  if (IsCardCopy(source, dest))
    return RunCardCopy(source, dest, args[0], args[1], std::vector<std::string>(args.begin() + 2, args.end()),
                       cardOptions);
  if (cardOptions.volumeGiven || cardOptions.autoCopy) {
    std::fprintf(stderr, "ERROR: --volume and --auto are for copying onto a CF7A+ card\n");
    return 2;
  }
  if (!MarkNamedRows(source, std::vector<std::string>(args.begin() + 2, args.end()))) return 1;
  if (!CheckCopy(source, dest)) return 1;
  // A PC file without a TI header becomes a TI file only through the PC to
  // TI conversion (pc2ti), which asks for its type and record layout. Without
  // names such rows are passed over, as every other row that does not fit.
  int unconverted = 0;
  if (args.size() > 2 && PaneIsWritableFloppy(dest)) {  // asked for by name
    for (const int index : CommandRows(source)) {
      const CatalogEntry& row = source.rows[static_cast<size_t>(index)];
      if (row.kind != kKindDos) continue;
      std::fprintf(stderr, "ERROR: <%s> has no TI header: convert it with pc2ti first\n", row.sourceName.c_str());
      ++unconverted;
    }
  }
  const CopyResult result = CopyRows(source, dest, NoProgress());
  if (result == CopyResult::NotAvailable) {
    std::fprintf(stderr, "ERROR: copying to or from the volume list of a CF7A+ card is not available\n");
    return 1;
  }
  return counter.errors > 0 || unconverted > 0 || result == CopyResult::Stopped ? 1 : 0;
}

const Registration kCopy{{"copy", "copy SRC DEST [NAME...] [--volume N] [--auto]",
                          "copy rows (all when no NAME is given) from location SRC to location DEST; onto a "
                          "CF7A+ card the images go to volume N on (--auto: one after another)",
                          RunCopy}};

}  // namespace
}  // namespace korvane::cli
