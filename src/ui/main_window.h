// The main window: toolbar, two panes (location line, header and rows,
// status line) with the bar between them, the menu bar and pop-up menus, the
// splash picture and the deferred first read. Keys, menu items and buttons
// are bound here to the slots of Commands.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <map>

#include "ui/commands.h"
#include "ui/look.h"
#include "ui/pane_view.h"

class QMenu;
class QToolBar;

namespace korvane::ui {

// A location line: a label that reports clicks.
class LocationLine : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;
 signals:
  void pressed();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `leftPath` and `rightPath` are the panes' start paths.
  MainWindow(Settings& settings, const std::string& settingsPath, const std::string& leftPath,
             const std::string& rightPath);
  ~MainWindow() override;

  Commands& Cmds() { return *commands_; }
  PaneView* View(int side) const { return views_[side]; }
  QLabel* LocationLineOf(int side) const { return locations_[side]; }
  QLabel* StatusLineOf(int side) const { return statuses_[side]; }
  QToolBar* Tools() const { return toolbar_; }
  // The pop-up menus: 0 location line, 1 TI files, 2 images, 3 directories.
  QMenu* Popup(int which) const { return popups_[which]; }
  // Every action bound to the command id (menu bar, pop-ups, toolbar).
  std::vector<QAction*> Actions(int id) const;
  // The greying of all items for the current rows, as done when a menu opens.
  void UpdateMenuState();
  // Puts the window's placement, the left pane's columns and sort key and
  // both start paths into the settings, for writing at the end.
  void StoreSettings();
  // Turns a key into its command; the whole key binding table.
  void HandleKey(int key, Qt::KeyboardModifiers modifiers);
  // The menu/pop-up to show for a right click at a point of this window, or
  // null when none applies.
  QMenu* PopupAt(const QPoint& windowPoint);
  // Recreates fonts and colours after the Configuration dialog changed them.
  void ApplyLook();
  // Shows the splash picture for at least a second; it also goes as soon as
  // any dialog or message box comes up, so that it never hides one.
  void ShowSplash();
  bool SplashShown() const { return !splash_.isNull() && splash_->isVisible(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Closing the main window ends the program, whatever other windows (help,
  // viewers) are still open.
  void closeEvent(QCloseEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void BuildPanes();
  void BuildMenus();
  void BuildPopups();
  void BuildToolbar();
  QAction* AddCommand(QMenu* menu, int id, const QString& text);
  void Bind(QAction* action, int id);
  void RefreshPanes();
  void OnTick();
  void OnBusyChanged(bool busy);
  void OnRecentTriggered(QAction* action);
  void OnOptions();
  void OnHelp();
  void OnAbout();
  void OnLeftClicked(int y, Qt::KeyboardModifiers modifiers);
  void OnRightClicked(int y, Qt::KeyboardModifiers modifiers);
  void OnLeftDoubleClicked(int y, Qt::KeyboardModifiers modifiers);
  void OnRightDoubleClicked(int y, Qt::KeyboardModifiers modifiers);
  void OnLeftHeader(int column);
  void OnRightHeader(int column);
  void OnLeftLocationPressed();
  void OnRightLocationPressed();
  void StyleLocationLines();

  Settings& settings_;
  Look look_;
  Commands* commands_;
  PaneView* views_[2] = {nullptr, nullptr};
  LocationLine* locations_[2] = {nullptr, nullptr};
  QLabel* statuses_[2] = {nullptr, nullptr};
  QToolBar* toolbar_ = nullptr;
  QMenu* popups_[4] = {nullptr, nullptr, nullptr, nullptr};
  std::multimap<int, QAction*> actions_;
  std::vector<QAction*> recentActions_;
  QTimer timer_;
  QPointer<QWidget> splash_;
  QElapsedTimer splashShown_;
};

}  // namespace korvane::ui
