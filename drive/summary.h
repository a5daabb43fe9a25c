// A drive reduced to its temperature attribute (ID 194), whether any of its
// attributes is BAD, and its own temperature limits.
#pragma once

#include <cstdint>

#include "drive/row_sinks.h"
#include "drive/temperature_limits.h"

namespace halvoric {

inline constexpr std::int32_t NoTemperature = -9999;
inline constexpr std::int32_t NoThreshold = -10000;

struct DriveSummary {
  std::int32_t Temperature = NoTemperature;  // degrees Celsius
  std::int32_t Threshold = NoThreshold;
  std::int32_t Value = 0;  // normalised
  std::int32_t Worst = 0;  // normalised
  // BAD when any row of the SMART Info page would read BAD.
  Status Health = Status::Ok;
  // What the drive itself names as its limits (NVMe Identify Controller,
  // else the kernel's hwmon); for an NVMe drive Threshold is its critical
  // temperature, where it names one.
  TemperatureLimits Limits{};
};

}  // namespace halvoric
