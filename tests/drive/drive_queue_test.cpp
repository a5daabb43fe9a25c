// SPDX-License-Identifier: GPL-3.0-or-later
// Series away from the caller's thread, and the deadline that ends a series
// of a drive that does not answer.
#include "drive/drive_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "drive/drive_reader.h"
#include "drive/series_deadline.h"
#include "recording_sinks.h"

namespace halvoric {
namespace {

using namespace std::chrono_literals;

// Each request takes the time the test gives the drive.
class SlowDisks final : public DiskControl {
 public:
  OpenResult Open(const std::string&) override { return nextHandle_++; }
  bool Control(DeviceHandle, std::uint32_t, const void*, std::size_t, void*, std::size_t) override {
    std::this_thread::sleep_for(requestTime);
    ++requests;
    return true;
  }
  void Close(DeviceHandle) override {}

  bool AnswersFromNvme(DeviceHandle) const override { return nvme; }
  TemperatureLimits KernelLimits(unsigned n) const override { return {.Critical = 60 + int(n)}; }

  std::chrono::milliseconds requestTime{0};
  std::atomic<int> requests = 0;
  bool nvme = false;

 private:
  DeviceHandle nextHandle_ = 1;
};

struct Ended {
  DriveNumber Drive;
  bool Overran;
};

// The window reads every drive through the deadline: what the backend says
// of a drive's tables and limits must come through it.
TEST(SeriesDeadline, PassesTheTableSourceAndTheLimitsOn) {
  SlowDisks disks;
  SeriesDeadline timed(disks, 40ms, [](DriveNumber, bool) {});
  DriveReader reader(timed);
  DriveSummary summary;
  reader.GetDriveSummary(2, summary);
  EXPECT_EQ(summary.Limits.Critical, 62);
  disks.nvme = true;
  const OpenResult opened = timed.Open(DevicePath(0));
  ASSERT_TRUE(opened.Ok());
  EXPECT_TRUE(timed.AnswersFromNvme(*opened));
  timed.Close(*opened);
}

TEST(SeriesDeadline, CutsASeriesShortOnceItRunsPastItsDeadline) {
  const struct {
    std::chrono::milliseconds requestTime;
    int requests;         // of the series of three
    int reachedTheDrive;  // how many of them got through
    bool answered;        // the first request's outcome
    bool overran;
  } cases[] = {
      {0ms, 3, 3, true, false},
      // The request under way still counts; the rest never reach the drive.
      {60ms, 3, 1, true, true},
  };
  for (const auto& c : cases) {
    SlowDisks disks;
    disks.requestTime = c.requestTime;
    std::vector<Ended> ended;
    SeriesDeadline timed(disks, 40ms, [&](DriveNumber n, bool overran) {
      ended.push_back({n, overran});
    });
    const OpenResult opened = timed.Open(DevicePath(2));
    ASSERT_TRUE(opened.Ok());
    std::uint8_t out = 0;
    const bool first = timed.Control(*opened, 1, nullptr, 0, &out, 1);
    for (int i = 1; i < c.requests; ++i) timed.Control(*opened, 1, nullptr, 0, &out, 1);
    timed.Close(*opened);
    EXPECT_EQ(first, c.answered);
    EXPECT_EQ(disks.requests, c.reachedTheDrive);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].Drive, 2u);
    EXPECT_EQ(ended[0].Overran, c.overran);
  }
}

TEST(SeriesDeadline, EachSeriesHasADeadlineOfItsOwn) {
  SlowDisks disks;
  disks.requestTime = 30ms;
  std::vector<Ended> ended;
  SeriesDeadline timed(disks, 50ms, [&](DriveNumber n, bool overran) {
    ended.push_back({n, overran});
  });
  std::uint8_t out = 0;
  for (int series = 0; series < 2; ++series) {
    const OpenResult opened = timed.Open(DevicePath(0));
    EXPECT_TRUE(timed.Control(*opened, 1, nullptr, 0, &out, 1));
    timed.Close(*opened);
  }
  ASSERT_EQ(ended.size(), 2u);
  EXPECT_FALSE(ended[0].Overran);
  EXPECT_FALSE(ended[1].Overran);
}

TEST(SeriesDeadline, ADriveThatMissedItsDeadlineRestsAndAClosingProgramWaitsForNone) {
  SlowDisks disks;
  disks.requestTime = 30ms;
  std::vector<Ended> ended;
  // Rests twice the deadline: 40 ms.
  SeriesDeadline timed(disks, 20ms, [&](DriveNumber n, bool overran) {
    ended.push_back({n, overran});
  });
  std::uint8_t out = 0;
  const auto series = [&](DriveNumber n) {
    const OpenResult opened = timed.Open(DevicePath(n));
    if (!opened.Ok()) return false;
    const bool answered = timed.Control(*opened, 1, nullptr, 0, &out, 1);
    timed.Close(*opened);
    return answered;
  };
  EXPECT_TRUE(series(0));  // late, but the answer counts
  const int reached = disks.requests;
  // Resting: the drive does not open, and nothing reaches it.
  EXPECT_FALSE(timed.Open(DevicePath(0)).Ok());
  EXPECT_FALSE(series(0));
  EXPECT_EQ(disks.requests, reached);
  disks.requestTime = 0ms;
  EXPECT_TRUE(series(1)) << "other drives do not rest";
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(series(0)) << "rested";
  timed.Cancel();
  EXPECT_FALSE(series(1));
  EXPECT_EQ(disks.requests, reached + 2);
  const std::vector<bool> overran = {true, true, true, false, false, true};
  ASSERT_EQ(ended.size(), overran.size());
  for (std::size_t i = 0; i < ended.size(); ++i) EXPECT_EQ(ended[i].Overran, overran[i]) << i;
}

// A resting drive reads as one that cannot be opened: not there for the
// scan, and both detail pages left as they were.
TEST(SeriesDeadline, ARestingDriveLeavesTheDetailPagesAsTheyWere) {
  SlowDisks disks;
  disks.requestTime = 30ms;
  SeriesDeadline timed(disks, 20ms, [](DriveNumber, bool) {});
  DriveReader reader(timed);
  test::RecordingSinks shown;
  reader.ReadDriveDetails(0, shown, shown);  // late: the drive rests
  shown.AppendDiskInfoRow({"old", "row"});
  shown.AppendSmartInfoRow({"01", "old", "0", "0", "0", "0", Status::Ok, ""});
  const auto diskInfo = shown.DiskInfoCaptions();
  const std::size_t smartInfo = shown.smartInfo.size();
  const int reached = disks.requests;
  EXPECT_FALSE(reader.DriveExists(0));
  reader.ReadDriveDetails(0, shown, shown);
  EXPECT_EQ(shown.DiskInfoCaptions(), diskInfo);
  EXPECT_EQ(shown.smartInfo.size(), smartInfo);
  EXPECT_EQ(disks.requests, reached);
}

// Tasks the line hands back, run when the test says, on the test's thread.
class Mailbox {
 public:
  void Post(std::function<void()> task) {
    const std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // Runs what has arrived until `count` tasks ran or 300 ms went by.
  int RunUntil(int count) {
    int ran = 0;
    const auto due = std::chrono::steady_clock::now() + 300ms;
    while (ran < count && std::chrono::steady_clock::now() < due) {
      std::function<void()> task;
      {
        const std::lock_guard lock(mutex_);
        if (!tasks_.empty()) {
          task = std::move(tasks_.front());
          tasks_.pop_front();
        }
      }
      if (task) {
        task();
        ++ran;
      } else {
        std::this_thread::sleep_for(1ms);
      }
    }
    return ran;
  }

 private:
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

TEST(DriveThread, RunsWorkInOrderAwayAndHandsEachResultBack) {
  SlowDisks disks;
  DriveReader reader(disks);
  Mailbox mailbox;
  DriveThread line(reader, [&](std::function<void()> task) { mailbox.Post(std::move(task)); });
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<int> order;
  std::vector<bool> away;
  for (int i = 0; i < 3; ++i) {
    auto wasAway = std::make_shared<bool>(false);
    line.Run([caller, wasAway](DriveReader&) { *wasAway = std::this_thread::get_id() != caller; },
             [&, i, wasAway] {
               order.push_back(i);
               away.push_back(*wasAway);
             });
  }
  int waited = 0;
  line.RunAndWait([&](DriveReader&) { ++waited; });
  EXPECT_EQ(waited, 1);
  EXPECT_EQ(mailbox.RunUntil(3), 3);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(away, (std::vector<bool>{true, true, true}));
}

TEST(DriveThread, StopDropsWaitingWorkAndHandsNothingBackAfter) {
  SlowDisks disks;
  disks.requestTime = 50ms;
  DriveReader reader(disks);
  Mailbox mailbox;
  DriveThread line(reader, [&](std::function<void()> task) { mailbox.Post(std::move(task)); });
  int done = 0;
  for (int i = 0; i < 5; ++i) {
    line.Run([](DriveReader& r) { r.CheckPowerMode(0); }, [&] { ++done; });
  }
  std::this_thread::sleep_for(20ms);
  line.Stop();
  // The series under way ended; the four behind it never began.
  EXPECT_LE(disks.requests, 1);
  mailbox.RunUntil(5);
  EXPECT_EQ(done, 0);
  line.Run([](DriveReader&) {}, [&] { ++done; });
  mailbox.RunUntil(1);
  EXPECT_EQ(done, 0);
  // A wait for work that will never run must not hang.
  bool ran = false;
  line.RunAndWait([&](DriveReader&) { ran = true; });
  EXPECT_FALSE(ran);
}

// A timer kept on the drives' thread: each timer's work runs once its time
// has come, after the work given at once; a later one takes its place, a
// cancelled or stopped one never runs.
TEST(DriveThread, WorkPutOffRunsAtItsTimeUnlessReplacedOrCancelled) {
  SlowDisks disks;
  DriveReader reader(disks);
  Mailbox mailbox;
  DriveThread line(reader, [&](std::function<void()> task) { mailbox.Post(std::move(task)); });
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> done;
  std::vector<std::chrono::steady_clock::duration> after;  // the start, when each was done
  const auto given = [&](std::string name) {
    return [&, name] {
      done.push_back(name);
      after.push_back(std::chrono::steady_clock::now() - start);
    };
  };
  const auto nothing = [](DriveReader&) {};
  const int first = 0, second = 0, cancelled = 0;
  line.RunAt(&first, start + 60ms, nothing, given("replaced"));
  line.RunAt(&first, start + 40ms, nothing, given("first"));
  line.RunAt(&second, start + 20ms, nothing, given("second"));
  line.RunAt(&cancelled, start + 10ms, nothing, given("cancelled"));
  line.Cancel(&cancelled);
  line.Run(nothing, given("at once"));
  EXPECT_EQ(mailbox.RunUntil(3), 3);
  EXPECT_EQ(mailbox.RunUntil(1), 0);
  ASSERT_EQ(done, (std::vector<std::string>{"at once", "second", "first"}));
  EXPECT_GE(after[1], 20ms);
  EXPECT_GE(after[2], 40ms);
  line.RunAt(&first, std::chrono::steady_clock::now() + 10ms, nothing, given("stopped"));
  line.Stop();
  EXPECT_EQ(mailbox.RunUntil(1), 0);
}

// The history's writer: what was given before the end is written, since a
// reading already taken must not be lost at exit.
TEST(WorkThread, AnEndThatRunsTheWaitingWorkRunsAllOfItAndHandsNothingBack) {
  Mailbox mailbox;
  WorkThread writer([&](std::function<void()> task) { mailbox.Post(std::move(task)); });
  std::atomic<int> written = 0;
  int done = 0;
  for (int i = 0; i < 5; ++i) {
    writer.Run(
        [&] {
          std::this_thread::sleep_for(10ms);
          ++written;
          return true;
        },
        [&] { ++done; });
  }
  writer.End(WorkThread::Waiting::Run);
  EXPECT_EQ(written, 5);
  writer.Run([&] { return ++written > 0; }, nullptr);
  EXPECT_EQ(written, 5);
  mailbox.RunUntil(5);
  EXPECT_EQ(done, 0);
}

}  // namespace
}  // namespace halvoric
