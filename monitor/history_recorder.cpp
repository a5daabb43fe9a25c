#include "monitor/history_recorder.h"

#include <memory>

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
  writer_.Run(
      [this, reading = std::move(reading), failure] {
        if (!store_) {
          Result<HistoryStore> opened = HistoryStore::Open(path_);
          if (!opened.Ok()) {
            *failure = opened.Message;
            return;
          }
          store_.emplace(std::move(*opened));
        }
        if (const Result<> kept = store_->Record(reading); !kept.Ok()) *failure = kept.Message;
      },
      [this, failure] {
        if (*failure) {
          Journal(**failure);
        } else {
          failureJournalled_ = false;
        }
      });
}

WorkRunner& HistoryRecorder::InPlace() {
  static InPlaceWork inPlace;
  return inPlace;
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
