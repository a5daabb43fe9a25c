// The notification area of this desktop, through Qt's tray icon: one
// QSystemTrayIcon per icon identifier.
#pragma once

#include <QString>
#include <QSystemTrayIcon>
#include <cstdint>
#include <map>
#include <vector>

#include "shell/notification_area.h"
#include "shell/tray_host_watch.h"

namespace halvoric {

// What one activation of a Qt tray icon means in the area's notifications.
// Qt reports a press only once it is complete, so a click brings its release
// along; a double click arrives as a click followed by the double click.
std::vector<TrayNotification> TranslateActivation(QSystemTrayIcon::ActivationReason reason);

// Passes `icon`'s clicks on to `window` as the notifications of icon `id`.
// While a balloon is up, Qt reports a press on the icon itself as a balloon
// click as well, just before the icon's own activation; only a balloon click
// that no activation follows was on the balloon.
void ForwardIconClicks(QSystemTrayIcon& icon, NotificationSink* window, std::uint32_t id);

// The balloon text of `record` as QSystemTrayIcon::showMessage takes it:
// lines broken with LF, and with `markup` the characters that markup gives a
// meaning to escaped.
QString BalloonMessage(const NotifyIconRecord& record, bool markup);

// Whether Qt hands this process's balloons to a desktop notification server
// (org.freedesktop.Notifications), whose body text is markup, rather than
// drawing them itself. See the definition for when.
bool BalloonsGoToNotificationServer();

class QtNotificationArea : public NotificationArea {
 public:
  QtNotificationArea();
  ~QtNotificationArea() override;
  QtNotificationArea(const QtNotificationArea&) = delete;
  QtNotificationArea& operator=(const QtNotificationArea&) = delete;

  bool Add(const NotifyIconRecord& record) override;
  bool Modify(const NotifyIconRecord& record) override;
  bool Delete(const NotifyIconRecord& record) override;
  bool SetVersion(const NotifyIconRecord& record) override;
  bool HostPresent() const override;

 private:
  void DropAll();

  std::map<std::uint32_t, QSystemTrayIcon*> icons_;
  TrayHostWatch watch_;
};

}  // namespace halvoric
