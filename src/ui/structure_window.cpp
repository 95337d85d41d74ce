#include "ui/structure_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/viewer_open.h"

namespace korvane::ui {
namespace {

QString Text(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

// The cascade of structure windows, shared by all of them.
int cascadeX = 100;
int cascadeY = 100;

}  // namespace

StructureWindow::StructureWindow(StructureDescription description, Settings& settings, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window),
      description_(std::move(description)),
      settings_(settings),
      mainWindow_(mainWindow) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(Text(description_.caption));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  auto* layout = new QVBoxLayout(this);
  if (!description_.fields.empty()) {
    auto* form = new QFormLayout;
    // Every field as wide as the longest value (a time stamp), so that no
    // value is cut.
    int width = QFontMetrics(fixed).horizontalAdvance(QString(12, '0'));
    for (const StructureField& f : description_.fields)
      width = std::max(width, QFontMetrics(fixed).horizontalAdvance(Text(f.value)));
    for (const StructureField& f : description_.fields) {
      auto* edit = new QLineEdit(Text(f.value), this);
      edit->setReadOnly(true);
      edit->setFont(fixed);
      edit->setObjectName(QString("field%1").arg(f.id));
      edit->setMinimumWidth(width + 16);
      form->addRow(Text(f.label), edit);
      fields_[Text(f.label)] = edit;
    }
    layout->addLayout(form);
  }

  if (!description_.listLabel.empty()) layout->addWidget(new QLabel(Text(description_.listLabel), this));
  if (description_.kind == StructureKind::FloppyVib) {
    // The allocation bitmap, one byte per line, in a drop-down list.
    bitmap_ = new QComboBox(this);
    bitmap_->setFont(fixed);
    for (const std::string& line : description_.lines) bitmap_->addItem(Text(line));
    layout->addWidget(bitmap_);
  } else if (description_.kind != StructureKind::PartitionTable) {
    list_ = new QListWidget(this);
    list_->setFont(fixed);
    for (const std::string& line : description_.lines) list_->addItem(Text(line));
    list_->setEnabled(description_.listEnabled);
    list_->setMinimumHeight(list_->fontMetrics().height() * 10);
    // A double click, or Enter on the current line, opens what it names.
    connect(list_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ActivateLine(list_->row(item)); });
    layout->addWidget(list_, 1);
  }

  auto* row = new QHBoxLayout;
  for (const StructureButton& b : description_.buttons) {
    auto* button = new QPushButton(Text(b.text), this);
    button->setEnabled(b.enabled);
    button->setObjectName(QString("button%1").arg(b.id));
    const int id = b.id;
    connect(button, &QPushButton::clicked, this, [this, id] { PressButton(id); });
    row->addWidget(button);
    buttons_[b.id] = button;
  }
  row->addStretch(1);
  layout->addLayout(row);
}

QWidget* StructureWindow::Open(const StructureTarget& target, Settings& settings, QWidget* mainWindow) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  StructureOpened opened = OpenTarget(target);
  QApplication::restoreOverrideCursor();
  if (opened.structure) {
    auto* window = new StructureWindow(std::move(*opened.structure), settings, mainWindow);
    window->adjustSize();
    window->move(NextCascadePosition(mainWindow));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
  }
  if (opened.sectors)
    return ShowTextView(settings, opened.sectors->text, opened.sectors->title, target.label);
  return nullptr;
}

QString StructureWindow::FieldText(const QString& label) const {
  const auto it = fields_.find(label);
  return it == fields_.end() ? QString() : it->second->text();
}

QStringList StructureWindow::ListLines() const {
  QStringList lines;
  if (bitmap_)
    for (int i = 0; i < bitmap_->count(); ++i) lines << bitmap_->itemText(i);
  if (list_)
    for (int i = 0; i < list_->count(); ++i) lines << list_->item(i)->text();
  return lines;
}

bool StructureWindow::ListEnabled() const {
  if (list_) return list_->isEnabled();
  return bitmap_ && bitmap_->isEnabled();
}

bool StructureWindow::ButtonEnabled(int id) const {
  const auto it = buttons_.find(id);
  return it != buttons_.end() && it->second->isEnabled();
}

void StructureWindow::SelectLine(int line) {
  if (list_) list_->setCurrentRow(line);
}

QWidget* StructureWindow::PressButton(int id) {
  if (!ButtonEnabled(id)) return nullptr;
  for (const StructureButton& b : description_.buttons) {
    if (b.id != id) continue;
    if (b.opensSelection) return list_ && list_->isEnabled() ? OpenLine(list_->currentRow()) : nullptr;
    if (b.target) return Open(*b.target, settings_, mainWindow_);
  }
  return nullptr;
}

QWidget* StructureWindow::ActivateLine(int line) {
  if (!list_ || !list_->isEnabled()) return nullptr;
  list_->setCurrentRow(line);
  return OpenLine(line);
}

QWidget* StructureWindow::OpenLine(int line) {
  if (line < 0 || static_cast<size_t>(line) >= description_.lineTargets.size()) return nullptr;
  const std::optional<StructureTarget>& target = description_.lineTargets[static_cast<size_t>(line)];
  return target ? Open(*target, settings_, mainWindow_) : nullptr;
}

void StructureWindow::ResetCascade() { cascadeX = cascadeY = 100; }

QPoint StructureWindow::NextCascadePosition(QWidget* mainWindow) {
  // The screen that holds the main window's left edge.
  QScreen* screen = nullptr;
  if (mainWindow) {
    const QRect frame = mainWindow->frameGeometry();
    screen = QGuiApplication::screenAt(QPoint(frame.left(), frame.center().y()));
    if (!screen) screen = mainWindow->screen();
  }
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
  const QPoint at = origin + QPoint(cascadeX, cascadeY);
  const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
  cascadeX += step;
  cascadeY += step;
  if (cascadeY >= 300) cascadeY = 100;
  return at;
}

}  // namespace korvane::ui
