// SPDX-License-Identifier: GPL-3.0-or-later
// When a self-test is due, in the form smartd's -s option takes: a POSIX
// extended regular expression that must match the whole of "T/MM/DD/d/HH"
// for the local hour, T being S (short), L (extended) or C (conveyance),
// d the weekday from 1 (Monday) to 7 (Sunday). "(S/../.././02|L/../../6/03)"
// runs a short test daily at 02 and an extended one on Saturdays at 03.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "drive/drive_database.h"
#include "drive/self_test.h"
#include "services/clock.h"

namespace halvoric {

struct LocalHour {
  int Month = 1;    // 1..12
  int Day = 1;      // 1..31
  int Weekday = 1;  // 1 Monday .. 7 Sunday
  int Hour = 0;     // 0..23
  // YYYYMMDDHH: the same for every moment of the hour, and growing.
  std::int64_t Key = 0;
};

// The local hour that holds `time`.
LocalHour LocalHourOf(WallClock::TimePoint time);

class SelfTestSchedule {
 public:
  // A schedule that names no test; the message names the fault of one that
  // is no valid expression.
  static Result<SelfTestSchedule> Parse(const std::string& text);

  // The tests that match `hour`, extended first, then short, then
  // conveyance: a longer test covers what a shorter one would.
  std::vector<SelfTestAction> Due(const LocalHour& hour) const;

 private:
  // The drive database's matcher: the same POSIX engine, refusing a
  // pattern too large to compile in little memory.
  std::optional<WholeMatch> pattern_;
};

}  // namespace halvoric
