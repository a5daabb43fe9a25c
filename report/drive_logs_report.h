// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's self-test and logs (drive/drive_logs.h) for others: the
// command-line tool's text, and JSON under smartctl's keys.
#pragma once

#include <ostream>

#include "drive/drive_logs.h"
#include "report/json_value.h"

namespace halvoric::cli {

// "ata_smart_data" (its "self_test"), "ata_smart_self_test_log",
// "ata_smart_error_log", "nvme_self_test_log",
// "nvme_error_information_log": each only where the drive gave it.
JsonMembers DriveLogMembers(const DriveLogs& logs);

void PrintDriveLogs(std::ostream& out, const DriveLogs& logs);

// "Short self-test started on drive 0; it takes about 2 minutes."
void PrintSelfTestStarted(std::ostream& out, DriveNumber drive, const SelfTestStarted& started);

}  // namespace halvoric::cli
