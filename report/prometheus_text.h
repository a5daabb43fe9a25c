// SPDX-License-Identifier: GPL-3.0-or-later
// Drive records in the Prometheus text exposition format, for node_exporter's
// textfile collector. Names and labels follow smartctl_exporter where the
// figure means the same, so that dashboards and alert rules written for it
// work on our file; figures of our own start with "halvoric_".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drive/drive_record.h"

namespace halvoric {

struct LabelledRecord {
  std::string Device;  // the "device" label: the kernel's name, without /dev/
  DriveRecord Record;
};

// The "device" label of a simulated drive, which has no kernel name.
std::string SimulatedDeviceName(DriveNumber n);

// A label value as the format quotes it: backslash, double quote and line
// feed escaped, and every byte that is not UTF-8 replaced by U+FFFD, since a
// drive's strings are whatever bytes it sent and the reader wants UTF-8.
std::string EscapeLabelValue(std::string_view value);

// Every family once, with its HELP and TYPE lines, its samples together.
std::string PrometheusText(const std::vector<LabelledRecord>& drives);

}  // namespace halvoric
