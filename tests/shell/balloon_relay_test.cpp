// SPDX-License-Identifier: GPL-3.0-or-later
// The relay between the area's balloon requests and a notification server,
// on a fake server that records what reaches it.
#include "shell/balloon_relay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/event_wait.h"

namespace halvoric {
namespace {

using testing::RunFor;

struct FakeServer final : BalloonServer {
  void Show(std::string_view title, std::string_view text, std::string_view icon,
            std::uint32_t timeoutMs, Listener l) override {
    calls.push_back("show " + std::string(title) + "|" + std::string(text) + "|" +
                    std::string(icon) + "|" + std::to_string(timeoutMs));
    listener = std::move(l);
  }
  void Hide() override {
    calls.push_back("hide");
    listener = nullptr;
  }
  std::vector<std::string> calls;
  Listener listener;
};

struct RecordingSink final : NotificationSink {
  void Notify(std::uint32_t id, TrayNotification n) override { seen.emplace_back(id, n); }
  std::vector<std::pair<std::uint32_t, TrayNotification>> seen;
};

struct Rig {
  FakeServer server;
  RecordingSink window;
  BalloonRelay relay{server};

  // What TTrayIcon::ShowBalloon sends: a hide, then the balloon.
  void ShowBalloon(std::uint32_t id, const std::string& text,
                   BalloonIconKind icon = BalloonIconKind::Info) {
    Hide(id);
    NotifyIconRecord record = Record(id);
    record.infoIcon = icon;
    CopyCut(record.info, text);
    CopyCut(record.infoTitle, "Halvoric");
    record.timeoutOrVersion = 10000;
    relay.Ask(record);
  }
  void Hide(std::uint32_t id) { relay.Ask(Record(id)); }
  NotifyIconRecord Record(std::uint32_t id) {
    NotifyIconRecord record;
    record.window = &window;
    record.id = id;
    record.flags = TrayIconFlags | NIF_INFO;
    return record;
  }
};

TEST(BalloonRelay, ABurstOfBalloonsReachesTheServerAsItsLast) {
  Rig rig;
  for (const char* text : {"A\r", "A\rB\r", "A\rB\rC\r", "A\rB\rC\rD\r"}) rig.ShowBalloon(1, text);
  EXPECT_TRUE(rig.server.calls.empty());  // not before control is back in the loop
  RunFor(20);
  EXPECT_EQ(rig.server.calls,
            std::vector<std::string>{"show Halvoric|A\nB\nC\nD\n|dialog-information|10000"});

  // The next minimise: its first hide replaces, it does not close. The
  // balloon's sign goes with it, named as the server knows icons.
  rig.ShowBalloon(1, "E\r", BalloonIconKind::Warning);
  RunFor(20);
  EXPECT_EQ(rig.server.calls.back(), "show Halvoric|E\n|dialog-warning|10000");
  EXPECT_EQ(rig.server.calls.size(), 2u);
}

TEST(BalloonRelay, HidesReachTheServerOnlyForTheShownBalloonsIcon) {
  struct Row {
    std::vector<std::uint32_t> hides;
    std::vector<std::string> calls;
  } rows[] = {
      {{1}, {"hide"}},
      {{1, 1}, {"hide"}},
      {{2}, {}},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.ShowBalloon(1, "A\r");
    RunFor(20);
    rig.server.calls.clear();
    for (const std::uint32_t id : row.hides) rig.Hide(id);
    RunFor(20);
    EXPECT_EQ(rig.server.calls, row.calls) << row.hides.size() << " " << row.hides[0];
  }
}

TEST(BalloonRelay, OutcomesBecomeTheIconsBalloonNotifications) {
  using enum TrayNotification;
  using Outcome = BalloonServer::Outcome;
  Rig rig;
  rig.ShowBalloon(7, "A\r");
  RunFor(20);
  for (const Outcome outcome :
       {Outcome::Shown, Outcome::Clicked, Outcome::Dismissed, Outcome::Expired})
    rig.server.listener(outcome);
  const std::vector<std::pair<std::uint32_t, TrayNotification>> expected = {
      {7, BalloonShow}, {7, BalloonUserClick}, {7, BalloonHide}, {7, BalloonTimeout}};
  EXPECT_EQ(rig.window.seen, expected);
}

TEST(BalloonRelay, AForgottenIconsBalloonGoesAndIsNotSentLater) {
  Rig rig;
  rig.ShowBalloon(1, "A\r");
  RunFor(20);
  rig.relay.Forget(1);
  EXPECT_EQ(rig.server.calls.back(), "hide");
  EXPECT_FALSE(rig.server.listener);

  rig.server.calls.clear();
  rig.ShowBalloon(1, "B\r");
  rig.relay.Forget(1);  // asked, then the icon went before it was sent
  RunFor(20);
  EXPECT_TRUE(rig.server.calls.empty());
}

}  // namespace
}  // namespace halvoric
