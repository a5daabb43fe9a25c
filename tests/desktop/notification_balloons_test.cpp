// SPDX-License-Identifier: GPL-3.0-or-later
// The balloon on a notification server, driven through a fake bus that
// answers only when the test says so, as a busy server would.
#include "desktop/notification_balloons.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halvoric {
namespace {

struct FakeBus final : NotificationBus {
  void GetCapabilities() override { calls.push_back("caps"); }
  void Notify(const NotifyCall& call) override {
    calls.push_back("notify " + std::to_string(call.replacesId) + " " + call.body);
    last = call;
  }
  void CloseNotification(std::uint32_t id) override {
    calls.push_back("close " + std::to_string(id));
  }

  std::vector<std::string> calls;
  NotifyCall last;
};

using Outcome = BalloonServer::Outcome;

struct Rig {
  FakeBus bus;
  NotificationBalloons balloons{bus};
  std::string heard;

  BalloonServer::Listener Listener(std::string name) {
    return [this, name](Outcome outcome) {
      static const char* const words[] = {"shown", "clicked", "dismissed", "expired"};
      heard += name + ":" + words[static_cast<int>(outcome)] + " ";
    };
  }
  // A balloon on screen under `id`, on a server without body markup.
  void ShowAs(std::uint32_t id, std::string name = "a") {
    balloons.Show("Halvoric", "text", "", 10000, Listener(name));
    if (bus.calls.back() == "caps") balloons.CapabilitiesAnswered({"actions"});
    balloons.NotifyAnswered(id);
    bus.calls.clear();
    heard.clear();
  }
};

TEST(NotificationBalloons, BalloonsAskedWhileTheServerIsBusyLeaveOnlyTheLast) {
  Rig rig;
  for (const char* text : {"A\n", "A\nB\n", "A\nB\nC\n", "A\nB\nC\nD\n"})
    rig.balloons.Show("Halvoric", text, "", 10000, rig.Listener("x"));
  EXPECT_EQ(rig.bus.calls, std::vector<std::string>{"caps"});
  rig.balloons.CapabilitiesAnswered({"body", "actions"});
  EXPECT_EQ(rig.bus.calls.back(), "notify 0 A\nB\nC\nD\n");
  EXPECT_EQ(rig.bus.last.appName, "Halvoric");
  EXPECT_EQ(rig.bus.last.appIcon, "");
  EXPECT_EQ(rig.bus.last.summary, "Halvoric");
  EXPECT_EQ(rig.bus.last.actions, (std::vector<std::string>{"default", "Show"}));
  EXPECT_EQ(rig.bus.last.expireTimeoutMs, 10000);

  rig.balloons.Show("Halvoric", "E\n", "dialog-warning", 10000, rig.Listener("y"));
  EXPECT_EQ(rig.bus.calls.size(), 2u);  // held until the answer names the balloon
  rig.balloons.NotifyAnswered(7);
  EXPECT_EQ(rig.bus.calls.back(), "notify 7 E\n");
  EXPECT_EQ(rig.bus.last.appIcon, "dialog-warning");
  rig.balloons.NotifyAnswered(7);
  EXPECT_EQ(rig.heard, "x:shown y:shown ");
  EXPECT_EQ(rig.bus.calls.size(), 3u);  // capabilities were asked once
}

TEST(NotificationBalloons, BodyIsEscapedOnlyForAServerThatReadsMarkup) {
  struct Row {
    std::vector<std::string> capabilities;
    std::string body;
  } rows[] = {
      {{"body", "body-markup", "actions"}, "&lt;b&gt;M&amp;S&quot;&apos;\n"},
      {{"body", "actions"}, "<b>M&S\"'\n"},
      {{}, "<b>M&S\"'\n"},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.balloons.Show("<i>", "<b>M&S\"'\n", "", 5000, nullptr);
    rig.balloons.CapabilitiesAnswered(row.capabilities);
    EXPECT_EQ(rig.bus.last.body, row.body);
    EXPECT_EQ(rig.bus.last.summary, "<i>");  // the summary is never markup
  }
}

TEST(NotificationBalloons, TimeOutZeroLeavesItToTheServerRatherThanNeverExpiring) {
  const struct {
    std::uint32_t timeoutMs;
    std::int32_t expire;
  } rows[] = {{0, -1}, {10000, 10000}, {255000, 255000}, {0x80000000u, -1}};
  for (const auto& row : rows) {
    Rig rig;
    rig.balloons.Show("t", "x", "", row.timeoutMs, nullptr);
    rig.balloons.CapabilitiesAnswered({});
    EXPECT_EQ(rig.bus.last.expireTimeoutMs, row.expire) << row.timeoutMs;
  }
}

// What the server's signals mean for the balloon shown under id 7.
TEST(NotificationBalloons, SignalsBecomeTheBalloonsEvents) {
  struct Signal {
    bool action;
    std::uint32_t id;
    std::uint32_t reason;  // for a close
    const char* key;       // for an action
  };
  struct Row {
    std::vector<Signal> signals;
    std::string heard;
  } rows[] = {
      {{{false, 7, 1, ""}}, "a:expired "},
      {{{false, 7, 2, ""}}, "a:dismissed "},
      {{{false, 7, 4, ""}}, "a:dismissed "},
      {{{false, 7, 3, ""}}, ""},
      {{{true, 7, 0, "default"}, {false, 7, 2, ""}}, "a:clicked "},
      {{{true, 7, 0, "other"}, {false, 7, 1, ""}}, "a:expired "},
      {{{false, 8, 1, ""}, {true, 8, 0, "default"}}, ""},
      {{{true, 0, 0, "default"}, {false, 0, 2, ""}}, ""},
      {{{false, 7, 1, ""}, {false, 7, 2, ""}}, "a:expired "},
  };
  for (const Row& row : rows) {
    Rig rig;
    rig.ShowAs(7);
    for (const Signal& s : row.signals) {
      if (s.action) {
        rig.balloons.ActionInvoked(s.id, s.key);
      } else {
        rig.balloons.NotificationClosed(s.id, s.reason);
      }
    }
    EXPECT_EQ(rig.heard, row.heard) << row.signals.size() << " " << row.signals[0].reason;
  }
}

TEST(NotificationBalloons, AReplacedBalloonsListenerHearsNothingMore) {
  Rig rig;
  rig.ShowAs(7, "old");
  rig.balloons.Show("Halvoric", "new", "", 10000, rig.Listener("new"));
  rig.balloons.NotifyAnswered(7);
  rig.balloons.NotificationClosed(7, 1);
  EXPECT_EQ(rig.heard, "new:shown new:expired ");
}

// dunst leaves a clicked notification up until it expires, and replaces it
// under the same id.
TEST(NotificationBalloons, AReplacementOfAClickedBalloonIsNewAgain) {
  Rig rig;
  rig.ShowAs(7, "old");
  rig.balloons.ActionInvoked(7, "default");
  rig.balloons.Show("Halvoric", "new", "", 10000, rig.Listener("new"));
  rig.balloons.NotifyAnswered(7);
  rig.balloons.NotificationClosed(7, 1);
  EXPECT_EQ(rig.heard, "old:clicked new:shown new:expired ");
}

TEST(NotificationBalloons, HideClosesTheShownBalloonQuietly) {
  Rig rig;
  rig.ShowAs(7);
  rig.balloons.Hide();
  rig.balloons.NotificationClosed(7, 3);
  rig.balloons.Hide();  // nothing left to close
  EXPECT_EQ(rig.bus.calls, std::vector<std::string>{"close 7"});
  EXPECT_EQ(rig.heard, "");

  rig.bus.calls.clear();
  rig.balloons.Show("Halvoric", "text", "", 10000, rig.Listener("b"));
  EXPECT_EQ(rig.bus.calls.back(), "notify 0 text");  // a closed balloon is not replaced
}

TEST(NotificationBalloons, HideWhileTheAnswerIsOutClosesWhatItNames) {
  Rig rig;
  rig.ShowAs(7);
  rig.balloons.Show("Halvoric", "text", "", 10000, rig.Listener("b"));
  rig.balloons.Hide();
  rig.balloons.NotifyAnswered(9);
  EXPECT_EQ(rig.bus.calls, (std::vector<std::string>{"notify 7 text", "close 9"}));

  // A show after the hide, before the answer, replaces instead.
  rig.bus.calls.clear();
  rig.balloons.Show("Halvoric", "one", "", 10000, nullptr);
  rig.balloons.Hide();
  rig.balloons.Show("Halvoric", "two", "", 10000, nullptr);
  rig.balloons.NotifyAnswered(10);
  EXPECT_EQ(rig.bus.calls, (std::vector<std::string>{"notify 0 one", "notify 10 two"}));
}

TEST(NotificationBalloons, AFailedCallShowsNothingAndTheNextStartsAfresh) {
  Rig rig;
  rig.balloons.Show("Halvoric", "one", "", 10000, rig.Listener("a"));
  rig.balloons.CapabilitiesAnswered({});
  rig.balloons.NotifyAnswered(std::nullopt);
  rig.balloons.NotificationClosed(0, 1);
  rig.balloons.Show("Halvoric", "two", "", 10000, rig.Listener("b"));
  rig.balloons.NotifyAnswered(3);
  EXPECT_EQ(rig.bus.calls, (std::vector<std::string>{"caps", "notify 0 one", "notify 0 two"}));
  EXPECT_EQ(rig.heard, "b:shown ");
}

TEST(NotificationBalloons, ANewServerTakesTheBalloonAndIsAskedItsCapabilities) {
  Rig rig;
  rig.ShowAs(7);
  rig.balloons.ServerChanged();
  rig.balloons.NotificationClosed(7, 1);  // the old server's last word
  EXPECT_EQ(rig.heard, "a:dismissed ");
  rig.balloons.Show("Halvoric", "<", "", 10000, nullptr);
  rig.balloons.CapabilitiesAnswered({"body-markup"});
  EXPECT_EQ(rig.bus.calls, (std::vector<std::string>{"caps", "notify 0 &lt;"}));
}

}  // namespace
}  // namespace halvoric
