#include "viewers/view_builder.h"

#include <new>

#include "catalog/errors.h"
#include "viewers/basic_program.h"
#include "viewers/location_title.h"
#include "viewers/text_views.h"
#include "viewers/view_source.h"

namespace korvane {

bool BuildViewText(TiData& data, const CatalogEntry& row, int mode, std::string& text) {
  // The first rule that applies decides; a BASIC reader that finds no
  // program of its form falls through to the next rule.
  if (row.kind == kKindProgram || mode == kViewHex) {
    if (row.kind == kKindProgram && mode == kViewDefault) {
      const BasicResult r = ListProgramImage(data, text);
      if (r == BasicResult::kListing) return true;
      if (r == BasicResult::kFailed) return false;
      text.clear();
    }
    BuildHexDump(data, row.totalSectors, text);
    return true;
  }
  if (row.kind == kKindIntVar && row.recordLength == 254) {
    const BasicResult r = ListLongProgram(data, row.level3Records, text);
    if (r == BasicResult::kListing) return true;
    if (r == BasicResult::kFailed) return false;
    text.clear();
  } else if (row.kind == kKindDisVar && row.recordLength == 163) {
    const BasicResult r = ListMergeFile(data, row.level3Records, text);
    if (r == BasicResult::kListing) return true;
    if (r == BasicResult::kFailed) return false;
    text.clear();
  }
  if (mode == kViewForth || LooksLikeForth(data, row)) {
    BuildForthView(data, row.totalSectors, text);
    return true;
  }
  BuildRecordView(data, row, text);
  return true;
}

std::string ViewTitle(const std::string& locationTitle, const std::string& text) {
  return text.size() > kViewTextLimit ? locationTitle + kTruncatedSuffix : locationTitle;
}

TextView BuildView(const PaneState& pane, const CatalogEntry& row, int mode) {
  TextView view;
  PcFile file;
  if (!OpenViewSource(pane, row, file)) return view;
  PcFileData data(file);
  try {
    if (!BuildViewText(data, row, mode, view.text)) {
      view.text.clear();
      return view;
    }
  } catch (const std::bad_alloc&) {
    view.text.clear();
    view.text.shrink_to_fit();
    ReportError(kErrNoMemory);
    return view;
  }
  view.title = ViewTitle(LocationTitle(pane, row), view.text);
  view.ok = true;
  return view;
}

}  // namespace korvane
