// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's clocks: setting the wall clock moves no alert, and the
// history is kept in calendar time.
#pragma once

#include "services/clock.h"

namespace halvoric {

class SteadyClock final : public Clock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

class SystemWallClock final : public WallClock {
 public:
  TimePoint Now() const override { return std::chrono::system_clock::now(); }
};

}  // namespace halvoric
