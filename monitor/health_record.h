// SPDX-License-Identifier: GPL-3.0-or-later
// The last reading of each drive's attributes, by serial number, kept in a
// small file beside config.xml so that a restart neither forgets a change
// nor reports it twice.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/attributes.h"

namespace halvoric {

inline constexpr char HealthRecordFileName[] = "drive-health.txt";

// A failed self-test as the drive logged it, known from an earlier read.
struct KnownFailedSelfTest {
  std::uint64_t Hours = 0;
  std::uint8_t Type = 0;
  std::uint8_t Result = 0;
  std::uint64_t Lba = 0;
  bool Superseded = false;  // a later passing extended test was seen
};

struct HealthRecord {
  std::vector<AttributeReading> Attributes;
  bool DriveFailing = false;  // the drive said so at the last reading
  // The logs: false until they were first read, the baseline after.
  bool LogsRead = false;
  std::vector<KnownFailedSelfTest> FailedSelfTests;
  std::optional<std::uint64_t> ErrorCount;
  // The local hour (YYYYMMDDHH) a scheduled self-test last started in.
  std::optional<std::int64_t> ScheduledHour;
};
using HealthRecords = std::map<std::string, HealthRecord>;

// An absent file is an empty record. Lines that cannot be read are left out:
// a drive forgotten is only read afresh, never reported as changed.
HealthRecords LoadHealthRecords(const std::string& path);

// Replaces the file whole, or leaves it as it was.
Result<> SaveHealthRecords(const std::string& path, const HealthRecords& records);

// The warnings the user acknowledged, by serial number, with the counts
// they were acknowledged at; in a file of their own beside the record, which
// older versions rewrite without knowing of them.
inline constexpr char AcknowledgedWarningsFileName[] = "drive-warnings-acknowledged.txt";
using AcknowledgedCounts = std::map<std::string, DefectCounts>;

// The same rules as the record's: an absent file is empty, a line that
// cannot be read is left out.
AcknowledgedCounts LoadAcknowledgedCounts(const std::string& path);
Result<> SaveAcknowledgedCounts(const std::string& path, const AcknowledgedCounts& counts);

}  // namespace halvoric
