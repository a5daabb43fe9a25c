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

}  // namespace halvoric
