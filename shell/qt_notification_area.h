// SPDX-License-Identifier: GPL-3.0-or-later
// The notification area of this desktop, through Qt's tray icon: one
// QSystemTrayIcon per icon identifier.
#pragma once

#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "services/balloon_server.h"
#include "shell/notification_area.h"
#include "shell/tray_host_watch.h"

namespace halvoric {

class BalloonRelay;

// What one activation of a Qt tray icon means in the area's notifications.
// Qt reports a press only once it is complete, so a click brings its release
// along; a double click arrives as a click followed by the double click. A
// StatusNotifierItem host has no double click: its primary click
// (Activate), which Qt reports as a click, is the one way to ask for the
// window and stands for the double click there.
std::vector<TrayNotification> TranslateActivation(QSystemTrayIcon::ActivationReason reason,
                                                  TrayKind kind);

// Passes `icon`'s clicks on to `window` as the notifications of icon `id`.
// While a balloon is up, Qt reports a press on the icon itself as a balloon
// click as well, just before the icon's own activation; only a balloon click
// that no activation follows was on the balloon.
void ForwardIconClicks(QSystemTrayIcon& icon, NotificationSink* window, std::uint32_t id,
                       TrayKind kind);

// The balloon text of `record` as QSystemTrayIcon::showMessage takes it:
// lines broken with LF, and with `markup` the characters that markup gives a
// meaning to escaped.
QString BalloonMessage(const NotifyIconRecord& record, bool markup);

// The notification area of Qt's tray icons. On a StatusNotifierItem host
// the balloons go to `balloons` when given (the desktop's notification
// server): Qt would send every hide as a blank notification of its own and
// report none of the balloon's events. The road to the tray is found at the
// first use, not when the area is made: asking the session bus is a wait
// the splash need not stand behind.
class QtNotificationArea : public NotificationArea {
 public:
  explicit QtNotificationArea(BalloonServer* balloons = nullptr);
  ~QtNotificationArea() override;
  QtNotificationArea(const QtNotificationArea&) = delete;
  QtNotificationArea& operator=(const QtNotificationArea&) = delete;

  bool Add(const NotifyIconRecord& record) override;
  bool Modify(const NotifyIconRecord& record) override;
  bool Delete(const NotifyIconRecord& record) override;
  bool SetVersion(const NotifyIconRecord& record) override;
  bool HostPresent() const override;

 private:
  struct Host;
  // The road and the watch on the host, found on the first call.
  Host& Found();
  HostPresence::Reactions HostReactions();
  void DropAll();
  void ShowBalloon(const NotifyIconRecord& record, QSystemTrayIcon& icon);

  BalloonServer* balloons_;
  std::map<std::uint32_t, QSystemTrayIcon*> icons_;
  std::unique_ptr<Host> host_;
};

}  // namespace halvoric
