// SPDX-License-Identifier: GPL-3.0-or-later
// Every 30 seconds while the warning is on: re-read the watched drives and
// raise the alerts the user switched on. Every channel compares and reports
// the drive's temperature; a drive without one never alerts. Each time above
// the critical temperature is one episode of the drive's alert, which the
// channels repeat by their own rules. With UseDriveLimits a drive
// whose own warning temperature is below the critical temperature alerts
// at its own. With a MetricsFile set, each check reads whole drive records
// instead of summaries (the same one read per drive) and writes them for
// node_exporter when it ends.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "drive/drive_access.h"
#include "drive/drive_reader.h"
#include "drive/drive_record.h"
#include "monitor/acknowledged_warnings.h"
#include "monitor/alert_channels.h"
#include "monitor/hibernation_countdown.h"
#include "monitor/history_recorder.h"
#include "monitor/last_readings.h"
#include "monitor/scheduled_check.h"
#include "report/prometheus_text.h"
#include "services/mailer.h"
#include "services/message_boxes.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

class SelfTestWatch;

// Each drive's row shows what the watch read at its last check.
class WatchView : public virtual DriveRowView {
 public:
  // The drives whose rows are ticked in the drive list, in list order.
  virtual std::vector<DriveNumber> WatchedDrives() const = 0;
  // The timer of the checks every 30 seconds, which tells the watch when
  // to schedule them (ScheduleCheck, CancelCheck).
  virtual void StartCheckTimer() = 0;
  virtual void StopCheckTimer() = 0;
  virtual bool CheckTimerActive() const = 0;
  // Shows `text` in the critical temperature field.
  virtual void ShowCriticalTemperature(const std::string& text) = 0;
};

// The seams the watch reaches.
struct WatchServices {
  DriveQueue& Drives;
  AlertChannels& Alerts;
  Mailer& TestMail;
  MessageBoxes& Messages;
  LastReadings& Last;
  // Where each reading is kept for the history; none keeps none.
  ReadingLog* History = nullptr;
  // The warnings the user acknowledged; none reads every WARN as WARN.
  AcknowledgedWarnings* Acknowledged = nullptr;
  // Told of each tick; none has no self-tests watched.
  SelfTestWatch* SelfTests = nullptr;
};

class TemperatureWatch {
 public:
  TemperatureWatch(WatchView& view, Settings& settings, JournalLines& journal,
                   HibernationCountdown& countdown, WatchServices services)
      : view_(view),
        settings_(settings),
        journal_(journal),
        countdown_(countdown),
        services_(services) {}

  // One check of every watched drive. The drives are read away from the
  // window and judged in list order, each only if its row is still ticked
  // and the warning still on by then; after a popup alert, which may have
  // waited long for its answer, the drives after it are read anew.
  void Check();
  // The check timer's clock (monitor/scheduled_check.h): the watched
  // drives are read once `in` has passed, and judged as Check() judges them.
  void ScheduleCheck(std::chrono::milliseconds in) { scheduled_.Schedule(in, CheckPlan()); }
  // The check timer stopped: the scheduled check does not come.
  void CancelCheck() { scheduled_.Cancel(); }
  // Rows were ticked or unticked: the scheduled check reads the drives
  // ticked now, at the time it had.
  void WatchedDrivesChanged() { scheduled_.WatchedChanged(CheckPlan()); }
  // The temperature warning's box, with its new state.
  void WarningChanged(bool on);
  // Sends the alert mail with drive 0's temperature now, and says how it went.
  void SendTestMail();

  // What the metrics file names the drives by and which figures their level
  // reports. Without it: simulated drives' names, every figure reported.
  using DeviceNames = std::function<std::string(DriveNumber)>;
  void DescribeDrivesWith(const DriveAccess* access, DeviceNames names) {
    access_ = access;
    names_ = std::move(names);
  }

  // A popup alert is waiting for its answer; no check runs then.
  bool AlertWaiting() const { return alertWaiting_; }

  // A drive cools out of its excursion this far below the critical
  // temperature, so that a figure wavering around it mails only once.
  static constexpr int kCoolingMargin = 2;

 private:
  // One drive's time above the critical temperature.
  struct Excursion {
    bool Hot = false;
    std::uint64_t Episode = 0;
  };

  // What one drive said to a check.
  struct Reading {
    SummaryReading Summary;
    std::optional<DriveRecord> Record;  // with a metrics file only
  };

  // A check's start: whether it goes ahead.
  bool Begin();
  ScheduledCheck::Plan CheckPlan();
  ScheduledCheck::Reads ScheduledReads(const std::vector<DriveNumber>& drives);
  // Reads `drives` into `readings` on the drives' thread.
  DriveQueue::Work ReadWork(std::vector<DriveNumber> drives,
                            std::shared_ptr<std::vector<Reading>> readings) const;
  // Reads the drives from `drives[next]` on and judges them in order.
  void CheckFrom(std::vector<DriveNumber> drives, std::size_t next);
  // Judges the drives from `drives[next]` on, read into `readings`.
  void JudgeFrom(std::vector<DriveNumber> drives, std::size_t next, std::vector<Reading>& readings);
  // Shows what drive `n` said in its row; nothing for a sleeping drive.
  // Keeps the reading as drive `n`'s last; null when the drive gave none.
  const LastReading* Take(DriveNumber n, const SummaryReading& reading);
  // Whether a popup alert waited for an answer.
  bool Judge(DriveNumber n, const std::optional<DriveSummary>& awake);
  // Whether drive `n` is still to be judged: its row ticked, the warning on.
  void CheckEnded();
  // The temperature above which drive `n` alerts now.
  int AlertLimit(DriveNumber n, const DriveSummary& summary);
  bool AtOwnWarning(const DriveSummary& summary) const;
  void WriteMetrics();
  // The popup's text, and the watch's part of its wait.
  Alert AlertOf(DriveNumber n, const Excursion& excursion, const DriveSummary& summary, int limit,
                bool& answered);

  WatchView& view_;
  Settings& settings_;
  JournalLines& journal_;
  HibernationCountdown& countdown_;
  WatchServices services_;
  bool alertWaiting_ = false;
  // A check whose drives are still being read; a second one then waits for
  // the next tick.
  bool checking_ = false;
  ScheduledCheck scheduled_{services_.Drives};
  std::map<DriveNumber, Excursion> excursions_;
  // Drives whose alert at their own warning temperature the user answered:
  // the critical temperature counts for them until they cool below it.
  std::set<DriveNumber> ownWarningAnswered_;

  const DriveAccess* access_ = nullptr;
  DeviceNames names_;
  std::vector<LabelledRecord> metrics_;  // the drives of the check under way
  // A file that cannot be written would otherwise be journalled every tick.
  bool metricsFailureJournalled_ = false;
};

}  // namespace halvoric
