// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/hibernation.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariant>

namespace halvoric {
namespace {

// logind answers at once; the wait only guards against a hung bus.
constexpr int kReplyTimeoutMs = 25000;

std::string Describe(const QDBusError& error) {
  return (error.name() + ": " + error.message()).toStdString();
}

}  // namespace

Result<> LogindHibernator::Hibernate() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) {
    return Failure{"No system bus: " + Describe(bus.lastError())};
  }
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                     "org.freedesktop.login1.Manager", "Hibernate");
  // interactive = false: nobody is there to answer a password prompt when
  // the countdown runs out.
  call << QVariant(false);
  const QDBusMessage reply = bus.call(call, QDBus::Block, kReplyTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage) {
    return Failure{"Hibernation refused: " + Describe(QDBusError(reply))};
  }
  return Result<>::Done();
}

}  // namespace halvoric
