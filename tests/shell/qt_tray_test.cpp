// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt side of the tray: the owner window's minimise hook on a real
// widget, and the watch on the tray's host.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWidget>

#include "shell/qt_notification_area.h"
#include "shell/qt_owner_window.h"
#include "shell/tray_host_watch.h"
#include "shell/tray_icon.h"
#include "tests/shell/tray_fakes.h"

namespace halvoric {
namespace {

using testing::RunFor;
using testing::RunUntil;

TEST(QtOwnerWindow, MinimiseBecomesAHideToTheTrayAndComesBack) {
  testing::FakeArea area;
  testing::FakeInput input;
  QWidget window;
  QtOwnerWindow owner(window);
  TTrayIcon icon({area, input}, &owner);
  icon.SetMinimizeToTray(true);
  int reports = 0;
  icon.OnMinimizeToTray = [&](TTrayIcon&) {
    EXPECT_TRUE(window.isVisible());  // the report comes before the hide
    ++reports;
  };
  window.show();
  icon.SetIconVisible(true);

  window.showMinimized();
  EXPECT_TRUE(RunUntil([&] { return reports == 1; }));
  QCoreApplication::processEvents();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  EXPECT_FALSE(owner.TaskbarEntryVisible());
  EXPECT_EQ(area.present.size(), 1u);

  icon.ShowMainWindow();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
  EXPECT_EQ(reports, 1);
}

struct RecordingSink final : NotificationSink {
  void Notify(std::uint32_t, TrayNotification notification) override { seen.push_back(notification); }
  std::vector<TrayNotification> seen;
};

// Qt's X11 tray reports a press on the icon while a balloon is up as a
// balloon click followed by the icon's activation; a press on the balloon
// itself as a balloon click alone.
TEST(QtTrayClicks, OnlyAClickOnTheBalloonItselfIsABalloonClick) {
  using enum TrayNotification;
  QSystemTrayIcon icon;
  RecordingSink sink;
  ForwardIconClicks(icon, &sink, 1, TrayKind::XEmbed);

  emit icon.messageClicked();
  emit icon.activated(QSystemTrayIcon::Trigger);
  RunFor(20);
  EXPECT_EQ(sink.seen, (std::vector{LeftButtonDown, LeftButtonUp, Select}));

  sink.seen.clear();
  emit icon.messageClicked();
  emit icon.activated(QSystemTrayIcon::Context);
  RunFor(20);
  EXPECT_EQ(sink.seen, (std::vector{RightButtonDown, RightButtonUp, ContextMenu}));

  sink.seen.clear();
  emit icon.messageClicked();
  EXPECT_TRUE(sink.seen.empty());  // not before control is back in the loop
  EXPECT_TRUE(RunUntil([&] { return !sink.seen.empty(); }));
  EXPECT_EQ(sink.seen, std::vector{BalloonUserClick});
}

// What the desktop announces may repeat itself (a new tray owner announced
// while one is known); each arrival and departure is told once.
TEST(TrayHostWatch, ReportsTheTrayLeavingAndComingBack) {
  std::string seen;
  HostPresence presence(false, {[&] { seen += "lost "; }, [&] { seen += "created "; }});
  for (const bool present : {false, true, true, false, false, true}) presence.Seen(present);
  EXPECT_EQ(seen, "created lost created ");
  EXPECT_TRUE(presence.Present());
}

}  // namespace
}  // namespace halvoric
