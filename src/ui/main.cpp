// Start-up and shutdown of the desktop program: settings file in the current
// directory, start paths (the whole command line, else the stored ones, else
// the folder browser), the main window with its splash, and the settings
// written back at the end.
#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QScreen>
#include <QTimer>

#include <cstdlib>
#include <string>
#include <vector>

#include "catalog/header.h"
#include "platform/ini_file.h"
#include "platform/settings.h"
#include "ui/command_ids.h"
#include "ui/folder_browser.h"
#include "ui/gui_reporter.h"
#include "ui/main_window.h"
#include "ui/viewer_print.h"
#include "ui/card_screenshot.h"
#include "ui/viewer_screenshots.h"

using namespace korvane;
using namespace korvane::ui;

namespace {

ScreenGeometry Screens() {
  ScreenGeometry g;
  if (const QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect all = primary->virtualGeometry();
    const QRect usable = primary->availableGeometry();
    g = ScreenGeometry{all.x(), all.y(), all.width(), all.height(), usable.width(), usable.height()};
  }
  return g;
}

// The arguments joined again with single spaces: the whole command line is
// one path, spaces and all.
std::string CommandLine(const QStringList& arguments) {
  std::string line;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (!line.empty()) line += ' ';
    line += arguments[i].toStdString();
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Korvane");

  const std::string settingsPath = SettingsFilePath();
  IniFile ini;
  ini.Load(settingsPath);
  Settings settings;
  ReadSettings(ini, LocaleMeasuresMetric(QLocale()), settings);
  const ScreenGeometry screens = Screens();
  MakePlacementVisible(settings.window, screens);
  for (Placement& viewer : settings.viewers) MakePlacementVisible(viewer, screens);
  GetNameSettings().quellanCompatible = settings.quellanCompatible != 0;
  GetNameSettings().extractTifiles = settings.extractTifiles != 0;
  GetNameSettings().picViewer = settings.picViewer;

  GuiReporter reporter;
  InstallReporter(&reporter);

  std::string left = settings.defaultPathLeft, right = settings.defaultPathRight;
  const std::string commandLine = CommandLine(QApplication::arguments());
  if (!commandLine.empty()) {
    left = right = commandLine;
  } else {
    if (left.empty()) left = right;
    if (right.empty()) right = left;
    if (left.empty()) {
      std::string chosen;
      if (!BrowseForFolder(nullptr, chosen)) {
        InstallReporter(nullptr);
        return 1;
      }
      left = right = chosen;
    }
  }

  int code;
  {
    MainWindow window(settings, settingsPath, left, right);
    reporter.SetParent(&window);
    window.show();
    window.setFocus();
    window.ShowSplash();

    // Used by scripts/screenshot.sh: saves a picture of the window once both
    // panes are read, then of the viewer windows it asks for, then ends the run.
    const char* shot = std::getenv("KORVANE_SCREENSHOT");
    if (shot && *shot) {
      const QString path = QString::fromLocal8Bit(shot);
      QTimer::singleShot(2500, &window, [&window, &settings, path] {
        window.grab().save(path);
        TakeViewerScreenshots(window, settings);
        TakeCardScreenshot(window);
        window.close();
      });
    }

    // Used by scripts/screenshot.sh: with the help window, a viewer and the
    // Configuration dialog open, the main window is closed; the run must
    // end by itself and write the settings.
    const char* exitCheck = std::getenv("KORVANE_EXIT_CHECK");
    if (exitCheck && *exitCheck) {
      QTimer::singleShot(2500, &window, [&window] {
        window.Actions(kCmdHelp).front()->trigger();
        window.Actions(kCmdFeedFileList).front()->trigger();
        QTimer::singleShot(1000, &window, [&window] { window.close(); });
        window.Actions(kCmdOptions).front()->trigger();  // modal until the run ends
      });
    }

    code = QApplication::exec();
    window.StoreSettings();
    reporter.SetParent(nullptr);
    // Help and viewer windows still open end with the run, unasked. Deleting
    // one window may delete others it owns: each is looked at through a
    // guard.
    std::vector<QPointer<QWidget>> others;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top != &window && !top->parentWidget()) others.emplace_back(top);
    for (const QPointer<QWidget>& other : others) delete other.data();
  }

  // Other keys (recent directories, conversion sections) may have been
  // written meanwhile: start from the file as it is now.
  ini.Load(settingsPath);
  WriteSettings(ini, settings);
  ini.Save(settingsPath);
  InstallReporter(nullptr);
  return code;
}
