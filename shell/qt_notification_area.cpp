// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt_notification_area.h"

#include <QTimer>
#include <memory>
#include <utility>

#include "base/diagnostics.h"
#include "shell/balloon_relay.h"
#include "shell/tray_icon_handler.h"

namespace halvoric {

namespace {

void Apply(QSystemTrayIcon& icon, const NotifyIconRecord& record, TrayKind kind) {
  icon.setIcon(record.icon);
  icon.setToolTip(QString::fromUtf8(record.tip.data()));
  if (kind == TrayKind::StatusNotifier && icon.contextMenu() != record.menu)
    icon.setContextMenu(record.menu);
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

std::vector<TrayNotification> TranslateActivation(QSystemTrayIcon::ActivationReason reason,
                                                  TrayKind kind) {
  using enum TrayNotification;
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      if (kind == TrayKind::StatusNotifier) return {LeftButtonDoubleClick, LeftButtonUp};
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

void ForwardIconClicks(QSystemTrayIcon& icon, NotificationSink* window, std::uint32_t id,
                       TrayKind kind) {
  auto balloonClickPending = std::make_shared<bool>(false);
  QObject::connect(
      &icon, &QSystemTrayIcon::activated, &icon,
      [window, id, kind, balloonClickPending](QSystemTrayIcon::ActivationReason reason) {
        *balloonClickPending = false;
        for (const TrayNotification n : TranslateActivation(reason, kind)) window->Notify(id, n);
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

struct QtNotificationArea::Host {
  Host(TrayKind kind, BalloonServer* balloons, HostPresence::Reactions reactions)
      : Kind(kind),
        Relay(kind == TrayKind::StatusNotifier && balloons
                  ? std::make_unique<BalloonRelay>(*balloons)
                  : nullptr),
        Watch(kind, std::move(reactions)) {}

  TrayKind Kind;
  std::unique_ptr<BalloonRelay> Relay;
  TrayHostWatch Watch;
};

QtNotificationArea::QtNotificationArea(BalloonServer* balloons) : balloons_(balloons) {}

HostPresence::Reactions QtNotificationArea::HostReactions() {
  return {[this] {
            Diagnose(DiagnosticArea::Tray, "tray host gone");
            DropAll();
          },
          [] {
            Diagnose(DiagnosticArea::Tray, "tray host appeared; icons added again");
            TTrayIconHandler::TaskbarCreated();
          }};
}

QtNotificationArea::Host& QtNotificationArea::Found() {
  if (host_) return *host_;
  host_ = std::make_unique<Host>(ChosenTrayKind(), balloons_, HostReactions());
  switch (host_->Kind) {
    case TrayKind::StatusNotifier:
      Diagnose(DiagnosticArea::Tray,
               host_->Relay ? "StatusNotifierItem host; balloons through the notification server"
                            : "StatusNotifierItem host; balloons through Qt");
      break;
    case TrayKind::XEmbed:
      Diagnose(DiagnosticArea::Tray, "XEmbed tray on X11");
      break;
    case TrayKind::None:
      Diagnose(DiagnosticArea::Tray, "no tray on this platform without a StatusNotifierWatcher");
      break;
  }
  Diagnose(DiagnosticArea::Tray, host_->Watch.Present() ? "tray host present" : "no tray host yet");
  return *host_;
}

QtNotificationArea::~QtNotificationArea() {
  for (const auto& entry : icons_) delete entry.second;
}

bool QtNotificationArea::Add(const NotifyIconRecord& record) {
  const Host& host = Found();
  if (icons_.contains(record.id) || !host.Watch.Present()) return false;
  auto* icon = new QSystemTrayIcon;
  Apply(*icon, record, host.Kind);
  ForwardIconClicks(*icon, record.window, record.id, host.Kind);
  icon->show();
  icons_[record.id] = icon;
  return true;
}

bool QtNotificationArea::Modify(const NotifyIconRecord& record) {
  const auto it = icons_.find(record.id);
  if (it == icons_.end()) return false;
  QSystemTrayIcon& icon = *it->second;
  Apply(icon, record, Found().Kind);
  if (record.flags & NIF_INFO) ShowBalloon(record, icon);
  return true;
}

void QtNotificationArea::ShowBalloon(const NotifyIconRecord& record, QSystemTrayIcon& icon) {
  const Host& host = Found();
  if (host.Relay) {
    host.Relay->Ask(record);
  } else if (record.info[0] == '\0') {
    icon.showMessage(QString(), QString());
  } else {
    // Qt hands its balloons on a StatusNotifierItem host to the notification
    // server as markup; on an XEmbed tray it draws them as plain text. The
    // title is the notification's summary, which is never markup.
    icon.showMessage(QString::fromUtf8(record.infoTitle.data()),
                     BalloonMessage(record, host.Kind == TrayKind::StatusNotifier),
                     MessageIconOf(record.infoIcon), static_cast<int>(record.timeoutOrVersion));
  }
}

bool QtNotificationArea::Delete(const NotifyIconRecord& record) {
  const auto it = icons_.find(record.id);
  if (it == icons_.end()) return false;
  // Its balloon's events would reach a window that may be gone.
  if (host_ && host_->Relay) host_->Relay->Forget(record.id);
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

// Asked of a const area too: the first ask finds the road all the same.
bool QtNotificationArea::HostPresent() const {
  return const_cast<QtNotificationArea*>(this)->Found().Watch.Present();
}

}  // namespace halvoric
