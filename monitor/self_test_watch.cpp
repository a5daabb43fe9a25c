// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/self_test_watch.h"

#include <algorithm>
#include <memory>

#include "drive/power_mode.h"
#include "monitor/log_changes.h"

namespace halvoric {
namespace {

std::string EndText(const SelfTestState& state, const DriveLogs& logs) {
  const SelfTestLog* log = logs.SelfTests           ? &*logs.SelfTests
                           : logs.ExtendedSelfTests ? &*logs.ExtendedSelfTests
                                                    : nullptr;
  if (!log || log->Entries.empty()) return "self-test ended: " + state.Text;
  const SelfTestEntry& newest = log->Entries.front();
  std::string text = newest.TypeText + " self-test ended: " + newest.ResultText;
  if (newest.FailingLba) text += " at LBA " + std::to_string(*newest.FailingLba);
  return text;
}

}  // namespace

std::string SelfTestWatch::Prefix(DriveNumber n, const std::string& model,
                                  const std::string& serial) const {
  const auto last = services_.Last.find(n);
  const bool known = last != services_.Last.end();
  return "SELF-TEST of " +
         DriveNamed(n, !model.empty() || !known ? model : last->second.Model,
                    !serial.empty() || !known ? serial : last->second.Serial) +
         ": ";
}

void SelfTestWatch::Start() {
  Result<SelfTestSchedule> parsed = SelfTestSchedule::Parse(settings_.SelfTestSchedule);
  if (!parsed.Ok()) {
    journal_.AddLogLine(parsed.Message);
    return;
  }
  schedule_ = std::move(*parsed);
}

void SelfTestWatch::Tick() {
  const LocalHour hour = LocalHourOf(services_.Calendar.Now());
  // The first tick of each hour decides; a start-up within an hour that
  // already saw its test finds it in the health record.
  if (hourChecked_ != hour.Key) {
    hourChecked_ = hour.Key;
    const std::vector<SelfTestAction> due = schedule_.Due(hour);
    if (!due.empty()) StartDue(hour, due);
  }
  PollRunning();
}

void SelfTestWatch::StartDue(const LocalHour& hour, const std::vector<SelfTestAction>& due) {
  auto found = std::make_shared<std::vector<Found>>();
  services_.Drives.Run(
      [drives = view_.WatchedDrives(), found](DriveReader& reader) {
        for (const DriveNumber n : drives) {
          Found& drive = found->emplace_back();
          drive.Drive = n;
          const PowerMode mode = reader.CheckPowerMode(n);
          drive.Asleep = mode == PowerMode::Standby || mode == PowerMode::Sleep;
          if (!drive.Asleep) drive.Logs = ReadDriveLogs(reader, n);
        }
      },
      [this, hour, due, found] { Decide(hour, due, *found); });
}

void SelfTestWatch::Decide(const LocalHour& hour, const std::vector<SelfTestAction>& due,
                           const std::vector<Found>& found) {
  struct Start {
    DriveNumber Drive;
    SelfTestAction Action;
    std::string Serial;
    std::string Prefix;
  };
  std::vector<Start> starts;
  for (const Found& drive : found) {
    const DriveNumber n = drive.Drive;
    const std::string prefix = Prefix(n, drive.Logs.Model, drive.Logs.Serial);
    if (drive.Asleep) {
      journal_.AddLogLine(prefix + "scheduled " + SelfTestActionWord(due.front()) +
                          " self-test skipped: the drive is asleep");
      continue;
    }
    const auto runs = std::find_if(due.begin(), due.end(), [&](SelfTestAction action) {
      return drive.Logs.Abilities.Runs(action);
    });
    if (runs == due.end() || !drive.Logs.SelfTest) continue;
    if (drive.Logs.SelfTest->Running) {
      journal_.AddLogLine(prefix + "scheduled " + SelfTestActionWord(*runs) +
                          " self-test skipped: a self-test already runs");
      Learn(n, *drive.Logs.SelfTest);
      continue;
    }
    if (services_.Health.ScheduledHour(drive.Logs.Serial) == hour.Key) continue;
    starts.push_back({n, *runs, drive.Logs.Serial, prefix});
  }
  if (starts.empty()) return;
  auto started = std::make_shared<std::vector<Result<SelfTestStarted>>>();
  services_.Drives.Run(
      [starts, started](DriveReader& reader) {
        for (const Start& start : starts) {
          started->push_back(RunSelfTest(reader, start.Drive, start.Action));
        }
      },
      [this, hour, starts, started] {
        for (std::size_t i = 0; i < starts.size() && i < started->size(); ++i) {
          const Start& start = starts[i];
          const std::string word = SelfTestActionWord(start.Action);
          const Result<SelfTestStarted>& outcome = (*started)[i];
          if (!outcome.Ok()) {
            journal_.AddLogLine(start.Prefix + "scheduled " + word +
                                " self-test not started: " + outcome.Message);
            continue;
          }
          const std::string minutes =
              outcome->Minutes ? " (about " + std::to_string(*outcome->Minutes) + " minutes)" : "";
          journal_.AddLogLine(start.Prefix + "scheduled " + word + " self-test started" + minutes);
          services_.Health.KeepScheduledStart(start.Serial, hour.Key);
          Started(start.Drive, start.Action);
        }
      });
}

void SelfTestWatch::Started(DriveNumber n, SelfTestAction action) {
  Running& running = running_[n];
  if (action == SelfTestAction::Abort) {
    // Its end, aborted, is read at the next tick.
    running.Read.reset();
    return;
  }
  running = {SelfTestActionWord(action), services_.Time.Now()};
  Show(n, SelfTestProgress{running.Kind, std::nullopt});
}

void SelfTestWatch::Learn(DriveNumber n, const SelfTestState& state) {
  const auto known = running_.find(n);
  if (!state.Running) {
    // Ended since the last read: the next tick reads how.
    if (known != running_.end()) known->second.Read.reset();
    return;
  }
  Running& running = running_[n];
  if (!state.Kind.empty()) running.Kind = state.Kind;
  running.Read = services_.Time.Now();
  Show(n, SelfTestProgress{running.Kind, state.PercentLeft});
}

void SelfTestWatch::PollRunning() {
  const Clock::TimePoint now = services_.Time.Now();
  std::vector<DriveNumber> due;
  for (auto& [n, running] : running_) {
    if (running.Read && now - *running.Read < kPollInterval) continue;
    running.Read = now;
    due.push_back(n);
  }
  if (due.empty()) return;
  auto polled = std::make_shared<std::vector<Polled>>();
  services_.Drives.Run(
      [due, polled](DriveReader& reader) {
        for (const DriveNumber n : due) {
          Polled& drive = polled->emplace_back();
          drive.Drive = n;
          drive.Poll = PollSelfTest(reader, n);
          // Just read awake: the log it left is read at once.
          if (drive.Poll.State && !drive.Poll.State->Running) drive.Logs = ReadDriveLogs(reader, n);
        }
      },
      [this, polled] {
        for (const Polled& drive : *polled) {
          if (!drive.Poll.State || !running_.contains(drive.Drive)) continue;
          if (drive.Poll.State->Running) {
            Learn(drive.Drive, *drive.Poll.State);
          } else {
            Ended(drive.Drive, *drive.Poll.State, drive.Logs.value_or(DriveLogs{}));
          }
        }
      });
}

void SelfTestWatch::Ended(DriveNumber n, const SelfTestState& state, const DriveLogs& logs) {
  running_.erase(n);
  Show(n, std::nullopt);
  journal_.AddLogLine(Prefix(n, logs.Model, logs.Serial) + EndText(state, logs));
  services_.Health.TakeLogs(n, logs);
}

void SelfTestWatch::Show(DriveNumber n, std::optional<SelfTestProgress> progress) {
  const auto last = services_.Last.find(n);
  // A drive not read yet has no row contents to show it with.
  if (last == services_.Last.end()) return;
  last->second.SelfTest = std::move(progress);
  view_.ShowDriveReading(n, last->second);
}

}  // namespace halvoric
