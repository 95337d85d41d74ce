#include "platform/reporter.h"

namespace korvane {
namespace {
SilentReporter gSilent;
Reporter* gReporter = &gSilent;
int gLastErrorCode = 0;
}  // namespace

Reporter* InstallReporter(Reporter* reporter) {
  Reporter* previous = gReporter;
  gReporter = reporter ? reporter : &gSilent;
  return previous == &gSilent ? nullptr : previous;
}

Reporter& CurrentReporter() { return *gReporter; }

int LastErrorCode() { return gLastErrorCode; }
void SetLastErrorCode(int code) { gLastErrorCode = code; }

}  // namespace korvane
