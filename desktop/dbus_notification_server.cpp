// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/dbus_notification_server.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include "base/diagnostics.h"

namespace halvoric {

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString Interface = QStringLiteral("org.freedesktop.Notifications");

// A server that hangs must not keep the next balloon back for long.
constexpr int ReplyTimeoutMs = 5000;
// Well after a start's first window is up.
constexpr int kHookUpDelayMs = 1000;

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(Service, Path, Interface, method);
}

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), text.size()); }

}  // namespace

DBusNotificationServer::DBusNotificationServer() : balloons_(*this) {
  // Each hook is a round trip to the bus: made after the window is up,
  // unless a balloon comes first. Not at the first turn of events: that is
  // the splash's, and the window would wait for the bus.
  QTimer::singleShot(kHookUpDelayMs, this, [this] { HookUp(); });
}

void DBusNotificationServer::HookUp() {
  if (watcher_ != nullptr) return;
  watcher_ = new QDBusServiceWatcher(Service, QDBusConnection::sessionBus(),
                                     QDBusServiceWatcher::WatchForOwnerChange, this);
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          [this] { balloons_.ServerChanged(); });
  // Servers send these signals to the connection that asked for the balloon
  // or to everyone; the balloons ignore ids they did not get.
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
              SLOT(OnActionInvoked(uint, QString)));
  bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
              SLOT(OnNotificationClosed(uint, uint)));
}

DBusNotificationServer::~DBusNotificationServer() = default;

void DBusNotificationServer::Show(std::string_view title, std::string_view text,
                                  std::string_view icon, std::uint32_t timeoutMs,
                                  Listener listener) {
  HookUp();
  balloons_.Show(title, text, icon, timeoutMs, std::move(listener));
}

void DBusNotificationServer::Hide() { balloons_.Hide(); }

void DBusNotificationServer::OnActionInvoked(uint id, const QString& actionKey) {
  balloons_.ActionInvoked(id, actionKey.toStdString());
}

void DBusNotificationServer::OnNotificationClosed(uint id, uint reason) {
  balloons_.NotificationClosed(id, reason);
}

void DBusNotificationServer::GetCapabilities() {
  auto* answer =
      new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(
                                      Call(QStringLiteral("GetCapabilities")), ReplyTimeoutMs),
                                  this);
  connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<QStringList> reply = *w;
    std::vector<std::string> capabilities;
    if (reply.isValid()) {
      for (const QString& capability : reply.value())
        capabilities.push_back(capability.toStdString());
    }
    balloons_.CapabilitiesAnswered(capabilities);
  });
}

void DBusNotificationServer::Notify(const NotifyCall& call) {
  QDBusMessage message = Call(QStringLiteral("Notify"));
  QStringList actions;
  for (const std::string& action : call.actions) actions << Text(action);
  message << Text(call.appName) << static_cast<uint>(call.replacesId) << Text(call.appIcon)
          << Text(call.summary) << Text(call.body) << actions << QVariantMap()
          << static_cast<int>(call.expireTimeoutMs);
  auto* answer = new QDBusPendingCallWatcher(
      QDBusConnection::sessionBus().asyncCall(message, ReplyTimeoutMs), this);
  connect(answer, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    const QDBusPendingReply<uint> reply = *w;
    if (!reply.isValid()) {
      Diagnose(DiagnosticArea::Tray, "the notification server refused the balloon: " +
                                         reply.error().message().toStdString());
    }
    balloons_.NotifyAnswered(reply.isValid() ? std::optional<std::uint32_t>(reply.value())
                                             : std::nullopt);
  });
}

void DBusNotificationServer::CloseNotification(std::uint32_t id) {
  QDBusMessage message = Call(QStringLiteral("CloseNotification"));
  message << static_cast<uint>(id);
  QDBusConnection::sessionBus().asyncCall(message, ReplyTimeoutMs);
}

}  // namespace halvoric
