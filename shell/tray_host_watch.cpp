// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/tray_host_watch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QGuiApplication>

#include "shell/x11_tray_selection.h"

namespace halvoric {

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

bool WatcherRegistered() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus && bus->isServiceRegistered(WatcherService).value();
}

}  // namespace

// Qt on X11 and Wayland asks the platform theme for a tray icon; the theme
// gives a StatusNotifierItem one when org.kde.StatusNotifierWatcher is on the
// session bus at the first ask, and keeps that answer for the process. The
// answer is kept the same way here.
TrayKind ChosenTrayKind() {
  static const TrayKind kind = [] {
    if (WatcherRegistered()) return TrayKind::StatusNotifier;
    if (QGuiApplication::platformName() == QLatin1String("xcb")) return TrayKind::XEmbed;
    return TrayKind::None;
  }();
  return kind;
}

void HostPresence::Seen(bool present) {
  if (present == present_) return;
  present_ = present;
  if (present) {
    if (reactions_.created) reactions_.created();
  } else if (reactions_.lost) {
    reactions_.lost();
  }
}

TrayHostWatch::TrayHostWatch(TrayKind kind, HostPresence::Reactions reactions)
    : presence_(false, std::move(reactions)) {
  switch (kind) {
    case TrayKind::StatusNotifier: {
      auto* watcher = new QDBusServiceWatcher(WatcherService, QDBusConnection::sessionBus(),
                                              QDBusServiceWatcher::WatchForOwnerChange, this);
      // A new owner is a new host: the icons must register with it again.
      connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
              [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                if (!oldOwner.isEmpty()) presence_.Seen(false);
                if (!newOwner.isEmpty()) presence_.Seen(true);
              });
      presence_.Assume(WatcherRegistered());
      break;
    }
    case TrayKind::XEmbed:
      selection_ =
          std::make_unique<X11TraySelection>([this](bool owned) { presence_.Seen(owned); });
      presence_.Assume(selection_->Owned());
      break;
    case TrayKind::None:
      break;
  }
}

TrayHostWatch::~TrayHostWatch() = default;

}  // namespace halvoric
