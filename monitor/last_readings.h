// SPDX-License-Identifier: GPL-3.0-or-later
// What each drive said when it was last read, for the times it must not be
// asked: a disk in standby is left asleep and reported from here.
#pragma once

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/drive_reader.h"

namespace halvoric {

// A self-test that runs on the drive.
struct SelfTestProgress {
  std::string Kind;                // "short", "extended", ...; empty where unknown
  std::optional<int> PercentLeft;  // none until the drive said
};

// "Extended self-test: 70% left", "Self-test: 40% left", "Short self-test running".
inline std::string SelfTestProgressText(const SelfTestProgress& progress) {
  std::string text = progress.Kind.empty() ? "Self-test" : progress.Kind + " self-test";
  text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  if (!progress.PercentLeft) return text + " running";
  return text + ": " + std::to_string(*progress.PercentLeft) + "% left";
}

struct LastReading {
  std::string Model;
  std::string Temperature = "N/A";       // as the "Temp" cell shows it
  std::int32_t Celsius = NoTemperature;  // the same as a number
  Status State = Status::Unknown;        // as the "Status" cell shows it
  std::vector<std::string> Reasons;
  std::string Serial;                        // empty while the drive has not identified itself
  DefectCounts Counts;                       // what an acknowledged warning holds to
  std::optional<SelfTestProgress> SelfTest;  // while one runs
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
          .SelfTest = reading.SelfTest ? SelfTestProgressText(*reading.SelfTest) : "",
          .Checked = true};
}

// The drive list's rows, which the watches and the tray report bring up to
// date with each reading they take.
class DriveRowView {
 public:
  virtual ~DriveRowView() = default;
  // Shows `reading`'s temperature and verdict in drive `n`'s row.
  virtual void ShowDriveReading(DriveNumber n, const LastReading& reading) = 0;
  // The same for the readings of one check: what sums up every row (the
  // tray's look) is made once, not once per drive.
  virtual void ShowDriveReadings(
      const std::vector<std::pair<DriveNumber, const LastReading*>>& readings) {
    for (const auto& [n, reading] : readings) ShowDriveReading(n, *reading);
  }
};

}  // namespace halvoric
