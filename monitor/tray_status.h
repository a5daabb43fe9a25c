// SPDX-License-Identifier: GPL-3.0-or-later
// The drive status balloon shown when the window goes to the tray: each
// drive's model, temperature and verdict, read anew, as many drives as the
// balloon holds and how many more there are, and the rows rewritten.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drive/drive_reader.h"
#include "monitor/acknowledged_warnings.h"
#include "monitor/history_recorder.h"
#include "monitor/last_readings.h"
#include "settings/settings.h"

namespace halvoric {

class TrayStatusView : public virtual DriveRowView {
 public:
  // The drive of each row of the drive list, in list order.
  virtual std::vector<DriveNumber> ListedDrives() const = 0;
  // Replaces the balloon shown before.
  virtual void ShowStatusBalloon(const std::string& text, std::uint8_t seconds) = 0;
};

class TrayStatusReport {
 public:
  // `history` keeps each reading taken for the report; none keeps none.
  // Without `acknowledged` every WARN reads WARN.
  TrayStatusReport(TrayStatusView& view, const Settings& settings, DriveQueue& drives,
                   LastReadings& last, ReadingLog* history = nullptr,
                   AcknowledgedWarnings* acknowledged = nullptr)
      : view_(view),
        settings_(settings),
        drives_(drives),
        last_(last),
        history_(history),
        acknowledged_(acknowledged) {}

  // The window went to the tray; `driveCount` rows are reported.
  void WindowHidden(std::size_t driveCount);

 private:
  // Reads the drive of row `row`, adds its lines to the balloon's `entries`
  // and goes on.
  void ReportFrom(std::vector<DriveNumber> rows, std::size_t row, std::vector<std::string> entries);

  TrayStatusView& view_;
  const Settings& settings_;
  DriveQueue& drives_;
  LastReadings& last_;
  ReadingLog* history_;
  AcknowledgedWarnings* acknowledged_;
  // A report still reading its drives; another one then adds nothing.
  bool reporting_ = false;
};

}  // namespace halvoric
