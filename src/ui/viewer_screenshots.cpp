#include "ui/viewer_screenshots.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/header.h"
#include "fileops/locations.h"
#include "harddisk/structure_view.h"
#include "ui/main_window.h"
#include "ui/structure_window.h"
#include "ui/viewer_open.h"
#include "ui/viewer_slots.h"
#include "viewers/pictures.h"
#include "viewers/view_builder.h"

namespace korvane::ui {
namespace {

// Lets the windows be laid out and painted.
void Settle() {
  QEventLoop loop;
  QTimer::singleShot(400, &loop, &QEventLoop::quit);
  loop.exec();
}

// The window that took a slot free before.
QWidget* OpenViewer(ViewerSlots& pool, const std::array<bool, kViewerSlots>& before) {
  for (int i = 0; i < kViewerSlots; ++i)
    if (pool.InUse(i) && !before[static_cast<size_t>(i)]) return pool.Slot(i).window.data();
  return nullptr;
}

bool Shoot(MainWindow& window, Settings& settings, const char* variable, bool picture) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return true;
  const std::string setting = value;
  const size_t colon = setting.find(':');
  if (colon == std::string::npos) {
    std::fprintf(stderr, "%s: expected ROW:FILE.png\n", variable);
    return false;
  }
  const std::string name = setting.substr(0, colon), path = setting.substr(colon + 1);
  ViewerSlots& pool = SharedViewerSlots(settings);
  std::array<bool, kViewerSlots> before{};
  for (int i = 0; i < kViewerSlots; ++i) before[static_cast<size_t>(i)] = pool.InUse(i);
  for (int side : {kLeft, kRight}) {
    const PaneState& pane = window.Cmds().Pane(side).state;
    for (int row = 0; row < pane.RowCount(); ++row) {
      const CatalogEntry& r = pane.rows[static_cast<size_t>(row)];
      if (TrimTiName(r.tiName) != name && r.sourceName != name) continue;
      if (picture) ShowPictureOfRow(settings, pane, row, kPictureTiArtist);
      else ViewRow(settings, pane, row, kViewDefault);
      QWidget* viewer = OpenViewer(pool, before);
      if (!viewer) break;
      Settle();
      const bool saved = viewer->grab().save(QString::fromStdString(path));
      viewer->close();
      return saved;
    }
  }
  std::fprintf(stderr, "%s: no window for the row %s\n", variable, name.c_str());
  return false;
}

// The first sector-structure window of an image row of a PC directory.
bool ShootStructure(MainWindow& window, Settings& settings) {
  const char* value = std::getenv("KORVANE_SCREENSHOT_STRUCTURE");
  if (!value || !*value) return true;
  const std::string setting = value;
  const size_t colon = setting.find(':');
  if (colon == std::string::npos) {
    std::fprintf(stderr, "KORVANE_SCREENSHOT_STRUCTURE: expected ROW:FILE.png\n");
    return false;
  }
  const std::string name = setting.substr(0, colon), path = setting.substr(colon + 1);
  for (int side : {kLeft, kRight}) {
    const PaneState& pane = window.Cmds().Pane(side).state;
    if (pane.locationType != kLocPcDirectory) continue;
    for (const CatalogEntry& r : pane.rows) {
      if (r.sourceName != name) continue;
      const std::optional<StructureTarget> first = FirstStructureOf(r.kind, RowPcPath(pane, r));
      QWidget* structure = first ? StructureWindow::Open(*first, settings, &window) : nullptr;
      if (!structure) break;
      Settle();
      const bool saved = structure->grab().save(QString::fromStdString(path));
      structure->close();
      return saved;
    }
  }
  std::fprintf(stderr, "KORVANE_SCREENSHOT_STRUCTURE: no window for the row %s\n", name.c_str());
  return false;
}

}  // namespace

bool TakeViewerScreenshots(MainWindow& window, Settings& settings) {
  const bool listing = Shoot(window, settings, "KORVANE_SCREENSHOT_LISTING", false);
  const bool picture = Shoot(window, settings, "KORVANE_SCREENSHOT_PICTURE", true);
  const bool structure = ShootStructure(window, settings);
  return listing && picture && structure;
}

}  // namespace korvane::ui
