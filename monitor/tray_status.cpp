// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/tray_status.h"

#include <memory>

#include "base/text_trim.h"
#include "drive/power_mode.h"

namespace halvoric {

namespace {

constexpr std::uint8_t kBalloonSeconds = 10;

// The tray icon shows at most this many bytes of a balloon's text (cutting
// the rest), which holds the lines of four drives.
constexpr std::size_t kBalloonTextBytes = 255;

// The drives' lines in order, as many whole ones as fit; those that do not
// are counted in a last line, so that no drive is cut off unsaid.
std::string BalloonText(const std::vector<std::string>& entries) {
  std::string all;
  for (const std::string& entry : entries) all += entry;
  if (all.size() <= kBalloonTextBytes) return all;
  std::string shown;
  for (std::size_t kept = 0; kept < entries.size(); ++kept) {
    const std::size_t left = entries.size() - kept;
    const std::string more = "(" + std::to_string(left) +
                             (left == 1 ? " more drive" : " more drives") + " in the drive list)\r";
    if (shown.size() + entries[kept].size() + more.size() > kBalloonTextBytes) return shown + more;
    shown += entries[kept];
  }
  return shown;
}

// "WARN: 8 pending sectors; 3 reallocated sectors"
std::string VerdictText(const LastReading& last) {
  std::string text = StatusText(last.State);
  const char* separator = ": ";
  for (const std::string& reason : last.Reasons) {
    text += separator + reason;
    separator = "; ";
  }
  return text;
}

struct Reading {
  bool Asleep = false;
  std::string Model;
  SummaryReading Summary;
};

}  // namespace

void TrayStatusReport::WindowHidden(std::size_t driveCount) {
  if (!settings_.DiskStatus || reporting_) return;
  std::vector<DriveNumber> rows = view_.ListedDrives();
  if (rows.size() > driveCount) rows.resize(driveCount);
  reporting_ = true;
  ReportFrom(std::move(rows), 0, {});
}

void TrayStatusReport::ReportFrom(std::vector<DriveNumber> rows, std::size_t row,
                                  std::vector<std::string> entries) {
  if (row == rows.size()) {
    reporting_ = false;
    return;
  }
  const DriveNumber n = rows[row];
  auto reading = std::make_shared<Reading>();
  drives_.Run(
      [n, reading](DriveReader& reader) {
        // A disk in standby is reported from its last reading, not woken for it.
        const PowerMode mode = reader.CheckPowerMode(n);
        reading->Asleep = mode == PowerMode::Standby || mode == PowerMode::Sleep;
        if (reading->Asleep) {
          reading->Summary.Power = mode;
          return;
        }
        reading->Model = reader.GetDriveModel(n);
        reading->Summary = reader.ReadSummary(n);
        reading->Summary.Power = mode;
      },
      [this, rows = std::move(rows), row, entries = std::move(entries), reading]() mutable {
        LastReading& last = last_[rows[row]];
        if (history_) history_->Keep(rows[row], SummaryHistory(reading->Summary));
        if (!reading->Asleep) {
          // A drive that no longer identifies itself (one this user may not
          // open) keeps the model it was listed with.
          if (!reading->Model.empty()) last.Model = reading->Model;
          TakeReading(last, *reading->Summary.Summary, reading->Summary.Serial, acknowledged_);
        }
        // Without the model's padding, so that more drives fit.
        entries.push_back(std::string(TrimControls(last.Model)) + '\r' +
                          "Temp: " + last.Temperature + (reading->Asleep ? " (standby)" : "") +
                          ", " + VerdictText(last) + '\r' +
                          (last.SelfTest ? SelfTestProgressText(*last.SelfTest) + '\r' : ""));
        // Each drive's balloon replaces the last, so the user sees progress
        // on slow drives and the last one lists them all.
        view_.ShowStatusBalloon(BalloonText(entries), kBalloonSeconds);
        if (!reading->Asleep) view_.ShowDriveReading(rows[row], last);
        ReportFrom(std::move(rows), row + 1, std::move(entries));
      });
}

}  // namespace halvoric
