// SPDX-License-Identifier: GPL-3.0-or-later
// The health watch: at start and then every HealthMinutes, each watched
// drive's attributes are compared with its last reading. An attribute that
// newly reads BAD, a count of damaged sectors that appears or rises, or the
// drive saying it is failing, is journalled and raises the alerts the user
// switched on, once per change; so does a drive that reads BAD or WARN the
// first time the watch sees it, a failed self-test new in its log, and a
// rise of its error log's count.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drive/health_reading.h"
#include "monitor/alert_channels.h"
#include "monitor/health_record.h"
#include "monitor/history_recorder.h"
#include "monitor/scheduled_check.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

class SelfTestWatch;

class HealthView {
 public:
  virtual ~HealthView() = default;
  // The drives whose rows are ticked in the drive list, in list order.
  virtual std::vector<DriveNumber> WatchedDrives() const = 0;
  // The timer of the checks every `minutes`, which tells the watch when to
  // schedule them (ScheduleChecks, CancelChecks).
  virtual void StartHealthTimer(std::uint32_t minutes) = 0;
  virtual void StopHealthTimer() = 0;
};

struct HealthServices {
  DriveQueue& Drives;
  AlertChannels& Alerts;
  // Where the counts of each reading are kept for the history; none keeps none.
  ReadingLog* History = nullptr;
  // Told what each reading says of a running self-test, and of each tick.
  SelfTestWatch* SelfTests = nullptr;
};

class HealthWatch {
 public:
  // `recordPath` is the file the last readings are kept in.
  HealthWatch(HealthView& view, const Settings& settings, JournalLines& journal,
              HealthServices services, std::string recordPath)
      : view_(view),
        settings_(settings),
        journal_(journal),
        services_(services),
        recordPath_(std::move(recordPath)) {}

  // The first check, then one every HealthMinutes; nothing with HealthWarn off.
  void Start();
  void Check();
  // The health timer's clock (monitor/scheduled_check.h): the watched
  // drives are read `every` from now on, and judged as Check() judges them.
  void ScheduleChecks(std::chrono::milliseconds every);
  // The health timer stopped: no scheduled check comes.
  void CancelChecks() { scheduled_.Cancel(); }
  // Rows were ticked or unticked: the scheduled check reads the drives
  // ticked now, at the time it had.
  void WatchedDrivesChanged() { scheduled_.WatchedChanged(CheckPlan()); }

  // Logs read elsewhere (a self-test's end): compared and alerted as the
  // watch's own; nothing with HealthWarn off or while a popup waits, as
  // the next check reads them again.
  void TakeLogs(DriveNumber n, const DriveLogs& logs);
  // The local hour a scheduled self-test last started in on the drive of
  // `serial`, kept in the record so that a restart does not repeat it.
  std::optional<std::int64_t> ScheduledHour(const std::string& serial);
  void KeepScheduledStart(const std::string& serial, std::int64_t hour);

 private:
  // The journal lines for what changed since `before`; none for a first
  // reading.
  std::vector<std::string> Changes(DriveNumber n, const HealthReading& now,
                                   const HealthRecord* before) const;
  // A check's start: whether it goes ahead.
  bool Begin();
  ScheduledCheck::Plan CheckPlan();
  ScheduledCheck::Reads ScheduledReads(const std::vector<DriveNumber>& drives);
  // Reads `drives` into `readings` on the drives' thread.
  static DriveQueue::Work ReadWork(std::vector<DriveNumber> drives,
                                   std::shared_ptr<std::vector<HealthCheck>> readings);
  // Judges the readings of `drives`, taken away from the window.
  void Compare(const std::vector<DriveNumber>& drives, const std::vector<HealthCheck>& readings);
  void Alert(const std::vector<std::string>& lines);
  HealthRecords& Records();
  // Saves the record, then journals `changes`, raising the alert for them,
  // and `notes`. `endsCheck` when a check's own.
  void Keep(std::vector<std::string> changes, std::vector<std::string> notes, bool endsCheck);

  HealthView& view_;
  const Settings& settings_;
  JournalLines& journal_;
  HealthServices services_;
  std::string recordPath_;
  bool alertWaiting_ = false;
  bool checking_ = false;
  bool saveFailureJournalled_ = false;
  // Read from the file at the first check; this object keeps it after.
  std::optional<HealthRecords> records_;
  ScheduledCheck scheduled_{services_.Drives};
  std::chrono::milliseconds every_{0};
};

}  // namespace halvoric
