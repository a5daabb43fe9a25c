// SPDX-License-Identifier: GPL-3.0-or-later
// What each drive said when it was last read, for the times it must not be
// asked: a disk in standby is left asleep and reported from here.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "drive/drive_reader.h"

namespace halvoric {

struct LastReading {
  std::string Model;
  std::string Temperature = "N/A";       // as the "Temp" cell shows it
  std::int32_t Celsius = NoTemperature;  // the same as a number
  Status State = Status::Unknown;        // as the "Status" cell shows it
  std::vector<std::string> Reasons;
  std::string Serial;   // empty while the drive has not identified itself
  DefectCounts Counts;  // what an acknowledged warning holds to
};

using LastReadings = std::map<DriveNumber, LastReading>;

// Drive `n`'s row of the drive list as `reading` shows it.
inline DriveListRow RowOf(DriveNumber n, const LastReading& reading) {
  return {.Number = n,
          .Id = std::to_string(n),
          .Model = reading.Model,
          .Temp = reading.Temperature,
          .State = reading.State,
          .Reasons = reading.Reasons,
          .ModelWarning = {},  // the scan's to add: the row keeps it
          .Checked = true};
}

// The drive list's rows, which the watches and the tray report bring up to
// date with each reading they take.
class DriveRowView {
 public:
  virtual ~DriveRowView() = default;
  // Shows `reading`'s temperature and verdict in drive `n`'s row.
  virtual void ShowDriveReading(DriveNumber n, const LastReading& reading) = 0;
};

}  // namespace halvoric
