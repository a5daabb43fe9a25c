// SPDX-License-Identifier: GPL-3.0-or-later
// The watches hand the history what they read, and nothing they did not:
// a sleeping drive's night is kept as standby, not read.
#include <gtest/gtest.h>

#include "monitor/history_recorder.h"
#include "monitor/history_store.h"
#include "tests/base/temp_files.h"
#include "tests/monitor/monitor_fakes.h"
#include "tests/services/service_fakes.h"

namespace halvoric::testing {
namespace {

constexpr int kHour = 3600;

// Drive 0 sleeps from 1 h to 3 h; drive 1 reallocates sectors at 20 min.
constexpr const char* kDrives =
    "[drive 0]\nmodel = Sleeper\nserial = S0\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 194 value=60 worst=50 raw=0\ntemperature = 0:35 1800:37\n"
    "power = standby from 3600 to 10800\n"
    "[drive 1]\nmodel = Wearing\nserial = S1\n"
    "attribute = 5 value=100 worst=100 threshold=36 raw=0\n"
    "attribute = 194 value=60 worst=50 raw=0\ntemperature = 38\n"
    "attribute-change = 5 at 1200 raw=8\n";

TEST(HistoryOfTheWatches, KeepsTemperaturesStandbyAndCountsAsTheWatchesReadThem) {
  TempDir dir;
  double now = 0;
  sim::SimulatedDisks disks(ScenarioOrFail(kDrives), [&now] { return now; });
  DriveReader drives(disks);
  WatchRig rig;
  rig.Window.Watched = {0, 1};
  rig.Values.CritTempValue = 60;
  rig.Values.HealthMinutes = 10;
  FakeMailer mail;
  ImmediateMailQueue queue(mail);
  FakeWallClock calendar;
  const WallClock::TimePoint start = calendar.Time;
  HistoryRecorder history(rig.Journal, calendar, dir.File(HistoryFileName));
  TemperatureWatch watch = rig.Watch(drives, queue, mail, &history);
  HealthWatch health = rig.Health(drives, queue, dir.File("drive-health.txt"), &history);
  for (int second = 0; second < 4 * kHour; second += 30) {
    now = second;
    calendar.Time = start + std::chrono::seconds(second);
    watch.Check();
    if (second % 600 == 0) health.Check();
  }

  Result<HistoryStore> store = HistoryStore::Open(dir.File(HistoryFileName));
  ASSERT_TRUE(store.Ok()) << store.Message;
  Result<std::vector<HistoryDrive>> known = store->Drives();
  ASSERT_TRUE(known.Ok());
  ASSERT_EQ(known->size(), 2u);
  EXPECT_EQ((*known)[0].Serial.substr(0, 2), "S0");
  EXPECT_EQ((*known)[0].Model.substr(0, 7), "Sleeper");

  const std::int64_t t0 =
      std::chrono::duration_cast<std::chrono::seconds>(start.time_since_epoch()).count();
  Result<std::vector<HistoryReading>> sleeper = store->Readings((*known)[0].Serial);
  ASSERT_TRUE(sleeper.Ok());
  ASSERT_EQ(sleeper->size(), 4u * 120);
  struct Row {
    int second;
    std::optional<int> temperature;
    PowerMode power;
  };
  const std::vector<Row> rows = {
      {0, 35, PowerMode::Active},
      {1770, 35, PowerMode::Active},
      {1800, 37, PowerMode::Active},
      {3570, 37, PowerMode::Active},
      {3600, std::nullopt, PowerMode::Standby},
      {10770, std::nullopt, PowerMode::Standby},
      {10800, 37, PowerMode::Active},
  };
  for (const Row& row : rows) {
    const HistoryReading& kept = (*sleeper)[static_cast<std::size_t>(row.second / 30)];
    EXPECT_EQ(kept.Time, t0 + row.second);
    EXPECT_EQ(kept.Temperature, row.temperature) << row.second;
    EXPECT_EQ(kept.Power, row.power) << row.second;
  }

  // The health watch's counts, at its checks only.
  Result<std::vector<HistoryReading>> wearing = store->Readings((*known)[1].Serial);
  ASSERT_TRUE(wearing.Ok());
  std::vector<std::pair<std::int64_t, std::int64_t>> reallocated;
  for (const HistoryReading& kept : *wearing) {
    if (kept.Counts[0]) reallocated.emplace_back(kept.Time - t0, *kept.Counts[0]);
  }
  ASSERT_EQ(reallocated.size(), 4u * 6);
  EXPECT_EQ(reallocated[1], std::make_pair(std::int64_t{600}, std::int64_t{0}));
  EXPECT_EQ(reallocated[2], std::make_pair(std::int64_t{1200}, std::int64_t{8}));
  for (const std::string& line : rig.Journal.Lines) {
    EXPECT_EQ(line.find("history"), std::string::npos) << line;
  }
}

// With the temperature warning off the health watch alone keeps the
// history going: a temperature or a standby at each of its checks.
TEST(HistoryOfTheWatches, TheHealthWatchAloneKeepsTemperatureAndStandby) {
  TempDir dir;
  double now = 0;
  sim::SimulatedDisks disks(ScenarioOrFail(kDrives), [&now] { return now; });
  DriveReader drives(disks);
  WatchRig rig;
  rig.Window.Watched = {0};
  FakeMailer mail;
  ImmediateMailQueue queue(mail);
  FakeWallClock calendar;
  HistoryRecorder history(rig.Journal, calendar, dir.File(HistoryFileName));
  HealthWatch health = rig.Health(drives, queue, dir.File("drive-health.txt"), &history);
  for (; now < 4 * kHour; now += 1800, calendar.Time += std::chrono::seconds(1800)) health.Check();
  Result<HistoryStore> store = HistoryStore::Open(dir.File(HistoryFileName));
  ASSERT_TRUE(store.Ok()) << store.Message;
  Result<std::vector<HistoryDrive>> known = store->Drives();
  ASSERT_TRUE(known.Ok() && known->size() == 1u);
  const Result<std::vector<HistoryReading>> readings = store->Readings((*known)[0].Serial);
  ASSERT_TRUE(readings.Ok());
  std::string kept;
  for (const HistoryReading& r : *readings) {
    kept += r.Power == PowerMode::Standby ? "standby "
                                          : std::to_string(r.Temperature.value_or(0)) + " ";
  }
  EXPECT_EQ(kept, "35 37 standby standby standby standby 37 37 ");
}

TEST(HistoryOfTheWatches, TheTrayReportKeepsWhatItReadAndAStandbyUnderTheLastSerial) {
  TempDir dir;
  double now = 0;
  sim::SimulatedDisks disks(ScenarioOrFail(kDrives), [&now] { return now; });
  DriveReader drives(disks);
  FakeWindow window;
  window.Listed = {0, 1};
  Settings settings;
  settings.DiskStatus = true;
  LastReadings last;
  RecordingJournal journal;
  FakeWallClock calendar;
  HistoryRecorder history(journal, calendar, dir.File(HistoryFileName));
  TrayStatusReport report(window, settings, drives, last, &history);
  for (const int second : {0, 3600}) {
    now = second;
    calendar.Time = FakeWallClock().Time + std::chrono::seconds(second);
    report.WindowHidden(2);
  }

  Result<HistoryStore> store = HistoryStore::Open(dir.File(HistoryFileName));
  ASSERT_TRUE(store.Ok()) << store.Message;
  Result<std::vector<HistoryDrive>> known = store->Drives();
  ASSERT_TRUE(known.Ok());
  ASSERT_EQ(known->size(), 2u);
  struct Expected {
    std::size_t drive;
    std::vector<std::optional<int>> temperatures;
    std::vector<PowerMode> powers;
  };
  for (const Expected& e :
       {Expected{0, {35, std::nullopt}, {PowerMode::Active, PowerMode::Standby}},
        Expected{1, {38, 38}, {PowerMode::Active, PowerMode::Active}}}) {
    Result<std::vector<HistoryReading>> kept = store->Readings((*known)[e.drive].Serial);
    ASSERT_TRUE(kept.Ok());
    ASSERT_EQ(kept->size(), 2u) << e.drive;
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ((*kept)[i].Temperature, e.temperatures[i]) << e.drive << " " << i;
      EXPECT_EQ((*kept)[i].Power, e.powers[i]) << e.drive << " " << i;
    }
  }
  EXPECT_TRUE(journal.Lines.empty());
}

}  // namespace
}  // namespace halvoric::testing
