// SPDX-License-Identifier: GPL-3.0-or-later
// The services of a Linux desktop, wired in one place for both programs.
// Only the drives differ: the machine's own or simulated ones.
#pragma once

#include <memory>

#include "desktop/autostart.h"
#include "desktop/dbus_notification_server.h"
#include "desktop/hibernation.h"
#include "desktop/mail_loader.h"
#include "desktop/qt_dialogs.h"
#include "desktop/qt_url_opener.h"
#include "desktop/sound.h"
#include "desktop/steady_clock.h"
#include "desktop/syslog_system_log.h"
#include "shell/qt_desktop_input.h"
#include "shell/qt_notification_area.h"
#include "ui/platform_services.h"

namespace halvoric {

class LinuxDesktop {
 public:
  // `access` and `driveNames` as MonitorServices takes them: none for
  // simulated drives.
  explicit LinuxDesktop(std::unique_ptr<DiskControl> disks, const DriveAccess* access = nullptr,
                        TemperatureWatch::DeviceNames driveNames = {})
      : disks_(std::move(disks)), access_(access), driveNames_(std::move(driveNames)) {}

  PlatformServices Services();

 private:
  std::unique_ptr<DiskControl> disks_;
  const DriveAccess* access_;
  TemperatureWatch::DeviceNames driveNames_;
  SyslogSystemLog log_;
  std::unique_ptr<StartAtLogon> startAtLogon_ = MakeUserStartAtLogon();
  std::unique_ptr<Mailer> mailer_ = LoadMailerAtFirstSend(MailLibraryOfRunningExecutable());
  CanberraSoundPlayer sound_;
  LogindHibernator power_;
  SteadyClock clock_;
  SystemWallClock calendar_;
  QtUrlOpener urls_;
  QtFileDialogs dialogs_;
  QtMessageBoxes messages_;
  // Both need the QApplication and outlive the window and its tray icon.
  DBusNotificationServer balloons_;
  QtNotificationArea tray_{&balloons_};
  QtDesktopInput input_;
};

}  // namespace halvoric
