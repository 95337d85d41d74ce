#include "cli/file_command_args.h"

#include <cstdio>

#include "cli/location_arg.h"

namespace korvane::cli {

bool MarkNamedRows(PaneState& pane, const std::vector<std::string>& names) {
  for (CatalogEntry& row : pane.rows) row.marked = names.empty() && row.kind != kKindUprdir;
  bool ok = true;
  for (const std::string& name : names) {
    const int index = FindRowOrReport(pane, name, pane.locationPath);
    if (index < 0) {
      ok = false;
      continue;
    }
    pane.rows[static_cast<size_t>(index)].marked = true;
  }
  return ok;
}

bool PutCursorOn(PaneState& pane, const std::string& name, const std::string& location) {
  const int index = FindRowOrReport(pane, name, location);
  if (index < 0) return false;
  for (CatalogEntry& row : pane.rows) row.marked = false;
  pane.cursor = index;
  return true;
}

ErrorCounter::ErrorCounter() : inner_(InstallReporter(this)) {}
ErrorCounter::~ErrorCounter() { InstallReporter(inner_); }

void ErrorCounter::ShowError(const std::string& text) {
  ++errors;
  if (inner_) inner_->ShowError(text);
}

Answer ErrorCounter::Ask(const std::string& caption, const std::string& text, Buttons buttons) {
  return inner_ ? inner_->Ask(caption, text, buttons) : Answer::No;
}

void ErrorCounter::ShowMessage(const std::string& caption, const std::string& text) {
  ++errors;  // a refused input: the command did not do what was asked
  if (inner_) inner_->ShowMessage(caption, text);
}

}  // namespace korvane::cli
