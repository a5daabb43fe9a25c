// SPDX-License-Identifier: GPL-3.0-or-later
// The rows the drive core produces, and the small sinks that receive them.
// The main window, the command-line tool and the tests implement these, so
// all of them see exactly the same rows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drive/channel.h"

namespace halvoric {

// Texts are byte strings as the drive sent them; the degree sign is UTF-8.
inline constexpr const char* kDegreeSign = "\xC2\xB0";
inline constexpr const char* kDegreesCelsius =
    "\xC2\xB0"
    "C";

// An attribute is OK or BAD; a drive may also read WARN (counted defects,
// a past failure) or N/A (nothing could be read to judge it by).
enum class Status { Ok, Bad, Warn, Unknown };
const char* StatusText(Status status);  // "OK", "BAD", "WARN" or "N/A"

// A row of the drive list (ID, Model, Temp, Status) with its check box.
struct DriveListRow {
  DriveNumber Number = 0;
  std::string Id;  // the number as the list shows it
  std::string Model;
  std::string Temp;
  Status State = Status::Ok;
  std::vector<std::string> Reasons;  // why it reads as it does (drive/verdict.h)
  std::string ModelWarning;          // the drive database's warning for the model
  std::string SelfTest;              // while one runs: "Extended self-test: 70% left"
  bool Checked = true;
};

// A row of the Disk Info page. Value is absent for a caption-only row.
struct DiskInfoRow {
  std::string Caption;
  std::optional<std::string> Value;
};

// A row of the SMART Info page (ID, Attribute Name, Threshold, Value, Worst,
// RAW, Status), every column as the page shows it.
struct SmartInfoRow {
  std::string Id;
  std::string Name;
  std::string Threshold;
  std::string Value;
  std::string Worst;
  std::string Raw;
  Status State = Status::Ok;
  // The raw value as the drive means it ("41 (Min/Max 18/47)"), the RAW
  // cell's tooltip; empty for none.
  std::string RawText;
};

class DriveListSink {
 public:
  virtual ~DriveListSink() = default;
  virtual void AppendDriveRow(const DriveListRow& row) = 0;
};

class DiskInfoSink {
 public:
  virtual ~DiskInfoSink() = default;
  virtual void ClearDiskInfo() = 0;
  virtual void AppendDiskInfoRow(const DiskInfoRow& row) = 0;
};

class SmartInfoSink {
 public:
  virtual ~SmartInfoSink() = default;
  virtual void ClearSmartInfo() = 0;
  virtual void AppendSmartInfoRow(const SmartInfoRow& row) = 0;
};

}  // namespace halvoric
