// SPDX-License-Identifier: GPL-3.0-or-later
// A drive's self-test and logs (drive/drive_logs.h) for others: the
// command-line tool's text, and JSON under smartctl's keys.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "drive/drive_logs.h"
#include "report/json_value.h"

namespace halvoric::cli {

// "ata_smart_data" (its "self_test"), "ata_smart_self_test_log",
// "ata_smart_error_log", "nvme_self_test_log",
// "nvme_error_information_log": each only where the drive gave it.
JsonMembers DriveLogMembers(const DriveLogs& logs);

void PrintDriveLogs(std::ostream& out, const DriveLogs& logs);

// The logs as rows of cells, newest first: the command-line tool lays them
// out in columns, the window in its tables.
using LogRows = std::vector<std::vector<std::string>>;
// Number, test, status, remaining ("40%"), lifetime hours, first failing
// LBA ("-" for none).
LogRows SelfTestRows(const SelfTestLog& log);
// Number, lifetime hours, description, registers ("error 0x40, status 0x51").
LogRows AtaErrorRows(const AtaErrorLog& log);
// Number, queue, command, status ("0x4004"), LBA.
LogRows NvmeErrorRows(const NvmeErrorLog& log);
// "short self-test running, 70% left", "none running; the last one:
// completed without error", or "not reported".
std::string SelfTestNowText(const DriveLogs& logs);

// "Short self-test started on drive 0; it takes about 2 minutes."
void PrintSelfTestStarted(std::ostream& out, DriveNumber drive, const SelfTestStarted& started);

}  // namespace halvoric::cli
