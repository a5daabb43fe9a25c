// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/temperature_watch.h"

#include <algorithm>
#include <memory>

#include "base/staged_file.h"
#include "base/text_trim.h"
#include "drive/drive_record.h"
#include "monitor/alert_mail.h"
#include "monitor/self_test_watch.h"

namespace halvoric {

void TemperatureWatch::Check() {
  if (!Begin()) return;
  CheckFrom(view_.WatchedDrives(), 0);
  // Behind the temperatures on the drives' queue, so a self-test's reads
  // never hold them up.
  if (services_.SelfTests) services_.SelfTests->Tick();
}

bool TemperatureWatch::Begin() {
  view_.StopCheckTimer();
  // The alert's answer restarts the watch; a check from inside the wait
  // (the warning switched off and on again) would alert the same drive twice.
  if (alertWaiting_ || checking_) return false;
  checking_ = true;
  metrics_.clear();
  return true;
}

ScheduledCheck::Plan TemperatureWatch::CheckPlan() {
  return {view_.WatchedDrives(),
          [this](const std::vector<DriveNumber>& drives) { return ScheduledReads(drives); }};
}

ScheduledCheck::Reads TemperatureWatch::ScheduledReads(const std::vector<DriveNumber>& drives) {
  auto readings = std::make_shared<std::vector<Reading>>();
  return {ReadWork(drives, readings), [this, drives, readings]() mutable {
            if (!Begin()) return;
            // Before the drives are judged, as a check by hand has it: a
            // popup alert's wait runs the self-tests' reads.
            if (services_.SelfTests) services_.SelfTests->Tick();
            JudgeFrom(std::move(drives), 0, *readings);
          }};
}

DriveQueue::Work TemperatureWatch::ReadWork(std::vector<DriveNumber> drives,
                                            std::shared_ptr<std::vector<Reading>> readings) const {
  return [drives = std::move(drives), readings, whole = !settings_.MetricsFile.empty(),
          access = access_](DriveReader& reader) {
    for (const DriveNumber n : drives) {
      Reading& reading = readings->emplace_back();
      // A disk that spun down stays down: the series would wake it every tick.
      if (!whole) {
        reading.Summary = reader.ReadSummaryIfAwake(n);
        continue;
      }
      reading.Record = ReadDriveRecord(reader, n, access, SleepingDrive::Leave);
      const DriveRecord& record = *reading.Record;
      reading.Summary.Power = record.Power;
      reading.Summary.Serial = record.Serial.value_or("");
      reading.Summary.Model = record.Model.value_or("");
      if (!record.LeftAsleep) reading.Summary.Summary = record.Summary;
    }
  };
}

void TemperatureWatch::CheckFrom(std::vector<DriveNumber> drives, std::size_t next) {
  if (next == drives.size()) {
    WriteMetrics();
    CheckEnded();
    return;
  }
  // One hand-over for all of them: an idle window wakes once per check.
  auto readings = std::make_shared<std::vector<Reading>>();
  std::vector<DriveNumber> rest(drives.begin() + static_cast<std::ptrdiff_t>(next), drives.end());
  services_.Drives.Run(ReadWork(std::move(rest), readings),
                       [this, drives = std::move(drives), next, readings]() mutable {
                         JudgeFrom(std::move(drives), next, *readings);
                       });
}

void TemperatureWatch::JudgeFrom(std::vector<DriveNumber> drives, std::size_t next,
                                 std::vector<Reading>& readings) {
  // The user may have unticked rows, or switched the warning off, while
  // the drives were read. Asked once: an alert that waits for an answer
  // ends this loop, and the drives after it are read anew.
  const std::vector<DriveNumber> watched =
      settings_.TempWarn ? view_.WatchedDrives() : std::vector<DriveNumber>();
  // Every row first, in one piece: the list is up to date before an alert
  // waits for its answer.
  std::vector<std::pair<DriveNumber, const LastReading*>> shown;
  for (std::size_t i = next; i < drives.size(); ++i) {
    if (const LastReading* last = Take(drives[i], readings[i - next].Summary)) {
      shown.emplace_back(drives[i], last);
    }
  }
  view_.ShowDriveReadings(shown);
  for (std::size_t i = next; i < drives.size(); ++i) {
    const DriveNumber n = drives[i];
    Reading& reading = readings[i - next];
    // Asleep too: the history shows standby apart from the program not running.
    if (services_.History) services_.History->Keep(n, SummaryHistory(reading.Summary));
    if (reading.Record) {
      metrics_.push_back({names_ ? names_(n) : SimulatedDeviceName(n), std::move(*reading.Record)});
    }
    const bool alerted = std::find(watched.begin(), watched.end(), n) != watched.end() &&
                         Judge(n, reading.Summary.Summary);
    // The popup waited for an answer: the drives after it are read anew.
    if (alerted && i + 1 < drives.size()) {
      CheckFrom(std::move(drives), i + 1);
      return;
    }
  }
  WriteMetrics();
  CheckEnded();
}

const LastReading* TemperatureWatch::Take(DriveNumber n, const SummaryReading& reading) {
  if (!reading.Summary) return nullptr;
  LastReading& last = services_.Last[n];
  TakeReading(last, *reading.Summary, reading.Serial, services_.Acknowledged);
  return &last;
}

bool TemperatureWatch::Judge(DriveNumber n, const std::optional<DriveSummary>& awake) {
  if (!awake) return false;
  const DriveSummary& summary = *awake;
  // A drive that did not answer this time neither starts nor ends an
  // excursion.
  if (summary.Temperature == NoTemperature) return false;
  Excursion& excursion = excursions_[n];
  // Drives after an alerted one compare with the raised critical temperature.
  const int limit = AlertLimit(n, summary);
  if (summary.Temperature <= limit) {
    if (summary.Temperature <= limit - kCoolingMargin) excursion = {};
    return false;
  }
  if (!excursion.Hot) excursion = {.Hot = true, .Episode = services_.Alerts.NewEpisode()};
  bool answered = false;
  services_.Alerts.Raise(AlertOf(n, excursion, summary, limit, answered));
  return answered;
}

void TemperatureWatch::CheckEnded() {
  checking_ = false;
  // A warning switched off while a popup alert waited stays off; one the
  // alert's answer restarted keeps that start.
  if (settings_.TempWarn && !view_.CheckTimerActive()) view_.StartCheckTimer();
}

bool TemperatureWatch::AtOwnWarning(const DriveSummary& summary) const {
  const std::optional<int> own = summary.Limits.Warning;
  return settings_.UseDriveLimits && own && *own < settings_.CritTempValue;
}

int TemperatureWatch::AlertLimit(DriveNumber n, const DriveSummary& summary) {
  if (!AtOwnWarning(summary)) return settings_.CritTempValue;
  const int own = *summary.Limits.Warning;
  if (ownWarningAnswered_.contains(n)) {
    if (summary.Temperature > own - kCoolingMargin) return settings_.CritTempValue;
    ownWarningAnswered_.erase(n);
  }
  return own;
}

// Made and written away from the window: the text of many drives takes a
// while, and the file's flush can take longer.
void TemperatureWatch::WriteMetrics() {
  if (settings_.MetricsFile.empty()) return;
  auto written = std::make_shared<Result<>>(Result<>::Done());
  services_.Drives.Run(
      [written, file = settings_.MetricsFile, drives = std::move(metrics_)](DriveReader&) {
        *written = ReplaceFile(file, PrometheusText(drives), LinkRule::ReplaceName);
      },
      [this, written, file = settings_.MetricsFile] {
        if (written->Ok()) {
          metricsFailureJournalled_ = false;
        } else if (!metricsFailureJournalled_) {
          journal_.AddLogLine("The metrics file " + file +
                              " could not be written: " + written->Message);
          metricsFailureJournalled_ = true;
        }
      });
  metrics_.clear();
}

void TemperatureWatch::WarningChanged(bool on) {
  settings_.TempWarn = on;
  if (on) {
    // Ticking the box again must not put off a check that is already due.
    if (!view_.CheckTimerActive()) view_.StartCheckTimer();
  } else {
    view_.StopCheckTimer();
  }
  journal_.AddLogLine(on ? "ENABLED temperature warning" : "DISABLE temperature warning");
}

Alert TemperatureWatch::AlertOf(DriveNumber n, const Excursion& excursion,
                                const DriveSummary& summary, int limit, bool& answered) {
  const bool own = limit != settings_.CritTempValue;
  std::string text = "A drive is at " + TemperatureText(summary) + ", above " +
                     (own ? "its own warning temperature" : "the critical temperature") + " of " +
                     std::to_string(limit) + kDegreesCelsius + ".";
  if (settings_.Hibernation) {
    text += "\n\nThe PC hibernates in " + std::to_string(HibernationCountdown::kSeconds) +
            " seconds unless you answer.";
  }
  const int temperature = summary.Temperature;
  return {
      .Source = "temperature of drive " + std::to_string(n),
      .Episode = excursion.Episode,
      .MailBody = kAlertBodyPrefix + std::to_string(temperature),
      .PopupText = std::move(text),
      .BeforeWait =
          [this, temperature, limit] {
            journal_.AddLogLine("Temperature is over maximum: " + std::to_string(temperature) +
                                " > " + std::to_string(limit));
            view_.StopCheckTimer();
            countdown_.Arm(settings_.Hibernation);
            // The countdown ticks while the popup waits.
            alertWaiting_ = true;
          },
      .Answered =
          [this, n, own, temperature, &answered] {
            alertWaiting_ = false;
            answered = true;
            if (own) ownWarningAnswered_.insert(n);
            // The user's answer raises the critical temperature, never lowers it.
            settings_.CritTempValue =
                static_cast<std::uint8_t>(std::max<int>(temperature, settings_.CritTempValue));
            if (settings_.TempWarn) view_.StartCheckTimer();
            countdown_.Dismiss();
            journal_.AddLogLine("USER cancelled the HIBERNATE action !");
            const std::string critical = std::to_string(settings_.CritTempValue);
            journal_.AddLogLine("CHANGED the alert temperature to: " + critical + kDegreeSign);
            settings_.Temp = critical;
            view_.ShowCriticalTemperature(critical);
          },
  };
}

void TemperatureWatch::SendTestMail() {
  if (TrimControls(settings_.EmailAddr).empty()) return;
  auto summary = std::make_shared<DriveSummary>();
  services_.Drives.Run(
      [summary](DriveReader& reader) { reader.GetDriveSummary(0, *summary); },
      [this, summary] {
        const Result<> sent =
            services_.TestMail.Send(AlertMail(settings_.EmailAddr, TemperatureText(*summary)));
        if (sent.Ok()) {
          services_.Messages.ShowMessage("The Alert! Message was sent to: " + settings_.EmailAddr);
        } else {
          services_.Messages.ShowError(sent.Message);
        }
      });
}

}  // namespace halvoric
