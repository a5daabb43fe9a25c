// A drive reduced to its temperature attribute (ID 194).
#pragma once

#include <cstdint>

namespace halvoric {

inline constexpr std::int32_t NoTemperature = -9999;
inline constexpr std::int32_t NoThreshold = -10000;

struct DriveSummary {
  std::int32_t Temperature = NoTemperature;  // degrees Celsius
  std::int32_t Threshold = NoThreshold;
  std::int32_t Value = 0;  // normalised
  std::int32_t Worst = 0;  // normalised
};

}  // namespace halvoric
