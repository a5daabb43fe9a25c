// SPDX-License-Identifier: GPL-3.0-or-later
// The self-tests of the ticked drives, on the watches' ticks: no timer of
// its own, so an idle program wakes no more often for it. At the first
// tick of each local hour the schedule's test starts on each awake drive
// that runs it and runs none, once per drive and hour, across restarts
// too. While a test runs, its progress is read at most once a minute into
// the drive's row and the balloon; its end is journalled with its result,
// and the log it left goes to the health watch's alerts.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/drive_logs.h"
#include "monitor/health_watch.h"
#include "monitor/last_readings.h"
#include "monitor/self_test_schedule.h"
#include "monitor/temperature_watch.h"
#include "services/clock.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

struct SelfTestServices {
  DriveQueue& Drives;
  LastReadings& Last;
  // Keeps each scheduled start and raises the alerts of the logs.
  HealthWatch& Health;
  const Clock& Time;          // for the minute between two reads of a test's progress
  const WallClock& Calendar;  // for the local hour the schedule names
};

class SelfTestWatch {
 public:
  SelfTestWatch(WatchView& view, const Settings& settings, JournalLines& journal,
                SelfTestServices services)
      : view_(view), settings_(settings), journal_(journal), services_(services) {}

  // Reads the schedule: one that is no valid expression is journalled
  // once and starts nothing.
  void Start();
  // A watch's tick.
  void Tick();
  // A test started, or aborted, by the user on drive `n`.
  void Started(DriveNumber n, SelfTestAction action);
  // What a reading that included SMART READ DATA said of drive `n`'s test.
  void Learn(DriveNumber n, const SelfTestState& state);

  // Progress is read no more often than this.
  static constexpr std::chrono::minutes kPollInterval{1};

 private:
  struct Running {
    std::string Kind;
    // None: read it at the next tick.
    std::optional<Clock::TimePoint> Read;
  };
  // What a scheduled start found on one drive.
  struct Found {
    DriveNumber Drive = 0;
    bool Asleep = false;
    DriveLogs Logs;
  };
  struct Polled {
    DriveNumber Drive = 0;
    SelfTestPoll Poll;
    std::optional<DriveLogs> Logs;  // read once the test has ended
  };

  void StartDue(const LocalHour& hour, const std::vector<SelfTestAction>& due);
  void Decide(const LocalHour& hour, const std::vector<SelfTestAction>& due,
              const std::vector<Found>& found);
  void PollRunning();
  void Ended(DriveNumber n, const SelfTestState& state, const DriveLogs& logs);
  void Show(DriveNumber n, std::optional<SelfTestProgress> progress);
  // "SELF-TEST of drive 0 (Spinner, serial SN-1): "
  std::string Prefix(DriveNumber n, const std::string& model, const std::string& serial) const;

  WatchView& view_;
  const Settings& settings_;
  JournalLines& journal_;
  SelfTestServices services_;
  SelfTestSchedule schedule_;
  std::optional<std::int64_t> hourChecked_;
  std::map<DriveNumber, Running> running_;
};

}  // namespace halvoric
