// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/acknowledged_warnings.h"

#include <memory>

#include "base/text_trim.h"
#include "base/utf8.h"

namespace halvoric {

namespace {
constexpr const char* kAcknowledgedReason = "warning acknowledged";
}  // namespace

AcknowledgedCounts& AcknowledgedWarnings::Counts() {
  if (!counts_) counts_ = LoadAcknowledgedCounts(path_);
  return *counts_;
}

void AcknowledgedWarnings::Apply(LastReading& reading) {
  if (reading.State != Status::Warn || reading.Serial.empty()) return;
  const auto found = Counts().find(reading.Serial);
  if (found == Counts().end() || found->second != reading.Counts) return;
  reading.State = Status::Ok;
  reading.Reasons.push_back(kAcknowledgedReason);
}

bool AcknowledgedWarnings::Acknowledge(DriveNumber n, LastReading& reading) {
  if (reading.State != Status::Warn || reading.Serial.empty()) return false;
  Counts()[reading.Serial] = reading.Counts;
  std::string reasons;
  for (const std::string& reason : reading.Reasons) {
    reasons += (reasons.empty() ? "" : "; ") + reason;
  }
  journal_.AddLogLine("WARNING of drive " + std::to_string(n) + " (" +
                      PrintableText(TrimControls(reading.Model)) + ", serial " +
                      PrintableText(TrimControls(reading.Serial)) + ") acknowledged: " + reasons);
  Apply(reading);
  // Written away from the window, as the health record is.
  auto saved = std::make_shared<Result<>>(Result<>::Done());
  drives_.Run([saved, path = path_,
               counts = *counts_](DriveReader&) { *saved = SaveAcknowledgedCounts(path, counts); },
              [this, saved] {
                if (!saved->Ok()) journal_.AddLogLine(saved->Message);
              });
  return true;
}

void TakeReading(LastReading& last, const DriveSummary& summary, const std::string& serial,
                 AcknowledgedWarnings* acknowledged) {
  last.Temperature = TemperatureText(summary);
  last.Celsius = summary.Temperature;
  last.State = summary.Health;
  last.Reasons = summary.Reasons;
  last.Counts = summary.Counts;
  if (!serial.empty()) last.Serial = serial;
  if (acknowledged != nullptr) acknowledged->Apply(last);
}

}  // namespace halvoric
