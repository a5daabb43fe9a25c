// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/examinations.h"

#include <cctype>
#include <memory>

#include "drive/drive_reader.h"
#include "monitor/self_test_watch.h"

namespace halvoric {
namespace {

constexpr std::uint8_t kNoticeSeconds = 10;

std::string Sentence(std::string text) {
  if (text.empty()) return text;
  text.front() = static_cast<char>(std::toupper(text.front()));
  return text.back() == '.' ? text : text + ".";
}

}  // namespace

bool KnownSelfTests::Allows(SelfTestAction action) const {
  return Abilities.Runs(action) && Running == (action == SelfTestAction::Abort);
}

std::string SelfTestNotice(DriveNumber n, const SelfTestStarted& started) {
  const std::string drive = "drive " + std::to_string(n);
  if (started.Action == SelfTestAction::Abort) return "Self-test aborted on " + drive;
  std::string notice = SelfTestActionWord(started.Action);
  notice.front() = static_cast<char>(std::toupper(notice.front()));
  notice += " self-test started on " + drive;
  if (started.Minutes) {
    notice += ": about " + std::to_string(*started.Minutes) +
              (*started.Minutes == 1 ? " minute" : " minutes");
  }
  return notice;
}

void Examinations::ReadLogs(DriveNumber n, Waking waking, LogsDone done) {
  auto reading = std::make_shared<LogsReading>();
  drives_.Run(
      [n, waking, reading](DriveReader& reader) {
        if (waking == Waking::LeaveAsleep) {
          reading->LeftIn = reader.CheckPowerMode(n);
          if (reading->LeftAsleep()) return;
        }
        reading->Logs = ReadDriveLogs(reader, n);
      },
      [this, n, reading, done = std::move(done)] {
        const DriveLogs& logs = reading->Logs;
        if (!reading->LeftAsleep() && logs.OpenFailure == OpenError::None) {
          known_[n] = {logs.Abilities, logs.SelfTest && logs.SelfTest->Running};
        }
        if (done) done(*reading);
      });
}

void Examinations::StartSelfTest(DriveNumber n, SelfTestAction action, StartDone done) {
  if (!starting_.insert(n).second) {
    done(Failure{"A self-test is being started on drive " + std::to_string(n) +
                 " already; wait for the drive's answer."});
    return;
  }
  auto result = std::make_shared<Result<SelfTestStarted>>(Failure{});
  drives_.Run(
      [n, action, result](DriveReader& reader) { *result = RunSelfTest(reader, n, action); },
      [this, n, result, done = std::move(done)] {
        starting_.erase(n);
        if (!result->Ok()) {
          done(Failure{Sentence(result->Message)});
          return;
        }
        Began(n, **result);
        const std::string notice = SelfTestNotice(n, **result);
        journal_.AddLogLine(notice);
        notices_.ShowStatusBalloon(notice, kNoticeSeconds);
        done(notice);
      });
}

const KnownSelfTests* Examinations::Known(DriveNumber n) const {
  const auto known = known_.find(n);
  return known == known_.end() ? nullptr : &known->second;
}

void Examinations::Began(DriveNumber n, const SelfTestStarted& started) {
  if (selfTests_) selfTests_->Started(n, started.Action);
  if (const auto known = known_.find(n); known != known_.end()) {
    known->second.Running = started.Action != SelfTestAction::Abort;
  }
}

}  // namespace halvoric
