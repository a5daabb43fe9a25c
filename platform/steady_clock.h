// The machine's monotonic clock: setting the wall clock moves no alert.
#pragma once

#include "services/clock.h"

namespace halvoric {

class SteadyClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace halvoric
