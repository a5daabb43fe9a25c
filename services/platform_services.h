// Everything the main window reaches outside the process, handed to it in
// one piece: the program wires the machine's services, tests wire fakes.
#pragma once

#include "drive/disk_control.h"
#include "services/alert_prompt.h"
#include "services/autostart.h"
#include "services/file_dialogs.h"
#include "services/mailer.h"
#include "services/message_boxes.h"
#include "services/power.h"
#include "services/sound.h"
#include "services/system_log.h"
#include "services/url_opener.h"

namespace halvoric {

// The services are owned elsewhere and outlive the window.
struct PlatformServices {
  DiskControl& Disks;
  SystemLog& Log;
  Autostart& StartAtLogon;
  Mailer& Mail;
  Sound& Sounds;
  Power& PowerControl;
  UrlOpener& Urls;
  FileDialogs& Dialogs;
  MessageBoxes& Messages;
  AlertPrompt& Prompt;
};

}  // namespace halvoric
