// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/health_watch.h"

#include <algorithm>
#include <array>
#include <memory>

#include "base/diagnostics.h"
#include "base/text_trim.h"
#include "drive/attribute_catalogue.h"
#include "drive/nvme_figures.h"
#include "monitor/log_changes.h"
#include "monitor/self_test_watch.h"

namespace halvoric {

namespace {

// The window's name for the attribute, so that an alert and the SMART Info
// page call it the same; a reading made without names falls back to the
// catalogue's.
std::string AttributeName(const HealthReading& reading, std::uint8_t id) {
  if (const auto named = reading.Names.find(id); named != reading.Names.end()) {
    return named->second;
  }
  return std::string(TrimControls(reading.Source == TableSource::Nvme ? NvmeFigureName(id)
                                                                       : GetAttributeName(id)));
}

// Reallocated sectors, uncorrectable errors, pending and offline
// uncorrectable sectors (kDamageCounts): any rise means the surface is
// getting worse, long before the normalised value reaches its threshold. An
// NVMe drive counts its media and data integrity errors instead.
bool IsDamageCount(std::uint8_t id, TableSource source) {
  if (source == TableSource::Nvme) return id == kNvmeMediaErrorsId;
  return std::find(kDamageCounts.begin(), kDamageCounts.end(), id) != kDamageCounts.end();
}

const AttributeReading* Find(const std::vector<AttributeReading>& readings, std::uint8_t id) {
  const auto found = std::find_if(readings.begin(), readings.end(),
                                  [id](const AttributeReading& r) { return r.Id == id; });
  return found == readings.end() ? nullptr : &*found;
}

// The temperature and power mode too, so that the history has a reading
// every check, with the temperature warning off as well; a drive asleep is
// kept as standby under the serial it last read with.
HistoryReading CheckHistory(const HealthCheck& check) {
  HistoryReading history;
  history.Power = check.Power;
  if (!check.Reading) return history;
  const HealthReading& reading = *check.Reading;
  history.Serial = reading.Serial;
  history.Model = reading.Model;
  if (reading.Temperature != NoTemperature) history.Temperature = reading.Temperature;
  // An NVMe drive's figures are numbered apart from ATA's attributes.
  if (reading.Source == TableSource::Nvme) return history;
  for (std::size_t i = 0; i < kDamageCounts.size(); ++i) {
    if (const AttributeReading* found = Find(reading.Attributes, kDamageCounts[i])) {
      // Raw counts are 48 bits wide, well inside the column's range.
      history.Counts[i] = static_cast<std::int64_t>(found->Raw);
    }
  }
  return history;
}

std::string HealthPrefix(DriveNumber n, const std::string& model, const std::string& serial) {
  return "HEALTH of drive " + std::to_string(n) + " (" + std::string(TrimControls(model)) +
         ", serial " + std::string(TrimControls(serial)) + "): ";
}

}  // namespace

void HealthWatch::Start() {
  if (!settings_.HealthWarn) return;
  Check();
  if (settings_.HealthMinutes > 0) view_.StartHealthTimer(settings_.HealthMinutes);
}

std::vector<std::string> HealthWatch::Changes(DriveNumber n, const HealthReading& now,
                                              const HealthRecord* before) const {
  const std::string drive = HealthPrefix(n, now.Model, now.Serial);
  std::vector<std::string> lines;
  if (before == nullptr) {
    // A drive already in trouble when first seen is news once; only then is
    // it the baseline the next readings are compared with.
    if (now.Verdict == Status::Bad || now.Verdict == Status::Warn) {
      std::string reasons;
      for (const std::string& reason : now.Reasons) {
        reasons += (reasons.empty() ? "" : "; ") + reason;
      }
      lines.push_back(drive + "reads " + StatusText(now.Verdict) + " when first seen: " + reasons);
    }
    return lines;
  }
  if (now.DriveFailing == true && !before->DriveFailing) {
    lines.push_back(drive + "the drive says it is failing");
  }
  for (const AttributeReading& reading : now.Attributes) {
    const AttributeReading* last = Find(before->Attributes, reading.Id);
    const bool counted = IsDamageCount(reading.Id, now.Source);
    // A count the drive did not keep before counted nothing then.
    if (last == nullptr && !counted) continue;
    const AttributeReading none{reading.Id, 0, Status::Ok};
    if (last == nullptr) last = &none;
    const std::string name = AttributeName(now, reading.Id);
    if (last->State == Status::Ok && reading.State == Status::Bad) {
      lines.push_back(drive + name + " OK -> BAD");
    }
    if (counted && reading.Raw > last->Raw) {
      lines.push_back(drive + name + " raw " + std::to_string(last->Raw) + " -> " +
                      std::to_string(reading.Raw));
    }
  }
  return lines;
}

void HealthWatch::Check() {
  if (!Begin()) return;
  const std::vector<DriveNumber> drives = view_.WatchedDrives();
  auto readings = std::make_shared<std::vector<HealthCheck>>();
  services_.Drives.Run(ReadWork(drives, readings),
                       [this, drives, readings] { Compare(drives, *readings); });
  if (services_.SelfTests) services_.SelfTests->Tick();
}

bool HealthWatch::Begin() {
  // The popup's wait runs the event loop; a tick inside it would report the
  // same change again before its reading is kept.
  if (alertWaiting_ || checking_ || !settings_.HealthWarn) return false;
  checking_ = true;
  return true;
}

void HealthWatch::ScheduleChecks(std::chrono::milliseconds every) {
  every_ = every;
  scheduled_.Schedule(every_, CheckPlan());
}

ScheduledCheck::Plan HealthWatch::CheckPlan() {
  return {view_.WatchedDrives(),
          [this](const std::vector<DriveNumber>& drives) { return ScheduledReads(drives); }};
}

ScheduledCheck::Reads HealthWatch::ScheduledReads(const std::vector<DriveNumber>& drives) {
  auto readings = std::make_shared<std::vector<HealthCheck>>();
  return {ReadWork(drives, readings), [this, drives, readings] {
            // The timer goes on as a repeating one does.
            scheduled_.Schedule(every_, CheckPlan());
            if (!Begin()) return;
            // Before the readings are judged, as a check by hand has it.
            if (services_.SelfTests) services_.SelfTests->Tick();
            Compare(drives, *readings);
          }};
}

DriveQueue::Work HealthWatch::ReadWork(std::vector<DriveNumber> drives,
                                       std::shared_ptr<std::vector<HealthCheck>> readings) {
  return [drives = std::move(drives), readings](DriveReader& reader) {
    // A sleeping disk is read at the first check it is awake for.
    for (const DriveNumber n : drives) readings->push_back(ReadHealthIfAwake(reader, n));
  };
}

HealthRecords& HealthWatch::Records() {
  if (!records_) {
    records_ = LoadHealthRecords(recordPath_);
    Diagnose(DiagnosticArea::Startup, "the health record read (first health check)");
  }
  return *records_;
}

void HealthWatch::TakeLogs(DriveNumber n, const DriveLogs& logs) {
  // A drive that did not identify itself has no record to compare with.
  if (!settings_.HealthWarn || alertWaiting_ || logs.Serial.empty()) return;
  HealthRecord& record = Records()[logs.Serial];
  LogChanges changes = CompareLogs(HealthPrefix(n, logs.Model, logs.Serial), logs, record);
  Keep(std::move(changes.Alerts), std::move(changes.Notes), false);
}

std::optional<std::int64_t> HealthWatch::ScheduledHour(const std::string& serial) {
  const auto found = Records().find(serial);
  return found == Records().end() ? std::nullopt : found->second.ScheduledHour;
}

void HealthWatch::KeepScheduledStart(const std::string& serial, std::int64_t hour) {
  Records()[serial].ScheduledHour = hour;
  Keep({}, {}, false);
}

void HealthWatch::Compare(const std::vector<DriveNumber>& drives,
                          const std::vector<HealthCheck>& readings) {
  HealthRecords& records = Records();
  std::vector<std::string> changes;
  std::vector<std::string> notes;
  bool read = false;
  for (std::size_t i = 0; i < drives.size() && i < readings.size(); ++i) {
    const HealthCheck& check = readings[i];
    // A drive that could not be read says nothing worth a row.
    const HistoryReading history = CheckHistory(check);
    if (services_.History && (check.Reading || PlotShows(history))) {
      services_.History->Keep(drives[i], history);
    }
    const std::optional<HealthReading>& now = check.Reading;
    if (!now) continue;
    read = true;
    const bool known = records.contains(now->Serial);
    HealthRecord& record = records[now->Serial];
    for (std::string& line : Changes(drives[i], *now, known ? &record : nullptr)) {
      changes.push_back(std::move(line));
    }
    LogChanges logs =
        CompareLogs(HealthPrefix(drives[i], now->Model, now->Serial), now->Logs, record);
    changes.insert(changes.end(), logs.Alerts.begin(), logs.Alerts.end());
    notes.insert(notes.end(), logs.Notes.begin(), logs.Notes.end());
    record.Attributes = now->Attributes;
    // A status that did not come back keeps what the drive said before.
    record.DriveFailing = now->DriveFailing.value_or(known && record.DriveFailing);
    if (services_.SelfTests && now->Logs.SelfTest) {
      services_.SelfTests->Learn(drives[i], *now->Logs.SelfTest);
    }
  }
  if (!read) {
    checking_ = false;
    return;
  }
  Keep(std::move(changes), std::move(notes), true);
}

// Kept before the alerts: a popup left waiting, or a crash, must not
// report the same change twice. Written away from the window, whose
// flush can wait for a busy disk.
void HealthWatch::Keep(std::vector<std::string> changes, std::vector<std::string> notes,
                       bool endsCheck) {
  auto saved = std::make_shared<Result<>>(Result<>::Done());
  services_.Drives.Run(
      [saved, path = recordPath_, records = Records()](DriveReader&) {
        *saved = SaveHealthRecords(path, records);
      },
      [this, saved, endsCheck, changes = std::move(changes), notes = std::move(notes)] {
        if (endsCheck) checking_ = false;
        if (!saved->Ok()) {
          if (!saveFailureJournalled_) journal_.AddLogLine(saved->Message);
          saveFailureJournalled_ = true;
        } else {
          saveFailureJournalled_ = false;
        }
        for (const std::string& line : changes) journal_.AddLogLine(line);
        for (const std::string& line : notes) journal_.AddLogLine(line);
        if (!changes.empty()) Alert(changes);
      });
}

void HealthWatch::Alert(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  // Every change is news: no channel holds it back as a repeat.
  services_.Alerts.Raise({
      .Source = "health",
      .Episode = services_.Alerts.NewEpisode(),
      .MailBody = text,
      .PopupText = "A drive's health has changed:\n\n" + text,
      .BeforeWait = [this] { alertWaiting_ = true; },
      .Answered = [this] { alertWaiting_ = false; },
  });
}

}  // namespace halvoric
