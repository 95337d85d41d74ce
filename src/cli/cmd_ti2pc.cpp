// korvane-cli ti2pc LOCATION NAME DESTDIR [--name N] [--method crlf|lf|binary]:
// a TI file's records as a plain PC file, with the defaults the conversion
// dialog proposes (section Ti_Pc_File_Conversion of Korvane.ini in the
// current directory).
#include <strings.h>

#include <cstdio>
#include <string>

#include "catalog/errors.h"
#include "fileops/locations.h"
#include "cli/command.h"
#include "cli/location_arg.h"
#include "fileops/conversion_settings.h"
#include "fileops/export.h"
#include "fileops/pc_paths.h"
#include "fileops/ti_to_pc.h"
#include "platform/pc_file.h"


namespace korvane::cli {
namespace {

constexpr const char* kUsage = "ti2pc LOCATION NAME DESTDIR [--name N] [--method crlf|lf|binary]";

int MethodFromText(const std::string& text) {
  if (strcasecmp(text.c_str(), "crlf") == 0) return kTiPcAddCrLf;
  if (strcasecmp(text.c_str(), "lf") == 0) return kTiPcAddLf;
  if (strcasecmp(text.c_str(), "binary") == 0) return kTiPcBinary;
  return -1;
}

int RunTi2Pc(const std::vector<std::string>& args, const CommonOptions& options) {
  static const Command usage{"ti2pc", kUsage, "", nullptr};
  std::vector<std::string> positional;
  std::string name;
  bool hasName = false;
  int method = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    const bool value = options.HasValue(i, args.size());
    if (!options.IsOption(i, args[i])) {
      positional.push_back(args[i]);
    } else if (args[i] == "--name" && value) {
      name = args[++i];
      hasName = true;
    } else if (args[i] == "--method" && value) {
      method = MethodFromText(args[++i]);
      if (method < 0) return UsageError(usage);
    } else {
      return UsageError(usage);
    }
  }
  if (positional.size() != 3) return UsageError(usage);

  SetLastErrorCode(0);
  PaneState source;
  if (!OpenLocation(positional[0], source)) return 1;
  const int index = FindRowOrReport(source, positional[1], positional[0]);
  if (index < 0) return 1;
  const CatalogEntry row = source.rows[static_cast<size_t>(index)];
  PaneState dest;
  if (!OpenLocation(positional[2], dest)) return 1;
  const ConversionKind kind = StartConversion(dest, row);
  if (kind == ConversionKind::None) return 1;
  if (kind == ConversionKind::PcToTi) {
    // A plain PC file has no records to take out; pc2ti converts it.
    ReportError(kErrTiToPcOnly);
    return 1;
  }

  const TiPcDefaults defaults =
      LookupTiPcDefaults(ReadConversionSection(kSettingsFileName, kTiPcSection), row.kind, row.recordLength);
  const std::string pcName = hasName ? FilterTypedPcName(name) : TiPcProposedName(row, defaults);
  if (method < 0) method = defaults.method;
  const std::string problem = CheckTiPcChoice(pcName, method);
  if (!problem.empty()) {
    CurrentReporter().ShowMessage("Korvane", problem);
    return 1;
  }
  std::string sourcePath;
  if (!TiFileAsPcFile(source, row, sourcePath)) return 1;
  const ConvertResult result = ConvertTiFileToPc(sourcePath, row, PaneDirectory(dest), pcName, method, NoProgress());
  return result == ConvertResult::Converted ? 0 : 1;
}

const Registration kTi2Pc{{"ti2pc", kUsage,
                           "convert a TI file's records into a plain PC file (lines ended with CR LF or LF, or "
                           "the bare records); defaults from Korvane.ini",
                           RunTi2Pc}};

}  // namespace
}  // namespace korvane::cli
