// SPDX-License-Identifier: GPL-3.0-or-later
// The time that rules how often alerts repeat; tests turn it by hand.
#pragma once

#include <chrono>

namespace halvoric {

class Clock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  virtual ~Clock() = default;
  virtual TimePoint Now() const = 0;
};

// The calendar time readings are kept under: the history outlives a boot,
// so it cannot count from one. Tests run a year of it in seconds.
class WallClock {
 public:
  using TimePoint = std::chrono::system_clock::time_point;

  virtual ~WallClock() = default;
  virtual TimePoint Now() const = 0;
};

}  // namespace halvoric
