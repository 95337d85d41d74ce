#include "ui/viewer_open.h"

#include <QApplication>
#include <QLocale>

#include <sys/wait.h>

#include <fmt/printf.h>

#include <vector>

#include "catalog/listing.h"
#include "fileops/locations.h"
#include "floppy/pc99_layout.h"
#include "ui/edit_viewer.h"
#include "ui/look.h"
#include "ui/picture_viewer.h"
#include "ui/viewer_print.h"
#include "viewers/gif_picture.h"
#include "viewers/pictures.h"
#include "viewers/view_builder.h"

namespace korvane::ui {
namespace {

const CatalogEntry* RowAt(const PaneState& pane, int row) {
  if (row < 0 || row >= pane.RowCount()) return nullptr;
  return &pane.rows[static_cast<size_t>(row)];
}

EditViewer* OpenText(Settings& settings) {
  if (!BoundPrintMargins())
    BindPrintMargins(&settings.margins, LocaleMeasuresMetric(QLocale()));
  return EditViewer::Open(SharedViewerSlots(settings), ListFont(settings));
}

void Show(QWidget* w) {
  w->show();
  w->raise();
  w->activateWindow();
}

}  // namespace

void ViewRow(Settings& settings, const PaneState& pane, int row, int mode) {
  const CatalogEntry* r = RowAt(pane, row);
  if (!r) return;
  EditViewer* v = OpenText(settings);
  if (!v) return;
  v->SetTiName(r->tiName);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (IsTiFileKind(r->kind)) {
    const TextView view = BuildView(pane, *r, mode);
    QApplication::restoreOverrideCursor();
    if (!view.ok) {
      // The failure was reported; an empty window would only hide that.
      delete v;
      return;
    }
    v->SetViewerText(view.text, view.title, true);
  } else if (r->kind == kKindDos && pane.locationType == kLocPcDirectory) {
    std::string text;
    const bool opened = ReadPcFileText(RowPcPath(pane, *r), text);
    QApplication::restoreOverrideCursor();
    if (!opened) {
      delete v;
      return;
    }
    v->SetViewerText(text, fmt::sprintf("%s - %s", "Korvane", r->sourceName), false);
  } else {
    QApplication::restoreOverrideCursor();
  }
  Show(v);
}

void ShowPictureOfRow(Settings& settings, const PaneState& pane, int row, int mode) {
  if (!RowAt(pane, row)) return;
  PictureViewer* p = PictureViewer::Open(SharedViewerSlots(settings));
  if (!p) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Picture picture;
  switch (mode) {
    case kPictureTiArtist: picture = ShowTiArtist(pane, row); break;
    case kPictureMyart256: case kPictureMyart512: picture = ShowMyart(pane, row, mode); break;
    case kPictureCharset: picture = ShowCharset(pane, row); break;
    default: break;
  }
  QApplication::restoreOverrideCursor();
  if (!picture.ok) {
    delete p;
    return;
  }
  p->SetPicture(picture.image, picture.title, picture.safeName);
  Show(p);
}

void ShowGifOfRow(const Settings& settings, const PaneState& pane, int row) {
  // Viewers started earlier are collected once they have ended, here and
  // when the program's main window closes.
  static bool reapAtQuit = false;
  if (!reapAtQuit)
    reapAtQuit =
        static_cast<bool>(QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, &ReapPictureViewers));
  const CatalogEntry* r = RowAt(pane, row);
  if (!r) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ShowGif(pane, *r, settings.picViewer);  // keeps the viewer for collection
  QApplication::restoreOverrideCursor();
}

void FeedFileList(Settings& settings, const PaneState& pane) {
  EditViewer* v = OpenText(settings);
  if (!v) return;
  v->SetViewerText(DirectoryListing(pane), DirectoryListingTitle(pane), false);
  Show(v);
}

QWidget* ShowTextView(Settings& settings, const std::string& text, const std::string& title, const std::string& name) {
  EditViewer* v = OpenText(settings);
  if (!v) return nullptr;
  v->SetTiName(name);
  v->SetViewerText(text, title, true);
  Show(v);
  return v;
}

void ShowPc99Layout(Settings& settings, const PaneState& pane, int row) {
  const CatalogEntry* r = RowAt(pane, row);
  if (!r) return;
  EditViewer* v = OpenText(settings);
  if (!v) return;
  std::string text;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool ok = Pc99LayoutText(*r, PaneDirectory(pane), text);
  QApplication::restoreOverrideCursor();
  if (!ok) {
    delete v;
    return;
  }
  v->SetViewerText(text, Pc99LayoutCaption(pane), true);
  Show(v);
}

}  // namespace korvane::ui
