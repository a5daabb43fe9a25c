// A drive reduced to its temperature attribute (ID 194), and whether any of
// its attributes is at or below its threshold.
#pragma once

#include <cstdint>

#include "drive/row_sinks.h"

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
};

}  // namespace halvoric
