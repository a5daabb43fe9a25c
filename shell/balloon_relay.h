// SPDX-License-Identifier: GPL-3.0-or-later
// Hands the balloon requests of the area's icons to a notification server.
// Every balloon is asked for as a hide and a show, and the status report
// asks once per drive; what reaches the server is decided once control is
// back in the event loop: the last balloon asked for, replacing the one on
// screen, or a hide when no show followed it. What becomes of the balloon
// goes back to its icon's window as the area's balloon notifications.
#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>

#include "services/balloon_server.h"
#include "shell/notify_icon_record.h"

namespace halvoric {

// The balloon outcome as the notification the area sends to the icon.
TrayNotification BalloonNotification(BalloonServer::Outcome outcome);
// How the developer diagnostics name it.
const char* BalloonOutcomeName(BalloonServer::Outcome outcome);
// The freedesktop icon name of the picture `kind` beside a balloon.
const char* BalloonIconName(BalloonIconKind kind);

class BalloonRelay {
 public:
  explicit BalloonRelay(BalloonServer& server) : server_(server) {}

  // A record with NIF_INFO: shows its balloon, or hides it for empty text.
  void Ask(const NotifyIconRecord& record);
  // The icon is gone: its balloon goes, and its window hears no more.
  void Forget(std::uint32_t id);

 private:
  struct Wanted {
    NotificationSink* window;
    std::uint32_t id;
    std::string title;
    std::string text;
    std::string icon;
    std::uint32_t timeoutMs;
  };

  void Send();
  void HideShown();

  BalloonServer& server_;
  QObject context_;
  // The icon whose balloon the server shows, 0 for none.
  std::uint32_t owner_ = 0;
  bool hideWanted_ = false;
  std::optional<Wanted> wanted_;
  bool sendPosted_ = false;
};

}  // namespace halvoric
