// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/tray_icon.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QPixmap>
#include <memory>

#include "shell/qt_notification_area.h"
#include "shell/tray_icon_handler.h"
#include "tests/shell/tray_fakes.h"

namespace halvoric {
namespace {

using testing::FakeArea;
using testing::FakeInput;
using testing::FakeOwner;
using testing::RunFor;
using testing::RunUntil;
using enum TrayNotification;

struct TrayIconTest : ::testing::Test {
  FakeArea area;
  FakeInput input;
  FakeOwner owner;
  TTrayIcon icon{{area, input}, &owner};

  // Delivers a notification the way the area does: to the record's window.
  void Notify(TrayNotification n) { area.Last().record.window->Notify(area.Last().record.id, n); }
};

TEST_F(TrayIconTest, TooltipIsTheHintCutToTheField) {
  const std::string utf8Tail =
      std::string(126, 'a') + "\xC2\xB0";  // the degree sign straddles the cut
  struct Row {
    std::string hint;
    bool showHint;
    std::string tip;
  } rows[] = {
      {"Halvoric", true, "Halvoric"},
      {std::string(200, 'h'), true, std::string(127, 'h')},
      {"", true, ""},
      {"Halvoric", false, ""},
      {utf8Tail, true, std::string(126, 'a')},
  };
  icon.AddToTray();
  for (const Row& row : rows) {
    icon.SetHint(row.hint);
    icon.SetShowHint(row.showHint);
    EXPECT_EQ(area.Last().op, "modify");
    EXPECT_EQ(area.Last().record.Tip(), row.tip) << row.hint.size();
    EXPECT_EQ(area.Last().record.flags, TrayIconFlags);
  }
}

TEST_F(TrayIconTest, BalloonIsCutAndCarriesItsTimeoutAndKind) {
  icon.AddToTray();
  EXPECT_TRUE(
      icon.ShowBalloon(std::string(100, 't'), std::string(300, 'x'), BalloonIconKind::Info, 10));
  const NotifyIconRecord& shown = area.Last().record;
  EXPECT_EQ(shown.flags, TrayIconFlags | NIF_INFO);
  EXPECT_EQ(shown.InfoTitle(), std::string(63, 't'));
  EXPECT_EQ(shown.Info(), std::string(255, 'x'));
  EXPECT_EQ(shown.timeoutOrVersion, 10000u);
  EXPECT_EQ(shown.infoIcon, BalloonIconKind::Info);

  icon.SetHint("after");  // the balloon flag was for that request only
  EXPECT_EQ(area.Last().record.flags, TrayIconFlags);
}

TEST_F(TrayIconTest, EachBalloonFirstRemovesTheOneShown) {
  icon.AddToTray();
  area.requests.clear();
  icon.ShowBalloon("Halvoric", "first", BalloonIconKind::Info, 10);
  icon.ShowBalloon("Halvoric", "second", BalloonIconKind::Info, 10);
  std::vector<std::string> texts;
  for (const auto& request : area.requests) {
    EXPECT_EQ(request.op, "modify");
    EXPECT_TRUE(request.record.flags & NIF_INFO);
    texts.push_back(request.record.Info());
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"", "first", "", "second"}));
}

TEST_F(TrayIconTest, RequestsForAnAbsentIconFailQuietly) {
  EXPECT_FALSE(icon.ShowBalloon("Halvoric", "text", BalloonIconKind::Info, 10));
  EXPECT_FALSE(icon.RefreshTrayIcon());
  EXPECT_FALSE(icon.RemoveFromTray());
  EXPECT_TRUE(icon.AddToTray());
  EXPECT_FALSE(icon.AddToTray());
  EXPECT_TRUE(icon.IconVisible());
}

QIcon Filled(Qt::GlobalColor colour) {
  QPixmap picture(16, 16);
  picture.fill(colour);
  return QIcon(picture);
}

TEST_F(TrayIconTest, IconIndexStaysWithinTheList) {
  const std::vector<QIcon> images = {Filled(Qt::red), Filled(Qt::green), Filled(Qt::blue)};
  struct Row {
    bool withList;
    int index;
    int expected;
  } rows[] = {{true, 5, 2}, {true, 1, 1}, {true, -1, 0}, {false, 5, 0}};
  for (const Row& row : rows) {
    icon.SetIconList(row.withList ? std::optional<std::span<const QIcon>>(images) : std::nullopt);
    icon.SetIconIndex(row.index);
    EXPECT_EQ(icon.IconIndex(), row.expected) << row.index;
    if (row.withList) {
      EXPECT_EQ(icon.Icon().cacheKey(), images[row.expected].cacheKey());
    }
  }
}

// Which events a notification raises, as a log of their names.
struct EventLog {
  std::string text;
  void Attach(TTrayIcon& icon) {
    auto note = [this](const char* name) { return [this, name](TTrayIcon&) { text += name; }; };
    icon.OnClick = note("click ");
    icon.OnDblClick = note("dbl ");
    icon.OnMouseEnter = note("enter ");
    icon.OnMouseExit = note("exit ");
    icon.OnBalloonHintShow = note("bshow ");
    icon.OnBalloonHintHide = note("bhide ");
    icon.OnBalloonHintTimeout = note("btimeout ");
    icon.OnBalloonHintClick = note("bclick ");
    const char* buttons[] = {"L", "R", "M"};
    icon.OnMouseDown = [this, buttons](TTrayIcon&, MouseButton b, ShiftState, int, int) {
      text += std::string("down") + buttons[static_cast<int>(b)] + " ";
    };
    icon.OnMouseUp = [this, buttons](TTrayIcon&, MouseButton b, ShiftState, int, int) {
      text += std::string("up") + buttons[static_cast<int>(b)] + " ";
    };
    icon.OnMouseMove = [this](TTrayIcon&, ShiftState, int, int) { text += "move "; };
  }
};

TEST_F(TrayIconTest, NotificationsRaiseTheirEvents) {
  struct Row {
    TrayNotification notification;
    std::uint8_t behaviour;
    bool enabled;
    std::string events;
  } rows[] = {
      {MouseMove, 0, true, "move "},
      {LeftButtonUp, 0, true, "upL "},
      {RightButtonDown, 0, true, "downR "},
      {RightButtonUp, 0, true, "upR "},
      {RightButtonUp, 1, true, ""},
      {ContextMenu, 0, true, ""},
      {ContextMenu, 1, true, "upR "},
      {Select, 1, true, "upR "},
      {MiddleButtonDown, 0, true, "downM "},
      {MiddleButtonUp, 0, true, "upM "},
      {BalloonShow, 0, true, "bshow "},
      {BalloonHide, 0, true, "bhide "},
      {BalloonTimeout, 0, true, "btimeout "},
      {BalloonUserClick, 0, true, "bclick "},
      {RightButtonDown, 0, false, ""},
      {MouseMove, 0, false, ""},
      {BalloonUserClick, 0, false, "bclick "},
  };
  icon.AddToTray();
  for (const Row& row : rows) {
    EventLog log;
    log.Attach(icon);
    icon.OnDblClick = nullptr;
    icon.SetNotifyBehaviour(row.behaviour);
    icon.SetEnabled(row.enabled);
    Notify(row.notification);
    EXPECT_EQ(log.text, row.events) << static_cast<int>(row.notification) << " " << row.enabled;
  }
}

// The click recognition over what Qt really delivers. A StatusNotifierItem
// host's primary click (Activate) arrives as a Trigger and is the double click.
TEST_F(TrayIconTest, ClickAndDoubleClickAreToldApart) {
  using Reason = QSystemTrayIcon::ActivationReason;
  constexpr TrayKind X = TrayKind::XEmbed, Sni = TrayKind::StatusNotifier;
  struct Row {
    bool onClick, onDblClick;
    TrayKind kind;
    std::vector<Reason> delivered;
    int clicks, doubleClicks;
  } rows[] = {
      {false, true, X, {QSystemTrayIcon::Trigger}, 0, 0},
      {false, true, X, {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}, 0, 1},
      {true, true, X, {QSystemTrayIcon::Trigger}, 1, 0},
      {true, true, X, {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick}, 0, 1},
      {true, false, X, {QSystemTrayIcon::Trigger}, 1, 0},
      {true, false, X, {QSystemTrayIcon::Trigger, QSystemTrayIcon::Trigger}, 2, 0},
      {false, true, Sni, {QSystemTrayIcon::Trigger}, 0, 1},
      {true, true, Sni, {QSystemTrayIcon::Trigger}, 0, 1},
      {false, true, Sni, {QSystemTrayIcon::Trigger, QSystemTrayIcon::Trigger}, 0, 2},
  };
  icon.AddToTray();
  for (const Row& row : rows) {
    int clicks = 0, doubleClicks = 0;
    icon.OnClick = row.onClick ? TTrayIcon::NotifyEvent([&](TTrayIcon&) { ++clicks; }) : nullptr;
    icon.OnDblClick =
        row.onDblClick ? TTrayIcon::NotifyEvent([&](TTrayIcon&) { ++doubleClicks; }) : nullptr;
    for (const Reason reason : row.delivered)
      for (const TrayNotification n : TranslateActivation(reason, row.kind)) Notify(n);
    RunFor(4 * input.DoubleClickTime());  // the click timer has spoken by then
    EXPECT_EQ(clicks, row.clicks) << row.onClick << row.onDblClick << row.delivered.size()
                                  << static_cast<int>(row.kind);
    EXPECT_EQ(doubleClicks, row.doubleClicks) << row.onClick << row.onDblClick;
  }
}

TEST_F(TrayIconTest, RightPressOpensTheMenuAtTheCursorBeforeTheRelease) {
  QMenu menu;
  icon.SetPopupMenu(&menu);
  icon.AddToTray();
  std::string order;
  icon.OnMouseDown = [&](TTrayIcon&, MouseButton, ShiftState, int, int) { order += "down "; };
  icon.OnMouseUp = [&](TTrayIcon&, MouseButton, ShiftState, int, int) {
    order += "up(menus " + std::to_string(input.menus.size()) + ")";
  };
  for (const TrayNotification n : TranslateActivation(QSystemTrayIcon::Context, TrayKind::XEmbed))
    Notify(n);
  EXPECT_EQ(order, "down up(menus 1)");
  EXPECT_EQ(input.menuAt, *input.cursor);

  input.cursor.reset();  // no readable cursor, no menu
  Notify(RightButtonDown);
  EXPECT_EQ(input.menus.size(), 1u);
}

TEST_F(TrayIconTest, MinimisingHidesTheWindowToTheTray) {
  struct Row {
    bool minimizeToTray, handler, terminating;
    int events;
    bool visible;
  } rows[] = {
      {true, true, false, 1, false},
      {true, false, false, 0, false},
      {false, true, false, 0, true},
      {true, true, true, 0, true},
  };
  for (const Row& row : rows) {
    owner.Show();
    owner.terminating = row.terminating;
    icon.SetIconVisible(true);
    icon.SetMinimizeToTray(row.minimizeToTray);
    int events = 0;
    icon.OnMinimizeToTray =
        row.handler ? TTrayIcon::NotifyEvent([&](TTrayIcon&) { ++events; }) : nullptr;
    owner.hooks.minimized();
    EXPECT_EQ(events, row.events);
    EXPECT_EQ(owner.visible, row.visible);
    EXPECT_EQ(owner.taskbarEntry, row.visible);
    EXPECT_TRUE(area.present.contains(area.Last().record.id));  // the icon stays
    EXPECT_TRUE(icon.IconVisible());
  }
}

TEST_F(TrayIconTest, WithoutATrayMinimisingIsAnOrdinaryMinimise) {
  area.trayUp = false;  // no way back from a hidden window
  owner.Show();
  icon.SetMinimizeToTray(true);
  int events = 0;
  icon.OnMinimizeToTray = [&](TTrayIcon&) { ++events; };
  owner.hooks.minimized();
  EXPECT_EQ(events, 0);
  EXPECT_TRUE(owner.visible);
  EXPECT_TRUE(owner.taskbarEntry);
}

TEST_F(TrayIconTest, IconComesBackWhenTheTrayIsCreatedAgain) {
  icon.SetHint("Halvoric");
  icon.SetIconVisible(true);
  area.Restart();
  TTrayIconHandler::TaskbarCreated();
  EXPECT_EQ(area.Last().op, "add");
  EXPECT_EQ(area.Last().record.Tip(), "Halvoric");
  EXPECT_EQ(area.present.size(), 1u);

  icon.SetIconVisible(false);
  area.requests.clear();
  TTrayIconHandler::TaskbarCreated();
  EXPECT_TRUE(area.requests.empty());  // not meant to be there
}

TEST_F(TrayIconTest, IconIsAddedOnceATrayAppearsAfterTheStart) {
  area.trayUp = false;
  EXPECT_FALSE(icon.AddToTray());
  EXPECT_TRUE(icon.IconVisible());
  area.trayUp = true;
  TTrayIconHandler::TaskbarCreated();
  EXPECT_EQ(area.present.size(), 1u);
}

TEST_F(TrayIconTest, CyclingStepsThroughTheListAndWraps) {
  const std::vector<QIcon> images = {Filled(Qt::red), Filled(Qt::green), Filled(Qt::blue)};
  std::vector<int> steps;
  icon.OnCycle = [&](TTrayIcon&, int next) { steps.push_back(next); };
  icon.SetIconList(images);
  icon.SetCycleIcons(true);  // interval 0: no cycling yet
  RunFor(60);
  EXPECT_TRUE(steps.empty());
  icon.SetCycleInterval(10);
  EXPECT_TRUE(RunUntil([&] { return steps.size() >= 4; }));
  icon.SetCycleIcons(false);
  EXPECT_EQ(std::vector<int>(steps.begin(), steps.begin() + 4), (std::vector<int>{1, 2, 0, 1}));
}

TEST_F(TrayIconTest, EnterAndExitFollowTheCursor) {
  EventLog log;
  log.Attach(icon);
  icon.OnMouseMove = nullptr;
  icon.AddToTray();
  icon.SetWantEnterExitEvents(true);
  Notify(MouseMove);
  Notify(MouseMove);
  RunFor(60);  // the cursor stays where the last move was
  EXPECT_EQ(log.text, "enter ");
  input.cursor = QPoint(1, 1);
  EXPECT_TRUE(RunUntil([&] { return log.text == "enter exit "; }));
  Notify(MouseMove);
  EXPECT_EQ(log.text, "enter exit enter ");
}

TEST(TrayIconHandler, LivesFromTheFirstIconToTheLastAndFindsEachIcon) {
  FakeArea area;
  FakeInput input;
  EXPECT_FALSE(TTrayIconHandler::Exists());
  auto first = std::make_unique<TTrayIcon>(TrayServices{area, input}, nullptr);
  first->AddToTray();
  const NotifyIconRecord firstRecord = area.Last().record;
  auto second = std::make_unique<TTrayIcon>(TrayServices{area, input}, nullptr);
  second->AddToTray();
  const NotifyIconRecord secondRecord = area.Last().record;
  EXPECT_NE(firstRecord.id, secondRecord.id);
  EXPECT_EQ(firstRecord.window, secondRecord.window);

  int firstClicks = 0, secondClicks = 0;
  first->OnClick = [&](TTrayIcon&) { ++firstClicks; };
  second->OnClick = [&](TTrayIcon&) { ++secondClicks; };
  secondRecord.window->Notify(secondRecord.id, LeftButtonDown);
  secondRecord.window->Notify(secondRecord.id, LeftButtonUp);
  EXPECT_EQ(firstClicks, 0);
  EXPECT_EQ(secondClicks, 1);

  first.reset();
  EXPECT_TRUE(TTrayIconHandler::Exists());
  secondRecord.window->Notify(firstRecord.id, LeftButtonUp);  // a late word for a gone icon
  EXPECT_EQ(area.Last().op, "delete");
  second.reset();
  EXPECT_FALSE(TTrayIconHandler::Exists());
  TTrayIcon again({area, input}, nullptr);
  EXPECT_TRUE(TTrayIconHandler::Exists());
}

}  // namespace
}  // namespace halvoric
