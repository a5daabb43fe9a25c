// SPDX-License-Identifier: GPL-3.0-or-later
// LogindHibernator against python-dbusmock's logind on a private bus that
// stands in for the system bus; dbus-monitor shows what went over the wire,
// since the mock turns D-Bus types into Python ones.
#include "desktop/hibernation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdlib>
#include <memory>

#include "tests/base/temp_files.h"
#include "tests/desktop/child_process.h"

namespace halvoric {
namespace {

using testing::ChildProcess;

class LogindHibernatorTest : public ::testing::Test {
 protected:
  // Qt keeps the first system bus it connects to for the whole process, so
  // every test of the suite shares one private bus and starts its own mock.
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "alert_channel_tests";
    static char* argv[] = {name, nullptr};
    app_ = new QCoreApplication(argc, argv);
    busDir_ = new testing::TempDir;
    const std::string socket = busDir_->File("system_bus_socket");
    bus_ = new ChildProcess({"/usr/bin/dbus-daemon", "--session", "--nofork",
                             "--address=unix:path=" + socket, "--print-address=1"},
                            {}, busDir_->File("bus.log"));
    ASSERT_TRUE(testing::WaitUntil([&] { return testing::CanConnectUnix(socket); }));
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
  }

  static void TearDownTestSuite() {
    delete bus_;
    delete busDir_;
    delete app_;
  }

  static QDBusConnection Bus() { return QDBusConnection::systemBus(); }

  static bool LogindOnBus() {
    return Bus().interface()->isServiceRegistered("org.freedesktop.login1").value();
  }

  void StartLogind() {
    logind_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/python3", "-m", "dbusmock", "--system", "--template",
                                 "logind", "-l", dir_.File("logind.log")},
        std::vector<std::string>{}, dir_.File("logind.out"));
    ASSERT_TRUE(testing::WaitUntil(LogindOnBus)) << testing::ReadFile(dir_.File("logind.out"));
  }

  void StartMonitor() {
    monitor_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"/usr/bin/dbus-monitor", "--address",
                                 std::getenv("DBUS_SYSTEM_BUS_ADDRESS"),
                                 "type='method_call',member='Hibernate'"},
        std::vector<std::string>{}, dir_.File("monitor.log"));
    // It prints NameLost once it has become a monitor.
    ASSERT_TRUE(testing::WaitUntil([this] {
      return testing::ReadFile(dir_.File("monitor.log")).find("NameLost") != std::string::npos;
    }));
  }

  void TearDown() override {
    monitor_.reset();
    logind_.reset();
    testing::WaitUntil([] { return !LogindOnBus(); });
  }

  static inline QCoreApplication* app_ = nullptr;
  static inline testing::TempDir* busDir_ = nullptr;
  static inline ChildProcess* bus_ = nullptr;

  testing::TempDir dir_;
  std::unique_ptr<ChildProcess> logind_;
  std::unique_ptr<ChildProcess> monitor_;
};

TEST_F(LogindHibernatorTest, CallArrivesWithARealBooleanFalse) {
  StartLogind();
  StartMonitor();

  const Result<> outcome = LogindHibernator().Hibernate();
  ASSERT_TRUE(outcome.Ok()) << outcome.Message;

  EXPECT_TRUE(testing::WaitUntil([this] {
    return testing::ReadFile(dir_.File("logind.log")).find("Hibernate False") != std::string::npos;
  })) << testing::ReadFile(dir_.File("logind.log"));
  const std::string wire = [this] {
    std::string seen;
    testing::WaitUntil([&] {
      seen = testing::ReadFile(dir_.File("monitor.log"));
      return seen.find("boolean") != std::string::npos;
    });
    return seen;
  }();
  const std::size_t call = wire.find("interface=org.freedesktop.login1.Manager; member=Hibernate");
  ASSERT_NE(call, std::string::npos) << wire;
  EXPECT_NE(wire.find("path=/org/freedesktop/login1;"), std::string::npos) << wire;
  EXPECT_NE(wire.find("\n   boolean false\n", call), std::string::npos) << wire;
}

TEST_F(LogindHibernatorTest, RefusalCarriesTheErrorNameAndText) {
  StartLogind();
  QDBusMessage replace =
      QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                     "org.freedesktop.DBus.Mock", "AddMethod");
  replace << QString("org.freedesktop.login1.Manager") << QString("Hibernate") << QString("b")
          << QString("")
          << QString(
                 "raise dbus.exceptions.DBusException('Not enough swap space for hibernation', "
                 "name='org.freedesktop.login1.SleepVerbNotSupported')");
  ASSERT_NE(Bus().call(replace).type(), QDBusMessage::ErrorMessage);

  const Result<> outcome = LogindHibernator().Hibernate();
  EXPECT_FALSE(outcome.Ok());
  EXPECT_EQ(outcome.Message,
            "Hibernation refused: org.freedesktop.login1.SleepVerbNotSupported: "
            "Not enough swap space for hibernation");
}

TEST_F(LogindHibernatorTest, MissingLogindIsAFailureWithTheBusReason) {
  const Result<> outcome = LogindHibernator().Hibernate();
  EXPECT_FALSE(outcome.Ok());
  EXPECT_EQ(
      outcome.Message.rfind("Hibernation refused: org.freedesktop.DBus.Error.ServiceUnknown: ", 0),
      0u)
      << outcome.Message;
}

}  // namespace
}  // namespace halvoric
