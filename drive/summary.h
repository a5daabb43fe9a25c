// SPDX-License-Identifier: GPL-3.0-or-later
// A drive reduced to its temperature, its verdict and the reasons for it,
// and its own temperature limits.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/row_sinks.h"
#include "drive/temperature_limits.h"

namespace halvoric {

inline constexpr std::int32_t NoTemperature = -9999;
inline constexpr std::int32_t NoThreshold = -10000;

// Where a drive's temperature was read.
enum class TemperatureSource : std::uint8_t {
  None,
  Attribute194,  // the temperature attribute
  Attribute190,  // the airflow temperature attribute, for drives without 194
  SctStatus,     // the SCT status log, for drives with neither
  NvmeHealth,    // an NVMe drive's health log
};
// "attribute 194", "attribute 190", "SCT status", "NVMe health log", "none".
const char* TemperatureSourceText(TemperatureSource source);

// The raw counts of the defects that warn (reallocated, pending and
// uncorrectable sectors; an NVMe drive's media errors) by attribute ID.
using DefectCounts = std::map<std::uint8_t, std::uint64_t>;

struct DriveSummary {
  std::int32_t Temperature = NoTemperature;  // degrees Celsius
  std::int32_t Threshold = NoThreshold;
  std::int32_t Value = 0;  // normalised
  std::int32_t Worst = 0;  // normalised
  TemperatureSource TemperatureFrom = TemperatureSource::None;
  // The drive's verdict: BAD when the drive says it is failing or a row of
  // the SMART Info page reads BAD, WARN on counted defects or a past
  // failure, N/A when nothing could be read to judge it by.
  Status Health = Status::Unknown;
  // Why it reads as it does, worst first; also what an OK drive's user
  // should know (a cable's CRC errors).
  std::vector<std::string> Reasons;
  // The counts behind a WARN, zeros included: a warning the user
  // acknowledged holds while they stay as they were.
  DefectCounts Counts;
  // What the drive database warns of for this model and firmware (known
  // firmware faults); empty for none.
  std::string ModelWarning;
  // What the drive said to SMART RETURN STATUS: true for failing; none
  // where it was not asked or gave no answer.
  std::optional<bool> DriveFailing;
  // What the drive itself names as its limits (NVMe Identify Controller,
  // else the kernel's hwmon); for an NVMe drive Threshold is its critical
  // temperature, where it names one.
  TemperatureLimits Limits{};
};

}  // namespace halvoric
