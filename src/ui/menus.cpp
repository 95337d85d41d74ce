// The menu bar, the pop-up menus and the toolbar of the main window, and the
// greying of their items.
#include <QMenuBar>
#include <QToolBar>

#include "platform/ini_file.h"
#include "ui/artwork.h"
#include "ui/command_ids.h"
#include "ui/main_window.h"
#include "ui/menu_rules.h"

namespace korvane::ui {

QAction* MainWindow::AddCommand(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(text);
  Bind(action, id);
  actions_.emplace(id, action);
  return action;
}

void MainWindow::Bind(QAction* action, int id) {
  Commands* c = commands_;
  switch (id) {
    case kCmdOpenRow: connect(action, &QAction::triggered, c, &Commands::OpenRow); break;
    case kCmdOpenOpposite: connect(action, &QAction::triggered, c, &Commands::OpenRowOpposite); break;
    case kCmdToolView: connect(action, &QAction::triggered, c, &Commands::F3); break;
    case kCmdInfo: connect(action, &QAction::triggered, c, &Commands::Info); break;
    case kCmdViewFile: connect(action, &QAction::triggered, c, &Commands::F3); break;
    case kCmdViewForth: connect(action, &QAction::triggered, c, &Commands::F3Forth); break;
    case kCmdViewHex: connect(action, &QAction::triggered, c, &Commands::F4); break;
    case kCmdViewMyart256: connect(action, &QAction::triggered, c, [c] { c->F8(false); }); break;
    case kCmdViewMyart512: connect(action, &QAction::triggered, c, [c] { c->F8(true); }); break;
    case kCmdViewPicture: connect(action, &QAction::triggered, c, [c] { c->F9(false); }); break;
    case kCmdViewCharset: connect(action, &QAction::triggered, c, [c] { c->F9(true); }); break;
    case kCmdFeedFileList: connect(action, &QAction::triggered, c, &Commands::FeedFileList); break;
    case kCmdPc99Layout: connect(action, &QAction::triggered, c, &Commands::Pc99Layout); break;
    case kCmdReread: connect(action, &QAction::triggered, c, &Commands::Reread); break;
    case kCmdSwap: connect(action, &QAction::triggered, c, &Commands::SwapPanes); break;
    case kCmdMark: connect(action, &QAction::triggered, c, &Commands::Mark); break;
    case kCmdUnmark: connect(action, &QAction::triggered, c, &Commands::Unmark); break;
    case kCmdMarkAll: connect(action, &QAction::triggered, c, &Commands::MarkAll); break;
    case kCmdUnmarkAll: connect(action, &QAction::triggered, c, &Commands::UnmarkAll); break;
    case kCmdSelectDirectory: connect(action, &QAction::triggered, c, &Commands::SelectDirectory); break;
    case kCmdGotoRoot: connect(action, &QAction::triggered, c, &Commands::GotoRoot); break;
    case kCmdGotoUpper: connect(action, &QAction::triggered, c, &Commands::GotoUpper); break;
    case kCmdCopy: connect(action, &QAction::triggered, c, &Commands::Copy); break;
    case kCmdDelete: connect(action, &QAction::triggered, c, &Commands::Delete); break;
    case kCmdRename: connect(action, &QAction::triggered, c, &Commands::Rename); break;
    case kCmdMakeDirectory: connect(action, &QAction::triggered, c, &Commands::MakeDirectory); break;
    case kCmdAttributes: connect(action, &QAction::triggered, c, &Commands::Attributes); break;
    case kCmdCreateImage: connect(action, &QAction::triggered, c, &Commands::CreateDskImage); break;
    case kCmdTifilesToV9t9: connect(action, &QAction::triggered, c, &Commands::ConvertToV9t9); break;
    case kCmdV9t9ToTifiles: connect(action, &QAction::triggered, c, &Commands::ConvertToTifiles); break;
    case kCmdPc99ToV9t9: connect(action, &QAction::triggered, c, &Commands::ConvertPc99); break;
    case kCmdExtractAll: connect(action, &QAction::triggered, c, &Commands::ExtractAllRows); break;
    case kCmdArcToImage: connect(action, &QAction::triggered, c, &Commands::ArcToImage); break;
    case kCmdTiToPc: connect(action, &QAction::triggered, c, &Commands::ConvertKey); break;
    case kCmdPcToTi: connect(action, &QAction::triggered, c, &Commands::ConvertKey); break;
    case kCmdShowStructure: connect(action, &QAction::triggered, c, &Commands::ShowStructure); break;
    case kCmdReadCardDrive: connect(action, &QAction::triggered, c, &Commands::ReadCardDrive); break;
    case kCmdInitCardVolume: connect(action, &QAction::triggered, c, &Commands::InitCardVolume); break;
    case kCmdMountCardVolumes: connect(action, &QAction::triggered, c, &Commands::MountCardVolumes); break;
    case kCmdBackupDrive: connect(action, &QAction::triggered, c, &Commands::Backup); break;
    case kCmdRestoreDrive: connect(action, &QAction::triggered, c, &Commands::Restore); break;
    case kCmdCheckImage: connect(action, &QAction::triggered, c, &Commands::CheckImage); break;
    case kCmdOptions: connect(action, &QAction::triggered, this, &MainWindow::OnOptions); break;
    case kCmdHelp: connect(action, &QAction::triggered, this, &MainWindow::OnHelp); break;
    case kCmdAbout: connect(action, &QAction::triggered, this, &MainWindow::OnAbout); break;
    case kCmdExit: connect(action, &QAction::triggered, this, &QWidget::close); break;
    default: break;  // recent directories go through their menu; the rest is not built
  }
  if (!CommandBuilt(id)) action->setEnabled(false);
}

namespace {

QMenu* RecentMenu(QMenu* parent, const QString& title, bool numbered, std::vector<QAction*>& recent,
                  std::multimap<int, QAction*>& actions) {
  QMenu* menu = parent->addMenu(title);
  for (int n = 1; n <= kRecentCount; ++n) {
    QAction* a = menu->addAction(numbered ? QString("&%1").arg(n) : QString::number(n));
    a->setData(n);
    recent.push_back(a);
    actions.emplace(kCmdRecent1 + n - 1, a);
  }
  return menu;
}

}  // namespace

void MainWindow::BuildMenus() {
  QMenuBar* bar = menuBar();
  QMenu* files = bar->addMenu("&Files");
  AddCommand(files, kCmdSelectDirectory, "Select another directory");
  QMenu* recent = RecentMenu(files, "Select a recent used directory", true, recentActions_, actions_);
  connect(recent, &QMenu::triggered, this, &MainWindow::OnRecentTriggered);
  files->addSeparator();
  AddCommand(files, kCmdReread, "Reread directory\tCtrl R");
  AddCommand(files, kCmdSwap, "Swap file list windows\tCtrl U");
  files->addSeparator();
  AddCommand(files, kCmdReadCardDrive, "Read CF7A+ Volume list");
  AddCommand(files, kCmdInitCardVolume, "Initialize CF7A+ Volume");
  AddCommand(files, kCmdMountCardVolumes, "Mount CF7A+ Volumes");
  AddCommand(files, kCmdCreateImage, "Create new DSK image");
  files->addSeparator();
  AddCommand(files, kCmdInfo, "View TI file, .DSK or .IMG info\tF2");
  AddCommand(files, kCmdOpenRow, "&View directory, archive, .DSK, .IMG or .CF7\tF3");
  AddCommand(files, kCmdViewFile, "&View file\tF3");
  AddCommand(files, kCmdViewForth, "View Forth blocks\tShift F3");
  AddCommand(files, kCmdViewHex, "View file &hexadecimal\tF4");
  AddCommand(files, kCmdViewMyart256, "View Myart 256x212 picture\tF8");
  AddCommand(files, kCmdViewMyart512, "View Myart 512x212 picture\tShift F8");
  AddCommand(files, kCmdViewPicture, "View Ti Artist or GIF picture\tF9");
  AddCommand(files, kCmdViewCharset, "View characterset\tShift F9");
  AddCommand(files, kCmdFeedFileList, "&Feed filelist to edit window");
  files->addSeparator();
  AddCommand(files, kCmdExit, "E&xit");

  QMenu* tools = bar->addMenu("Tools");
  AddCommand(tools, kCmdTiToPc, "Convert TI file to PC file\tCtrl F6");
  AddCommand(tools, kCmdPcToTi, "Convert PC file to TI file\tCtrl F6");
  AddCommand(tools, kCmdTifilesToV9t9, "Convert TIFILES file to V9T9 file \tCtrl F7");
  AddCommand(tools, kCmdV9t9ToTifiles, "Convert V9T9 file to TIFILES file \tCtrl F7");
  tools->addSeparator();
  AddCommand(tools, kCmdPc99ToV9t9, "Convert PC99 DSK-image to V9T9 DSK-image");
  AddCommand(tools, kCmdPc99Layout, "Show PC99 DSK-image track and sector layout");
  tools->addSeparator();
  AddCommand(tools, kCmdExtractAll, "Extract all files from ARC-file or DSK-image");
  AddCommand(tools, kCmdArcToImage, "Convert ARC-file to V9T9 DSK-image");
  tools->addSeparator();
  AddCommand(tools, kCmdShowStructure, "Show image VIB, DDR, FDIR or FDR");
  AddCommand(tools, kCmdCheckImage, "Check image");
  tools->addSeparator();
  AddCommand(tools, kCmdBackupDrive, "Backup TI formatted SCS / IDE / WDS or CF7A+ disk image");
  AddCommand(tools, kCmdRestoreDrive, "Restore TI formatted SCS / IDE / WDS or CF7A+ disk image");

  QMenu* mark = bar->addMenu("Mark");
  AddCommand(mark, kCmdMark, "Mark TI file\tGray +");
  AddCommand(mark, kCmdUnmark, "UnMark TI file\tGray -");
  AddCommand(mark, kCmdMarkAll, "Mark all TI files\tCtrl Gray +");
  AddCommand(mark, kCmdUnmarkAll, "UnMark all TI files  \tCtrl Gray -");

  QMenu* commands = bar->addMenu("&Commands");
  AddCommand(commands, kCmdCopy, "Copy file(s)\tF5");
  AddCommand(commands, kCmdRename, "Rename file or directory\tF6");
  AddCommand(commands, kCmdMakeDirectory, "Create new directory\tF7");
  AddCommand(commands, kCmdDelete, "Delete file or directory\tDel");
  AddCommand(commands, kCmdAttributes, "Set file attributes");

  QMenu* config = bar->addMenu("Configuration");
  AddCommand(config, kCmdOptions, "Options");

  QMenu* help = bar->addMenu("&Help");
  AddCommand(help, kCmdHelp, "&Index");
  AddCommand(help, kCmdAbout, "&About");

  for (QMenu* menu : {files, recent, tools, mark, commands, config, help})
    connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateMenuState);
}

void MainWindow::BuildPopups() {
  QMenu* p0 = new QMenu("Popup0-LRWindow", this);
  AddCommand(p0, kCmdSelectDirectory, "Select another directory");
  QMenu* recent = RecentMenu(p0, "Select a recent used directory", false, recentActions_, actions_);
  connect(recent, &QMenu::triggered, this, &MainWindow::OnRecentTriggered);
  p0->addSeparator();
  AddCommand(p0, kCmdReadCardDrive, "Read CF7A+ Volume list");
  AddCommand(p0, kCmdFeedFileList, "Feed filelist to edit window");

  QMenu* p1 = new QMenu("Popup1-TiFiles", this);
  AddCommand(p1, kCmdCopy, "Copy file(s)");
  AddCommand(p1, kCmdRename, "Rename file or directory");
  AddCommand(p1, kCmdMakeDirectory, "Create new directory");
  AddCommand(p1, kCmdDelete, "Delete file or directory");
  p1->addSeparator();
  AddCommand(p1, kCmdInfo, "View TI file info");
  AddCommand(p1, kCmdViewFile, "View file");
  AddCommand(p1, kCmdViewForth, "View Forth blocks");
  AddCommand(p1, kCmdViewHex, "View file hexadecimal");
  AddCommand(p1, kCmdViewMyart256, "View Myart 256x212 picture");
  AddCommand(p1, kCmdViewMyart512, "View Myart 512x212 picture");
  AddCommand(p1, kCmdViewPicture, "View Ti Artist or GIF picture");
  AddCommand(p1, kCmdViewCharset, "View characterset");

  QMenu* p2 = new QMenu("Popup2-DSKS", this);
  AddCommand(p2, kCmdCopy, "Copy file(s)");
  AddCommand(p2, kCmdInfo, "View .DSK or .IMG info");
  AddCommand(p2, kCmdOpenRow, "View directory, .DSK, .IMG or .CF7 (in this window)");
  AddCommand(p2, kCmdOpenOpposite, "View directory, .DSK, .IMG or .CF7 (in opposite window)");
  AddCommand(p2, kCmdExtractAll, "Extract all files from ARC-file or DSK-image");
  AddCommand(p2, kCmdCheckImage, "Check image");
  p2->addSeparator();
  AddCommand(p2, kCmdInitCardVolume, "Initialize CF7A+ Volume");
  AddCommand(p2, kCmdMountCardVolumes, "Mount CF7A+ Volumes");

  QMenu* p3 = new QMenu("Popup3-DIR", this);
  AddCommand(p3, kCmdOpenRow, "View directory (in this window)");
  AddCommand(p3, kCmdOpenOpposite, "View directory (in opposite window)");

  popups_[0] = p0;
  popups_[1] = p1;
  popups_[2] = p2;
  popups_[3] = p3;
  for (QMenu* menu : {p0, recent, p1, p2, p3}) connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateMenuState);
}

void MainWindow::BuildToolbar() {
  toolbar_ = addToolBar("Toolbar");
  toolbar_->setMovable(false);
  toolbar_->setFloatable(false);
  toolbar_->setIconSize(QSize(kToolImageSize, kToolImageSize));
  toolbar_->setFocusPolicy(Qt::NoFocus);
  toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
  struct Button {
    int image;
    int id;
    const char* tip;
  };
  const Button first[] = {{0, kCmdInfo, "View file, DSK or IMG info"},
                          {1, kCmdToolView, "View file, DSK or IMG contents"},
                          {2, kCmdExtractFile, "Extract file from DSK or IMG"},
                          {3, kCmdTiToPc, "Convert TI-file to PC text file"}};
  const Button second[] = {{4, kCmdReread, "Reread directory"},
                           {5, kCmdSwap, "Swap file list windows"},
                           {6, kCmdGotoRoot, "Goto root"},
                           {7, kCmdGotoUpper, "Goto upper directory"}};
  auto add = [this](const Button& b) {
    QAction* a = toolbar_->addAction(ToolIcon(b.image), b.tip);
    a->setToolTip(b.tip);
    Bind(a, b.id);
  };
  for (const Button& b : first) add(b);
  for (int i = 0; i < 3; ++i) toolbar_->addSeparator();
  for (const Button& b : second) add(b);
  for (QWidget* w : toolbar_->findChildren<QWidget*>()) w->setFocusPolicy(Qt::NoFocus);
}

std::vector<QAction*> MainWindow::Actions(int id) const {
  std::vector<QAction*> out;
  auto [from, to] = actions_.equal_range(id);
  for (auto it = from; it != to; ++it) out.push_back(it->second);
  return out;
}

void MainWindow::UpdateMenuState() {
  IniFile ini;
  if (!commands_->SettingsPath().empty()) ini.Load(commands_->SettingsPath());
  const auto recent = ReadRecentDirectories(ini);
  for (QAction* a : recentActions_) {
    const int n = a->data().toInt();
    const std::string& path = recent[static_cast<size_t>(n - 1)];
    a->setText(QString("&%1 ").arg(n) + QString::fromStdString(path));
    a->setEnabled(!path.empty());
  }
  PaneModel& active = commands_->Active();
  PaneModel& other = commands_->Other();
  for (const auto& [id, action] : actions_) {
    if (id >= kCmdRecent1 && id <= kCmdRecent5) continue;
    action->setEnabled(MenuItemEnabled(id, active, other));
  }
}

void MainWindow::OnRecentTriggered(QAction* action) { commands_->TakeRecent(action->data().toInt()); }

}  // namespace korvane::ui
