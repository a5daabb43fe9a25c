// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's identity and every attribute's state, read for the health watch.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/attributes.h"
#include "drive/drive_logs.h"
#include "drive/drive_reader.h"
#include "drive/power_mode.h"

namespace halvoric {

struct HealthReading {
  std::string Model;   // as the drive sends it, blank-padded
  std::string Serial;  // the key the last reading is kept under
  std::vector<AttributeReading> Attributes;
  // Each attribute's name as the window shows it, by the drive's meanings;
  // not kept between runs.
  std::map<std::uint8_t, std::string> Names;
  TableSource Source = TableSource::Ata;  // whose rules and names the readings follow
  // The drive's verdict and why (drive/verdict.h), and what it said to
  // SMART RETURN STATUS.
  Status Verdict = Status::Unknown;
  std::vector<std::string> Reasons;
  std::optional<bool> DriveFailing;
  std::int32_t Temperature = NoTemperature;  // as the drive's summary reads it
  // The self-test now and the logs, where the drive keeps them.
  DriveLogs Logs;
};

// A check of a drive that may be asleep: the power mode it answered, and
// the reading when it was awake.
struct HealthCheck {
  PowerMode Power = PowerMode::Unknown;
  std::optional<HealthReading> Reading;
};

// The same request series as a summary. Nothing when the drive cannot be
// opened, does not identify itself or sends no attribute table: a reading
// that says nothing must not look like a drive whose attributes vanished.
std::optional<HealthReading> ReadHealth(DriveReader& reader, DriveNumber n);
// The same behind CHECK POWER MODE in one open: no reading, and no other
// command, for a drive in standby or asleep.
HealthCheck ReadHealthIfAwake(DriveReader& reader, DriveNumber n);

}  // namespace halvoric
