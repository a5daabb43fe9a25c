// SPDX-License-Identifier: GPL-3.0-or-later
// Balloons through org.freedesktop.Notifications on the session bus, with
// the server followed as it comes and goes.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "desktop/notification_balloons.h"

class QDBusServiceWatcher;

namespace halvoric {

class DBusNotificationServer final : public QObject, public BalloonServer, private NotificationBus {
  Q_OBJECT

 public:
  DBusNotificationServer();
  ~DBusNotificationServer() override;

  void Show(std::string_view title, std::string_view text, std::string_view icon,
            std::uint32_t timeoutMs, Listener listener) override;
  void Hide() override;

 private slots:
  void OnActionInvoked(uint id, const QString& actionKey);
  void OnNotificationClosed(uint id, uint reason);

 private:
  // Follows the server on the bus; once only.
  void HookUp();
  void GetCapabilities() override;
  void Notify(const NotifyCall& call) override;
  void CloseNotification(std::uint32_t id) override;

  NotificationBalloons balloons_;
  QDBusServiceWatcher* watcher_ = nullptr;
};

}  // namespace halvoric
