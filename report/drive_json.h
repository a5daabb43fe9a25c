// SPDX-License-Identifier: GPL-3.0-or-later
// The documents of `halvoric-cli --json` (docs/cli-json.md, checked against
// docs/halvoric-cli.schema.json): keys named as smartctl names the same
// figures, absent figures null.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "drive/drive_record.h"
#include "drive/row_sinks.h"
#include "report/json_value.h"

namespace halvoric::cli {

// A drive's node ("/dev/sda"), absent for simulated drives.
using DeviceNode = std::optional<std::string>;

struct PoweredDrive {
  DriveNumber Number = 0;
  DeviceNode Node;
  PowerMode Mode = PowerMode::Unknown;
};

// The record's keys, in the order documented.
JsonMembers DriveRecordMembers(const DriveRecord& record, const DeviceNode& node);

struct RecordedDrive {
  DriveRecord Record;
  DeviceNode Node;
};

JsonValue DriveListDocument(const std::vector<RecordedDrive>& drives);
// One drive with the rows of its Disk Info page.
JsonValue::Object DriveDetailsDocument(const RecordedDrive& drive,
                                       const std::vector<DiskInfoRow>& rows);
JsonValue PowerModesDocument(const std::vector<PoweredDrive>& drives);

}  // namespace halvoric::cli
