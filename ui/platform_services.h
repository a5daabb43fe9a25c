// Everything the main window reaches outside the process, handed to it in
// one piece: the program wires the machine's services, tests wire fakes.
#pragma once

#include <functional>
#include <string>

#include "desktop/autostart.h"
#include "desktop/hibernation.h"
#include "desktop/mail_loader.h"
#include "desktop/sound.h"
#include "drive/disk_control.h"
#include "drive/drive_access.h"
#include "services/alert_prompt.h"
#include "services/clock.h"
#include "services/file_dialogs.h"
#include "services/message_boxes.h"
#include "services/system_log.h"
#include "services/url_opener.h"
#include "shell/desktop_input.h"
#include "shell/notification_area.h"
#include "ui/history_window_opener.h"

namespace halvoric {

// The services are owned elsewhere and outlive the window.
struct PlatformServices {
  DiskControl& Disks;
  // Which rights reached each drive; null for simulated drives, which need none.
  const DriveAccess* Access;
  // The kernel's name of each drive, for the metrics file; empty for
  // simulated drives, which get made-up names.
  std::function<std::string(DriveNumber)> DriveNames;
  SystemLog& Log;
  AutoRunEntry& StartAtLogon;
  Mailer& Mail;
  SoundPlayer& Sounds;
  Hibernator& PowerControl;
  UrlOpener& Urls;
  FileDialogs& Dialogs;
  // Replaceable, so that start-up can put the splash-aware boxes in front.
  std::reference_wrapper<MessageBoxes> Messages;
  AlertPrompt& Prompt;
  const Clock& Time;
  // The calendar time the temperature history is kept in.
  const WallClock& Calendar;
  NotificationArea& TrayArea;
  DesktopInput& Input;
  // Drive series run on a thread of their own, so that a drive slow to
  // answer does not hold up the window. Tests that look at a tick's outcome
  // at once run them in place.
  bool SeriesOnOwnThread = true;
  // Makes a drive's temperature history window; none shows none.
  HistoryWindowOpener OpenHistoryWindow;
};

}  // namespace halvoric
