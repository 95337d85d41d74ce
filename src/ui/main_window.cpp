#include "ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include "catalog/header.h"
#include "catalog/listing.h"
#include "ui/about_help.h"
#include "ui/app_info.h"
#include "ui/artwork.h"
#include "ui/config_dialog.h"

namespace korvane::ui {
namespace {

constexpr int kLineBoxHeight = 20;  // location and status lines
constexpr int kPaneTopGap = 4;      // between the toolbar and the panes
constexpr int kCentreBarWidth = 8;
constexpr int kSplashMinimumMs = 1000;
constexpr int kTickMs = 500;

// The splash picture: a frameless top-most window that a click closes. It
// also closes when a dialog or message box is shown (the error boxes of the
// first read come while it may still be up), so it never covers one.
class Splash : public QLabel {
 public:
  explicit Splash(QWidget* owner) : QLabel(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setPixmap(SplashPicture());
    adjustSize();
  }

 protected:
  void mousePressEvent(QMouseEvent*) override { close(); }
  // The application-wide watch for dialogs lasts only while the splash is
  // up; it would otherwise see every event of the program until the end.
  void showEvent(QShowEvent* event) override {
    qApp->installEventFilter(this);
    QLabel::showEvent(event);
  }
  void hideEvent(QHideEvent* event) override {
    qApp->removeEventFilter(this);
    QLabel::hideEvent(event);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && qobject_cast<QDialog*>(watched) && isVisible()) close();
    return false;
  }
};

}  // namespace

void LocationLine::mousePressEvent(QMouseEvent* event) {
  emit pressed();
  QLabel::mousePressEvent(event);
}

MainWindow::MainWindow(Settings& settings, const std::string& settingsPath, const std::string& leftPath,
                       const std::string& rightPath)
    : settings_(settings), look_(MakeLook(settings)) {
  setWindowTitle(QString::fromStdString(MainCaption()));
  setWindowIcon(QIcon(DiskPicture(64)));
  setMinimumSize(460, 120);
  setFocusPolicy(Qt::StrongFocus);

  commands_ = new Commands(settings_, this);
  commands_->SetSettingsPath(settingsPath);
  commands_->Pane(kLeft).startPath = leftPath;
  commands_->Pane(kRight).startPath = rightPath;
  commands_->Pane(kLeft).state.locationPath = leftPath;
  commands_->Pane(kRight).state.locationPath = rightPath;
  connect(commands_, &Commands::panesChanged, this, &MainWindow::RefreshPanes);
  connect(commands_, &Commands::busyChanged, this, &MainWindow::OnBusyChanged);
  // The folder browser is centred on the active pane's list.
  commands_->paneList = [this](int side) -> QWidget* { return views_[side] ? views_[side]->viewport() : nullptr; };

  BuildToolbar();
  BuildPanes();
  BuildMenus();
  BuildPopups();
  ApplyLook();

  resize(settings_.window.width, settings_.window.height + menuBar()->sizeHint().height());
  if (settings_.window.left != kUseDefaultPosition && settings_.window.top != kUseDefaultPosition)
    move(settings_.window.left, settings_.window.top);

  connect(&timer_, &QTimer::timeout, this, &MainWindow::OnTick);
  timer_.start(kTickMs);
}

MainWindow::~MainWindow() {
  if (splash_) delete splash_;
}

void MainWindow::BuildPanes() {
  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, kPaneTopGap, 0, 0);
  row->setSpacing(0);
  for (int side = kLeft; side <= kRight; ++side) {
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    locations_[side] = new LocationLine(central);
    statuses_[side] = new QLabel(central);
    for (QLabel* line : {static_cast<QLabel*>(locations_[side]), statuses_[side]}) {
      line->setFixedHeight(kLineBoxHeight);
      line->setFrameStyle(QFrame::Panel | QFrame::Raised);
      line->setAutoFillBackground(true);
      line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      line->setMinimumWidth(1);
      line->setTextFormat(Qt::PlainText);
    }
    views_[side] = new PaneView(&commands_->Pane(side), &look_, central);
    column->addWidget(locations_[side]);
    column->addWidget(views_[side], 1);
    column->addWidget(statuses_[side]);
    row->addLayout(column, 1);
    if (side == kLeft) {
      auto* bar = new QFrame(central);
      bar->setFrameStyle(QFrame::Box | QFrame::Sunken);
      bar->setFixedWidth(kCentreBarWidth);
      bar->setEnabled(false);
      row->addWidget(bar);
    }
  }
  setCentralWidget(central);

  connect(views_[kLeft], &PaneView::clicked, this, &MainWindow::OnLeftClicked);
  connect(views_[kRight], &PaneView::clicked, this, &MainWindow::OnRightClicked);
  connect(views_[kLeft], &PaneView::doubleClicked, this, &MainWindow::OnLeftDoubleClicked);
  connect(views_[kRight], &PaneView::doubleClicked, this, &MainWindow::OnRightDoubleClicked);
  connect(views_[kLeft], &PaneView::headerClicked, this, &MainWindow::OnLeftHeader);
  connect(views_[kRight], &PaneView::headerClicked, this, &MainWindow::OnRightHeader);
  connect(views_[kLeft], &PaneView::wheelTurned, commands_, &Commands::Wheel);
  connect(views_[kRight], &PaneView::wheelTurned, commands_, &Commands::Wheel);
  connect(locations_[kLeft], &LocationLine::pressed, this, &MainWindow::OnLeftLocationPressed);
  connect(locations_[kRight], &LocationLine::pressed, this, &MainWindow::OnRightLocationPressed);
}

void MainWindow::ApplyLook() {
  look_ = MakeLook(settings_);
  GetNameSettings().quellanCompatible = settings_.quellanCompatible != 0;
  GetNameSettings().extractTifiles = settings_.extractTifiles != 0;
  GetNameSettings().picViewer = settings_.picViewer;
  for (PaneView* view : views_) {
    view->SetWheelToWindow(settings_.mouseWheel != 0);
    view->LookChanged();
  }
  RefreshPanes();
}

void MainWindow::StyleLocationLines() {
  for (int side = kLeft; side <= kRight; ++side) {
    QPalette palette = QApplication::palette(locations_[side]);
    if (side == commands_->ActiveSide()) {
      palette.setColor(QPalette::Window, look_.background);
      palette.setColor(QPalette::WindowText, Qt::white);
    }
    locations_[side]->setPalette(palette);
  }
}

void MainWindow::RefreshPanes() {
  for (int side = kLeft; side <= kRight; ++side) {
    PaneModel& pane = commands_->Pane(side);
    views_[side]->SetActive(side == commands_->ActiveSide());
    views_[side]->Sync();
    locations_[side]->setText(QString::fromUtf8(LocationText(pane.state)));
    statuses_[side]->setText(pane.hasRows ? QString::fromStdString(StatusText(pane.state)) : QString());
  }
  StyleLocationLines();
}

void MainWindow::ShowSplash() {
  auto* splash = new Splash(this);
  // Centre it on the screen that holds the window's stored left edge.
  QScreen* screen = QGuiApplication::screenAt(QPoint(settings_.window.left, std::max(0, settings_.window.top)));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    splash->move(area.center() - QPoint(splash->width() / 2, splash->height() / 2));
  }
  splash->show();
  splash_ = splash;
  splashShown_.start();
}

void MainWindow::OnTick() {
  if (splash_ && splashShown_.isValid() && splashShown_.elapsed() > kSplashMinimumMs) splash_->close();
  if (!commands_->Loaded()) commands_->FirstRead();
}

void MainWindow::OnBusyChanged(bool busy) {
  // While a long command runs, nothing else may start: menus, toolbar and the
  // panes' mouse input are switched off and keys are dropped.
  menuBar()->setEnabled(!busy);
  toolbar_->setEnabled(!busy);
  for (PaneView* view : views_) view->viewport()->setEnabled(!busy);
}

void MainWindow::StoreSettings() {
  const QRect frame = frameGeometry();
  const QRect client = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
  settings_.window.left = (isMaximized() || isMinimized()) ? client.x() : frame.x();
  settings_.window.top = (isMaximized() || isMinimized()) ? client.y() : frame.y();
  settings_.window.width = client.width();
  settings_.window.height = client.height() - menuBar()->height();
  const PaneModel& left = commands_->Pane(kLeft);
  settings_.columnWidths = left.columnWidths;
  settings_.sortBy = left.state.sortKey;
  settings_.defaultPathLeft = left.startPath;
  settings_.defaultPathRight = commands_->Pane(kRight).startPath;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  // Help and viewer windows have no owner and are not asked: the program
  // ends with its main window, and the settings are written then.
  // exit(), not quit(): quit() would first ask every window to close, and a
  // viewer with changed text would ask its question.
  if (event->isAccepted()) QCoreApplication::exit(0);
}

bool MainWindow::focusNextPrevChild(bool) { return false; }  // Tab switches panes

void MainWindow::keyPressEvent(QKeyEvent* event) { HandleKey(event->key(), event->modifiers()); }

void MainWindow::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
  Commands& c = *commands_;
  if (c.Busy()) return;
  const bool ctrl = modifiers & Qt::ControlModifier;
  const bool shift = (modifiers & Qt::ShiftModifier) && !ctrl;  // Shift counts only without Ctrl
  const bool keypad = modifiers & Qt::KeypadModifier;
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    c.SwitchPane();
    return;
  }
  if (!c.Active().hasRows) return;
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: ctrl ? c.OpenRowOpposite() : c.OpenRow(); break;
    case Qt::Key_PageUp: c.PageUp(); break;
    case Qt::Key_PageDown: c.PageDown(); break;
    case Qt::Key_End: c.End(); break;
    case Qt::Key_Home: c.Home(); break;
    case Qt::Key_Up: c.Up(shift); break;
    case Qt::Key_Down: c.Down(shift); break;
    case Qt::Key_Insert: ctrl ? c.UnmarkAllByInsert() : c.ToggleMark(); break;
    case Qt::Key_Plus:
      if (keypad) ctrl ? c.MarkAll() : c.Mark();
      break;
    case Qt::Key_Minus:
      if (keypad) ctrl ? c.UnmarkAll() : c.Unmark();
      break;
    case Qt::Key_R: ctrl ? c.Reread() : c.Repaint(); break;
    case Qt::Key_U: c.SwapPanes(); break;
    case Qt::Key_F3:
      if (shift) c.F3Forth();
      else ctrl ? c.F3Opposite() : c.F3();
      break;
    case Qt::Key_F4: c.F4(); break;
    case Qt::Key_F6: ctrl ? c.ConvertKey() : c.Rename(); break;
    case Qt::Key_F8: c.F8(shift); break;
    case Qt::Key_F9: c.F9(shift); break;
    case Qt::Key_Delete: c.Delete(); break;
    case Qt::Key_F5: c.Copy(); break;
    case Qt::Key_F7:
      if (!ctrl) c.MakeDirectory();
      break;
    case Qt::Key_F2: c.Info(); break;
    default: break;
  }
}

QMenu* MainWindow::PopupAt(const QPoint& windowPoint) {
  const int side = commands_->ActiveSide();
  QWidget* location = locations_[side];
  if (QRect(location->mapTo(this, QPoint(0, 0)), location->size()).contains(windowPoint)) return popups_[0];
  PaneView* view = views_[side];
  QWidget* list = view->viewport();
  if (!QRect(list->mapTo(this, QPoint(0, 0)), list->size()).contains(windowPoint)) return nullptr;
  PaneModel& pane = commands_->Active();
  const int cursor = pane.state.cursor;
  if (cursor < 0 || cursor >= pane.state.RowCount() || cursor >= pane.endPainted) return nullptr;
  const int kind = pane.state.rows[static_cast<size_t>(cursor)].kind;
  if (kind == kKindSubdir || kind == kKindUprdir) return popups_[3];
  if (kind >= kKindDsk && kind <= kKindCardVolume) return popups_[2];
  return popups_[1];
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (commands_->Busy()) return;
  QMenu* menu = PopupAt(mapFromGlobal(event->globalPos()));
  if (!menu) {
    event->ignore();
    return;
  }
  menu->exec(event->globalPos());
}

void MainWindow::OnLeftClicked(int y, Qt::KeyboardModifiers m) { commands_->Click(kLeft, y, look_.lineHeight, m); }
void MainWindow::OnRightClicked(int y, Qt::KeyboardModifiers m) { commands_->Click(kRight, y, look_.lineHeight, m); }
void MainWindow::OnLeftDoubleClicked(int y, Qt::KeyboardModifiers m) {
  commands_->DoubleClick(kLeft, y, look_.lineHeight, m);
}
void MainWindow::OnRightDoubleClicked(int y, Qt::KeyboardModifiers m) {
  commands_->DoubleClick(kRight, y, look_.lineHeight, m);
}
void MainWindow::OnLeftHeader(int column) { commands_->SortBy(kLeft, column); }
void MainWindow::OnRightHeader(int column) { commands_->SortBy(kRight, column); }
void MainWindow::OnLeftLocationPressed() { commands_->Activate(kLeft); }
void MainWindow::OnRightLocationPressed() { commands_->Activate(kRight); }

void MainWindow::OnOptions() {
  ConfigDialog dialog(settings_, this);
  connect(&dialog, &ConfigDialog::lookChanged, this, &MainWindow::ApplyLook);
  dialog.exec();
  ApplyLook();
}

void MainWindow::OnHelp() { ShowHelp(this); }
void MainWindow::OnAbout() { ShowAbout(this); }

}  // namespace korvane::ui
