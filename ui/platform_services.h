// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the main window and its monitor reach outside the process,
// handed over in one piece: the programs wire the machine's services, tests
// wire fakes.
#pragma once

#include <functional>

#include "monitor/drive_monitor.h"
#include "services/file_dialogs.h"
#include "services/start_at_logon.h"
#include "services/system_log.h"
#include "services/url_opener.h"
#include "shell/desktop_input.h"
#include "shell/notification_area.h"
#include "ui/history_window_opener.h"

namespace halvoric {

// The services are owned elsewhere and outlive the window.
struct PlatformServices {
  MonitorServices Monitor;
  SystemLog& Log;
  halvoric::StartAtLogon& StartAtLogon;
  UrlOpener& Urls;
  FileDialogs& Dialogs;
  NotificationArea& TrayArea;
  DesktopInput& Input;
  // Makes a drive's temperature history window; none shows none.
  HistoryWindowOpener OpenHistoryWindow;
  // A start without a settings file switches the temperature warning and
  // the popup alert on: the menu entry's start on a new account.
  bool ProtectOnFirstRun = false;
};

// Hands `task` to the running event loop, to run later on its thread;
// callable from any thread. The monitor's results come back this way.
void PostToEventLoop(std::function<void()> task);

}  // namespace halvoric
