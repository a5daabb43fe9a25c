// SPDX-License-Identifier: GPL-3.0-or-later
// The temperatures a drive itself names as its limits, and the extremes it
// keeps, in degrees Celsius. Absent when the drive does not state them.
#pragma once

#include <optional>

namespace halvoric {

struct TemperatureLimits {
  std::optional<int> Warning{};
  std::optional<int> Critical{};
  std::optional<int> Lowest{};   // the lowest temperature the drive has seen
  std::optional<int> Highest{};  // the highest temperature the drive has seen
  bool operator==(const TemperatureLimits&) const = default;
};

}  // namespace halvoric
