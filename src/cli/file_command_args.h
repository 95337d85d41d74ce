// Shared by the file commands of korvane-cli: choosing rows by name and
// telling whether anything went wrong.
#pragma once

#include <string>
#include <vector>

#include "catalog/pane.h"
#include "platform/reporter.h"

namespace korvane::cli {

// Marks the rows called `names` (as FindRow finds them); with no names,
// marks every row but "..". Prints the names that are missing and returns
// false when one is.
bool MarkNamedRows(PaneState& pane, const std::vector<std::string>& names);

// Puts the cursor on the row called `name`; false (printed) when missing.
bool PutCursorOn(PaneState& pane, const std::string& name, const std::string& location);

// Counts the errors reported while it is installed and passes everything on
// to the reporter that was installed before it.
class ErrorCounter : public Reporter {
 public:
  ErrorCounter();
  ~ErrorCounter() override;
  void ShowError(const std::string& text) override;
  Answer Ask(const std::string& caption, const std::string& text, Buttons buttons) override;
  void ShowMessage(const std::string& caption, const std::string& text) override;
  int errors = 0;

 private:
  Reporter* inner_;
};

}  // namespace korvane::cli
