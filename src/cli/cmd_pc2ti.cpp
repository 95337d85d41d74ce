// korvane-cli pc2ti DIR PCNAME DESTDIR [--name N] [--type T] [--reclen N]
//   [--method M] [--header W1 W2 W3]: a plain PC file as a TI file with a
// V9T9 header, with the defaults the conversion dialog proposes (section
// Pc_Ti_File_Conversion of Korvane.ini in the current directory).
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/errors.h"
#include "fileops/locations.h"
#include "cli/command.h"
#include "cli/location_arg.h"
#include "fileops/conversion_settings.h"
#include "fileops/pc_paths.h"
#include "fileops/pc_to_ti.h"

namespace korvane::cli {
namespace {

constexpr const char* kUsage =
    "pc2ti DIR PCNAME DESTDIR [--name N] [--type dis/fix|dis/var|int/fix|int/var|program] [--reclen N] "
    "[--method removecrlf|tocr|tolf|binary] [--header W1 W2 W3]";

int TypeFromText(const std::string& text) {
  for (int t = kPcTiDisFix; t < kPcTiTypeCount; ++t)
    if (strcasecmp(text.c_str(), PcTiTypeKey(t)) == 0) return t;
  return -1;
}

int MethodFromText(const std::string& text) {
  static const char* const kNames[kPcTiMethodCount] = {"", "removecrlf", "tocr", "tolf", "binary"};
  for (int m = kPcTiRemoveCrLf; m < kPcTiMethodCount; ++m)
    if (strcasecmp(text.c_str(), kNames[m]) == 0 || strcasecmp(text.c_str(), PcTiMethodKey(m)) == 0) return m;
  return -1;
}

// A record length as the list offers it: 1-255, else none selected (0).
bool RecordLengthFromText(const std::string& text, int& length) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long n = text.size() > 3 ? 0 : std::strtoul(text.c_str(), nullptr, 10);
  length = n >= 1 && n <= 255 ? static_cast<int>(n) : 0;
  return true;
}

int RunPc2Ti(const std::vector<std::string>& args, const CommonOptions& options) {
  static const Command usage{"pc2ti", kUsage, "", nullptr};
  std::vector<std::string> positional;
  std::string name, typeText, reclenText, methodText;
  bool hasName = false, hasType = false, hasReclen = false, hasMethod = false, hasHeader = false;
  std::array<std::string, 3> words;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool value = options.HasValue(i, args.size());
    if (!options.IsOption(i, a)) positional.push_back(a);
    else if (a == "--name" && value) name = args[++i], hasName = true;
    else if (a == "--type" && value) typeText = args[++i], hasType = true;
    else if (a == "--reclen" && value) reclenText = args[++i], hasReclen = true;
    else if (a == "--method" && value) methodText = args[++i], hasMethod = true;
    else if (a == "--header" && i + 3 < args.size() && i + 3 < options.operandsFrom) {
      for (std::string& w : words) w = args[++i];
      hasHeader = true;
    } else return UsageError(usage);
  }
  if (positional.size() != 3) return UsageError(usage);

  SetLastErrorCode(0);
  const std::string& pcName = positional[1];
  PaneState dest;
  if (!OpenLocation(positional[2], dest)) return 1;
  if (dest.locationType != kLocPcDirectory) {
    ReportError(kErrNoPcFilesHere);
    return 1;
  }

  const PcTiDefaults defaults =
      LookupPcTiDefaults(ReadConversionSection(kSettingsFileName, kPcTiSection), PcExtension(pcName));
  PcTiChoice choice;
  choice.tiName = hasName ? FilterTypedTiName(name) : PcTiProposedName(pcName);
  choice.type = defaults.type;
  choice.recordLength = defaults.recordLength;
  choice.method = defaults.method;
  if (hasType && (choice.type = TypeFromText(typeText)) < 0) return UsageError(usage);
  if (hasReclen && !RecordLengthFromText(reclenText, choice.recordLength)) return UsageError(usage);
  if (hasMethod && (choice.method = MethodFromText(methodText)) < 0) return UsageError(usage);
  const PcTiTypeRules rules = TypeRules(choice.type);
  if (!rules.recordLengthEnabled) choice.recordLength = 0;
  if (!rules.methodEnabled) choice.method = kPcTiBinary;
  if (hasHeader) {
    if (!rules.dataHeaderEnabled) {
      std::fprintf(stderr, "ERROR: --header is only for PROGRAM files\n");
      return 2;
    }
    choice.dataHeader = true;
    choice.headerWords = words;
  }
  const PcTiCheck check = CheckPcTiChoice(choice);
  if (!check.message.empty()) {
    CurrentReporter().ShowMessage("Korvane", check.message);
    return 1;
  }

  PcTiJob job;
  job.tiName = choice.tiName;
  job.type = choice.type;
  job.recordLength = choice.type == kPcTiProgram ? 0 : choice.recordLength;
  job.method = choice.method;
  job.dataHeader = choice.dataHeader;
  job.words = check.words;
  const std::string sourcePath = JoinPath(positional[0], pcName);
  return ConvertPcFileToTi(sourcePath, PaneDirectory(dest), job, NoProgress()) ? 0 : 1;
}

const Registration kPc2Ti{{"pc2ti", kUsage,
                           "convert a plain PC file into a TI file with a V9T9 header (records from its lines "
                           "or blocks, or a PROGRAM image); defaults from Korvane.ini",
                           RunPc2Ti}};

}  // namespace
}  // namespace korvane::cli
