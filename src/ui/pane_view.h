// The widget that draws one pane's rows under its column header. It paints
// only the rows on screen, straight from the pane model, and turns clicks,
// header clicks, divider drags and the scroll bar into signals and model
// calls; what a key or click means is decided by the commands.
#pragma once

#include <QAbstractScrollArea>
#include <QHeaderView>

#include "catalog/pane_model.h"
#include "ui/look.h"

class QStandardItemModel;

namespace korvane::ui {

class PaneView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  PaneView(PaneModel* model, const Look* look, QWidget* parent = nullptr);

  void SetActive(bool active);
  bool IsActive() const { return active_; }
  // The main window scrolls the active pane two lines per wheel step when
  // the `mousewheel` setting is on; otherwise the wheel moves this pane's
  // scroll bar.
  void SetWheelToWindow(bool on) { wheelToWindow_ = on; }
  // Takes over the model's column widths, rows per page and scroll range,
  // then repaints: after every change of the model.
  void Sync();
  // After a font change: new line height, new rows per page.
  void LookChanged();

  QHeaderView* Header() const { return header_; }
  int LineHeight() const;
  // Top of the list area, in this widget's coordinates.
  QRect ListRect() const;

 signals:
  void clicked(int y, Qt::KeyboardModifiers modifiers);
  void doubleClicked(int y, Qt::KeyboardModifiers modifiers);
  void headerClicked(int column);
  void columnsResized();
  void wheelTurned(int delta);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void OnScrollValue(int value);
  void OnSectionResized(int column, int oldSize, int newSize);
  void LayoutHeader();
  void UpdateRowsPerPage();

  PaneModel* model_;
  const Look* look_;
  QHeaderView* header_;
  QStandardItemModel* headerModel_;
  bool active_ = false;
  bool wheelToWindow_ = false;
  bool syncing_ = false;
};

}  // namespace korvane::ui
