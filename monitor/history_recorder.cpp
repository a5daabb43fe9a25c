// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/history_recorder.h"

#include <memory>
#include <vector>

#include "base/diagnostics.h"
#include "base/text_trim.h"

namespace halvoric {

void HistoryRecorder::Keep(DriveNumber n, HistoryReading reading) {
  // A blank serial field names no drive; drives send their serials padded.
  if (TrimControls(reading.Serial).empty()) {
    const auto known = serials_.find(n);
    // A drive asleep since the start: nothing says which drive it is.
    if (known == serials_.end()) return;
    reading.Serial = known->second;
  } else {
    serials_[n] = reading.Serial;
  }
  reading.Time =
      std::chrono::duration_cast<std::chrono::seconds>(clock_.Now().time_since_epoch()).count();
  auto failure = std::make_shared<std::optional<std::string>>();
  // Told once the reading is in the file, so that a window reading it back
  // finds it there.
  const bool plotted = PlotShows(reading);
  std::string serial = reading.Serial;
  // A reading kept as usual wakes the window only for a follower or to
  // end a failure it journalled.
  const bool wanted = failureJournalled_ || (plotted && Followed(serial));
  writer_.Run(
      [this, reading = std::move(reading), failure, wanted] {
        if (!store_) {
          Result<HistoryStore> opened = HistoryStore::Open(path_);
          if (!opened.Ok()) {
            *failure = opened.Message;
            return true;
          }
          store_.emplace(std::move(*opened));
          Diagnose(DiagnosticArea::Startup, "the history store opened (history thread)");
        }
        if (const Result<> kept = store_->Record(reading); !kept.Ok()) *failure = kept.Message;
        return wanted || failure->has_value();
      },
      [this, failure, plotted, serial = std::move(serial)] {
        if (*failure) {
          Journal(**failure);
          return;
        }
        failureJournalled_ = false;
        if (plotted) Tell(serial);
      });
}

WorkRunner& HistoryRecorder::InPlace() {
  static InPlaceWork inPlace;
  return inPlace;
}

HistoryFollow HistoryRecorder::Follow(std::string serial, std::function<void()> told) {
  const std::uint64_t id = followers_->Next++;
  followers_->Following.emplace(id, HistoryFollowers::Follower{std::move(serial), std::move(told)});
  return {followers_, id};
}

bool HistoryRecorder::Followed(const std::string& serial) const {
  for (const auto& [id, follower] : followers_->Following) {
    if (follower.Serial == serial) return true;
  }
  return false;
}

void HistoryRecorder::Tell(const std::string& serial) {
  std::vector<std::uint64_t> ids;
  for (const auto& [id, follower] : followers_->Following) {
    if (follower.Serial == serial) ids.push_back(id);
  }
  for (const std::uint64_t id : ids) {
    // One told before may have ended this follow.
    const auto found = followers_->Following.find(id);
    if (found == followers_->Following.end()) continue;
    // A copy: ending its own follow must not destroy the function it runs in.
    const std::function<void()> told = found->second.Told;
    told();
  }
}

HistoryFollow& HistoryFollow::operator=(HistoryFollow&& other) noexcept {
  if (this != &other) {
    End();
    list_ = std::move(other.list_);
    id_ = other.id_;
    other.list_.reset();
  }
  return *this;
}

void HistoryFollow::End() {
  if (const std::shared_ptr<HistoryFollowers> list = list_.lock()) list->Following.erase(id_);
  list_.reset();
}

bool PlotShows(const HistoryReading& reading) {
  return reading.Temperature.has_value() || reading.Power == PowerMode::Standby ||
         reading.Power == PowerMode::Sleep;
}

std::optional<std::string> HistoryRecorder::SerialOf(DriveNumber n) const {
  const auto found = serials_.find(n);
  if (found == serials_.end()) return std::nullopt;
  return found->second;
}

void HistoryRecorder::Journal(const std::string& message) {
  // A full disk would otherwise say so every 30 seconds.
  if (failureJournalled_) return;
  failureJournalled_ = true;
  journal_.AddLogLine(message +
                      " Readings are not kept in the temperature history until it can "
                      "be written again.");
}

HistoryReading SummaryHistory(const SummaryReading& reading) {
  HistoryReading history;
  history.Serial = reading.Serial;
  history.Model = reading.Model;
  history.Power = reading.Power;
  if (reading.Summary && reading.Summary->Temperature != NoTemperature) {
    history.Temperature = reading.Summary->Temperature;
  }
  return history;
}

}  // namespace halvoric
