// SPDX-License-Identifier: GPL-3.0-or-later
// A tiny program with a real tray icon for the check under Xvfb: a window
// that minimises to the tray with a status balloon and comes back on a double
// click. It says on stdout what happened, one word a line.
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <cstdio>

#include "shell/qt_desktop_input.h"
#include "shell/qt_notification_area.h"
#include "shell/qt_owner_window.h"
#include "shell/tray_icon.h"

namespace {

void Say(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
}

QIcon DiskPicture() {
  QPixmap picture(16, 16);
  picture.fill(Qt::blue);
  QPainter painter(&picture);
  painter.fillRect(2, 2, 12, 12, Qt::gray);
  painter.setBrush(Qt::darkGray);
  painter.drawEllipse(4, 4, 8, 8);
  return QIcon(picture);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle("Halvoric");
  window.resize(240, 120);

  halvoric::QtNotificationArea area;
  halvoric::QtDesktopInput input;
  halvoric::QtOwnerWindow owner(window);
  halvoric::TTrayIcon icon({area, input}, &owner);
  QMenu menu;
  QObject::connect(menu.addAction("Show Main Window"), &QAction::triggered,
                   [&] { icon.ShowMainWindow(); });
  QObject::connect(menu.addAction("Exit"), &QAction::triggered, &app, &QApplication::quit);

  icon.SetHint("Halvoric");
  icon.SetIcon(DiskPicture());
  icon.SetPopupMenu(&menu);
  icon.SetMinimizeToTray(true);
  icon.OnDblClick = [](halvoric::TTrayIcon& sender) {
    sender.ShowMainWindow();
    Say("restored");
  };
  icon.OnMinimizeToTray = [](halvoric::TTrayIcon& sender) {
    sender.ShowBalloon("Halvoric",
                       "A\rTemp: 41\xC2\xB0"
                       "C\rB\rTemp: 38\xC2\xB0"
                       "C\r",
                       halvoric::BalloonIconKind::Info, 10);
    Say("minimised");
  };
  icon.Loaded();
  window.show();
  // The tray host may come later than the program; the icon follows it.
  icon.SetIconVisible(true);

  // Once the icon sits in the tray, minimise the window to it.
  QTimer docked;
  QObject::connect(&docked, &QTimer::timeout, [&] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    docked.stop();
    Say("docked");
    window.showMinimized();
  });
  docked.start(100);
  return app.exec();
}
