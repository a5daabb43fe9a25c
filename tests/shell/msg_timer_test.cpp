// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/msg_timer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

#include "tests/shell/event_wait.h"

namespace halvoric {
namespace {

using testing::RunUntil;

TEST(MsgTimer, StartsStopsAndPausesByItsSetters) {
  TMsgTimer timer;
  EXPECT_EQ(timer.Interval(), 1000);
  EXPECT_FALSE(timer.Enabled());

  timer.SetInterval(0);
  timer.SetEnabled(true);  // nothing to run with a zero period
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.SystemTimer(), 0);

  timer.SetInterval(500);
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  const int first = timer.SystemTimer();  // Qt reuses the numbers of ended timers
  EXPECT_NE(first, 0);

  timer.SetInterval(500);  // same period: the running timer is kept
  EXPECT_EQ(timer.SystemTimer(), first);

  timer.SetInterval(0);  // paused: still marked enabled
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.SystemTimer(), 0);
  timer.SetInterval(250);  // resumes without being enabled again
  EXPECT_TRUE(timer.Enabled());
  EXPECT_NE(timer.SystemTimer(), 0);

  timer.SetOnTimer(nullptr);  // no handler: paused
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.SystemTimer(), 0);

  EXPECT_FALSE(timer.Stop(true));  // nothing left to stop
  EXPECT_FALSE(timer.Enabled());
}

TEST(MsgTimer, TicksReachTheRightTimerAndOneShotStopsFirst) {
  int ticksA = 0, ticksB = 0;
  TMsgTimer a(10, [&](TMsgTimer& sender) {
    EXPECT_EQ(&sender, &a);
    ++ticksA;
  });
  TMsgTimer b(10, [&](TMsgTimer& sender) {
    EXPECT_FALSE(sender.Enabled());  // a one-shot is stopped before its handler
    ++ticksB;
  });
  b.SetOneShot(true);
  a.SetEnabled(true);
  b.SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return ticksA >= 3 && ticksB >= 1; }));
  EXPECT_EQ(ticksB, 1);
  EXPECT_FALSE(b.Enabled());
}

TEST(MsgTimer, EnablingARunningTimerRestartsItsPeriod) {
  QElapsedTimer sinceRestart;
  qint64 tickedAfter = -1;
  TMsgTimer timer(400, [&](TMsgTimer&) {
    if (tickedAfter < 0) tickedAfter = sinceRestart.elapsed();
  });
  timer.SetEnabled(true);
  QElapsedTimer waited;
  waited.start();
  RunUntil([&] { return waited.elapsed() >= 200; });
  if (tickedAfter >= 0) GTEST_SKIP() << "the machine was too busy to tell";
  sinceRestart.start();
  timer.SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return tickedAfter >= 0; }));
  EXPECT_GE(tickedAfter, 395);  // a full period from the restart, not 200 ms
}

TEST(MsgTimer, HandlerMayDisableItsOwnTimer) {
  int ticks = 0;
  TMsgTimer click(10, [&](TMsgTimer& sender) {
    ++ticks;
    sender.SetEnabled(false);
  });
  click.SetEnabled(true);
  EXPECT_TRUE(RunUntil([&] { return ticks == 1; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(click.Enabled());
}

TEST(MsgTimer, SharedReceiverLivesFromTheFirstTimerToTheLast) {
  EXPECT_FALSE(TMsgTimer::ReceiverExists());
  auto first = std::make_unique<TMsgTimer>();
  auto second = std::make_unique<TMsgTimer>(20, [](TMsgTimer&) {});
  second->SetEnabled(true);
  EXPECT_TRUE(TMsgTimer::ReceiverExists());
  first.reset();
  EXPECT_TRUE(TMsgTimer::ReceiverExists());
  second.reset();
  EXPECT_FALSE(TMsgTimer::ReceiverExists());
  TMsgTimer again;
  EXPECT_TRUE(TMsgTimer::ReceiverExists());
}

}  // namespace
}  // namespace halvoric

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
