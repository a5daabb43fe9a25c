// SPDX-License-Identifier: GPL-3.0-or-later
// What a drive's self-test and error logs say since they were last read: a
// failed self-test not seen before, or a rise of the error count, is news
// for the health alert; a failure that a later passing extended test
// supersedes is only noted, as the test that matters passed.
#pragma once

#include <string>
#include <vector>

#include "drive/drive_logs.h"
#include "monitor/health_record.h"

namespace halvoric {

struct LogChanges {
  std::vector<std::string> Alerts;  // each raises the health alert
  std::vector<std::string> Notes;   // journalled only
};

// "drive 0 (Spinner, serial SN-1)", as the journal names a drive.
std::string DriveNamed(DriveNumber n, const std::string& model, const std::string& serial);

// Compares the logs with `record`'s and brings the record up to date. The
// first logs read are the baseline; a log the drive did not send this time
// keeps what the record knew. Each line begins with `drive`.
LogChanges CompareLogs(const std::string& drive, const DriveLogs& logs, HealthRecord& record);

}  // namespace halvoric
