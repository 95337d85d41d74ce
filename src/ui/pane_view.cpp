#include "ui/pane_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>

#include <algorithm>

namespace korvane::ui {
namespace {
constexpr int kTextInset = 5;  // column text starts 5 pixels right of its column's left edge
constexpr int kHeaderGap = 2;  // pixels between the header and the first row
}  // namespace

PaneView::PaneView(PaneModel* model, const Look* look, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model), look_(look) {
  setFocusPolicy(Qt::NoFocus);
  viewport()->setFocusPolicy(Qt::NoFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

  headerModel_ = new QStandardItemModel(0, kPaneColumns, this);
  for (int c = 0; c < kPaneColumns; ++c) headerModel_->setHeaderData(c, Qt::Horizontal, ColumnTitle(c));
  header_ = new QHeaderView(Qt::Horizontal, this);
  header_->setModel(headerModel_);
  header_->setFocusPolicy(Qt::NoFocus);
  header_->setSectionsClickable(true);
  header_->setSectionsMovable(false);
  header_->setHighlightSections(false);
  header_->setStretchLastSection(false);
  header_->setMinimumSectionSize(0);
  header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(header_, &QHeaderView::sectionClicked, this, &PaneView::headerClicked);
  connect(header_, &QHeaderView::sectionResized, this, &PaneView::OnSectionResized);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &PaneView::OnScrollValue);
  verticalScrollBar()->setSingleStep(1);
  Sync();
}

int PaneView::LineHeight() const { return look_->lineHeight; }

QRect PaneView::ListRect() const { return viewport()->geometry(); }

void PaneView::SetActive(bool active) {
  active_ = active;
  viewport()->update();
}

void PaneView::LayoutHeader() {
  const int h = header_->sizeHint().height();
  setViewportMargins(0, h + kHeaderGap, 0, 0);
  const QRect cr = contentsRect();
  header_->setGeometry(cr.left(), cr.top(), cr.width(), h);
}

void PaneView::UpdateRowsPerPage() {
  SetRowsPerPage(*model_, viewport()->height() / std::max(1, LineHeight()));
}

void PaneView::Sync() {
  syncing_ = true;
  for (int c = 0; c < kPaneColumns; ++c) {
    const int w = std::max(0, model_->columnWidths[static_cast<size_t>(c)]);
    if (header_->sectionSize(c) != w) header_->resizeSection(c, w);
  }
  LayoutHeader();
  UpdateRowsPerPage();
  const PaneState& p = model_->state;
  // The scroll bar is there only when the rows do not fit.
  const bool needed = p.RowCount() >= p.rowsPerPage && p.RowCount() > 0 && model_->hasRows;
  setVerticalScrollBarPolicy(needed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  QScrollBar* bar = verticalScrollBar();
  bar->setRange(0, p.HighestTop());
  bar->setPageStep(p.rowsPerPage);
  bar->setValue(std::clamp(p.topRow, 0, p.HighestTop()));
  syncing_ = false;
  NotePainted(*model_);
  viewport()->update();
}

void PaneView::LookChanged() {
  header_->setFont(font());
  Sync();
}

void PaneView::OnScrollValue(int value) {
  if (syncing_ || value == model_->state.topRow) return;
  Scroll(*model_, ScrollAction::Track, value);
  viewport()->update();
}

void PaneView::OnSectionResized(int column, int, int newSize) {
  if (syncing_ || column < 0 || column >= kPaneColumns) return;
  model_->columnWidths[static_cast<size_t>(column)] = newSize;
  viewport()->update();
  emit columnsResized();
}

void PaneView::scrollContentsBy(int, int) { viewport()->update(); }

void PaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  LayoutHeader();
  const int before = model_->state.rowsPerPage;
  UpdateRowsPerPage();
  if (before != model_->state.rowsPerPage) Sync();
}

void PaneView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QRect area = viewport()->rect();
  p.fillRect(area, look_->background);
  if (window()->isMinimized()) return;
  NotePainted(*model_);
  const PaneState& pane = model_->state;
  const int lh = LineHeight();
  p.setFont(look_->font);
  for (int i = model_->firstPainted; i < model_->endPainted; ++i) {
    const CatalogEntry& row = pane.rows[static_cast<size_t>(i)];
    const int y = (i - model_->firstPainted) * lh;
    const bool cursor = active_ && i == pane.cursor;
    if (cursor) p.fillRect(QRect(0, y, area.width(), lh), look_->text);
    p.setPen(row.marked ? look_->mark : (cursor ? look_->background : look_->text));
    for (int c = 0; c < kPaneColumns; ++c) {
      const std::string text = ColumnText(pane, row, c);
      if (text.empty()) continue;
      const int left = header_->sectionViewportPosition(c);
      const int width = header_->sectionSize(c);
      const QRect cell(left + kTextInset, y, width - kTextInset, lh);
      if (cell.width() <= 0 || cell.left() >= area.width()) continue;
      p.setClipRect(cell);
      // PC names are the file system's (UTF-8); TI names and texts are bytes.
      const QString shown = c == 0 ? QString::fromUtf8(text) : QString::fromLatin1(text);
      p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    p.setClipping(false);
  }
}

void PaneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit clicked(static_cast<int>(event->position().y()), event->modifiers());
    event->accept();
    return;
  }
  event->ignore();
}

void PaneView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit doubleClicked(static_cast<int>(event->position().y()), event->modifiers());
    event->accept();
    return;
  }
  event->ignore();
}

void PaneView::wheelEvent(QWheelEvent* event) {
  if (wheelToWindow_) {
    emit wheelTurned(event->angleDelta().y());
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

}  // namespace korvane::ui
