#include "shell/qt_notification_area.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QTimer>
#include <memory>
#include <utility>

#include "shell/tray_icon_handler.h"

namespace halvoric {

namespace {

constexpr int TrayWatchPeriodMs = 1000;

void Apply(QSystemTrayIcon& icon, const NotifyIconRecord& record) {
  icon.setIcon(record.icon);
  icon.setToolTip(QString::fromUtf8(record.tip.data()));
}

QSystemTrayIcon::MessageIcon MessageIconOf(BalloonIconKind kind) {
  switch (kind) {
    case BalloonIconKind::Info:
      return QSystemTrayIcon::Information;
    case BalloonIconKind::Warning:
      return QSystemTrayIcon::Warning;
    case BalloonIconKind::Error:
      return QSystemTrayIcon::Critical;
    case BalloonIconKind::None:
      break;
  }
  return QSystemTrayIcon::NoIcon;
}

// The icon may be the one whose signal is running (the menu's "Exit" closes
// the window from inside a right click), so it goes once control is back.
void Discard(QSystemTrayIcon* icon) {
  icon->disconnect();
  icon->hide();
  icon->deleteLater();
}

}  // namespace

QString BalloonMessage(const NotifyIconRecord& record, bool markup) {
  // Balloon texts break their lines with CR, which Qt's balloons ignore.
  QString text = QString::fromUtf8(record.info.data()).replace('\r', '\n');
  return markup ? text.toHtmlEscaped() : text;
}

// Qt on X11 and Wayland asks the platform theme for a tray icon; the theme
// gives a StatusNotifierItem one when org.kde.StatusNotifierWatcher is on the
// session bus at the first ask, and keeps that answer for the process. That
// icon sends showMessage's text unchanged as the body of
// org.freedesktop.Notifications.Notify, which servers render as markup: a
// model holding "<b>" or "&" would be taken apart. Without the watcher Qt
// docks an XEmbed icon and draws the balloon itself in a plain-text label,
// where escaping would show "&amp;". A server without body markup is asked
// by the notification protocol to strip markup, so escaped text reads right
// there as well. The answer is kept like Qt's.
bool BalloonsGoToNotificationServer() {
  static const bool viaServer = [] {
    const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher")).value();
  }();
  return viaServer;
}

std::vector<TrayNotification> TranslateActivation(QSystemTrayIcon::ActivationReason reason) {
  using enum TrayNotification;
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return {LeftButtonDown, LeftButtonUp, Select};
    case QSystemTrayIcon::DoubleClick:
      return {LeftButtonDoubleClick, LeftButtonUp};
    case QSystemTrayIcon::Context:
      return {RightButtonDown, RightButtonUp, ContextMenu};
    case QSystemTrayIcon::MiddleClick:
      return {MiddleButtonDown, MiddleButtonUp};
    case QSystemTrayIcon::Unknown:
      break;
  }
  return {};
}

void ForwardIconClicks(QSystemTrayIcon& icon, NotificationSink* window, std::uint32_t id) {
  auto balloonClickPending = std::make_shared<bool>(false);
  QObject::connect(&icon, &QSystemTrayIcon::activated, &icon,
                   [window, id, balloonClickPending](QSystemTrayIcon::ActivationReason reason) {
                     *balloonClickPending = false;
                     for (const TrayNotification n : TranslateActivation(reason))
                       window->Notify(id, n);
                   });
  QObject::connect(&icon, &QSystemTrayIcon::messageClicked, &icon,
                   [&icon, window, id, balloonClickPending] {
                     *balloonClickPending = true;
                     QTimer::singleShot(0, &icon, [window, id, balloonClickPending] {
                       if (!std::exchange(*balloonClickPending, false)) return;
                       window->Notify(id, TrayNotification::BalloonUserClick);
                     });
                   });
}

QtNotificationArea::QtNotificationArea()
    : watch_(&QSystemTrayIcon::isSystemTrayAvailable,
             {[this] { DropAll(); }, &TTrayIconHandler::TaskbarCreated}, TrayWatchPeriodMs) {}

QtNotificationArea::~QtNotificationArea() {
  for (const auto& entry : icons_) delete entry.second;
}

bool QtNotificationArea::Add(const NotifyIconRecord& record) {
  if (icons_.contains(record.id) || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  auto* icon = new QSystemTrayIcon;
  Apply(*icon, record);
  ForwardIconClicks(*icon, record.window, record.id);
  icon->show();
  icons_[record.id] = icon;
  return true;
}

bool QtNotificationArea::Modify(const NotifyIconRecord& record) {
  const auto it = icons_.find(record.id);
  if (it == icons_.end()) return false;
  QSystemTrayIcon& icon = *it->second;
  Apply(icon, record);
  if (record.flags & NIF_INFO) {
    // An empty text takes the shown balloon away.
    if (record.info[0] == '\0') {
      icon.showMessage(QString(), QString());
    } else {
      // The title is the notification's summary, which is never markup.
      icon.showMessage(QString::fromUtf8(record.infoTitle.data()),
                       BalloonMessage(record, BalloonsGoToNotificationServer()),
                       MessageIconOf(record.infoIcon), static_cast<int>(record.timeoutOrVersion));
    }
  }
  return true;
}

bool QtNotificationArea::Delete(const NotifyIconRecord& record) {
  const auto it = icons_.find(record.id);
  if (it == icons_.end()) return false;
  Discard(it->second);
  icons_.erase(it);
  return true;
}

// Qt has a single notification behaviour; the request only needs the icon.
bool QtNotificationArea::SetVersion(const NotifyIconRecord& record) {
  return icons_.contains(record.id);
}

// A tray that goes away takes its icons with it; they are added again when
// it comes back.
void QtNotificationArea::DropAll() {
  for (const auto& entry : icons_) Discard(entry.second);
  icons_.clear();
}

bool QtNotificationArea::HostPresent() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

}  // namespace halvoric
