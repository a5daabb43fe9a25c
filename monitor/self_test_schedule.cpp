// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/self_test_schedule.h"

#include <cstdio>
#include <ctime>

namespace halvoric {
namespace {

constexpr struct {
  char Letter;
  SelfTestAction Action;
} kTestLetters[] = {
    {'L', SelfTestAction::Extended},
    {'S', SelfTestAction::Short},
    {'C', SelfTestAction::Conveyance},
};

}  // namespace

LocalHour LocalHourOf(WallClock::TimePoint time) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
  std::tm local{};
  localtime_r(&seconds, &local);
  LocalHour hour;
  hour.Month = local.tm_mon + 1;
  hour.Day = local.tm_mday;
  hour.Weekday = local.tm_wday == 0 ? 7 : local.tm_wday;
  hour.Hour = local.tm_hour;
  hour.Key =
      ((static_cast<std::int64_t>(local.tm_year + 1900) * 100 + hour.Month) * 100 + hour.Day) *
          100 +
      hour.Hour;
  return hour;
}

Result<SelfTestSchedule> SelfTestSchedule::Parse(const std::string& text) {
  SelfTestSchedule schedule;
  if (text.empty()) return schedule;
  schedule.pattern_ = WholeMatch::Compile(text);
  if (!schedule.pattern_) {
    return Failure{"The self-test schedule \"" + text +
                   "\" is no valid regular expression, or too large a one: no self-test is "
                   "scheduled"};
  }
  return schedule;
}

std::vector<SelfTestAction> SelfTestSchedule::Due(const LocalHour& hour) const {
  std::vector<SelfTestAction> due;
  if (!pattern_) return due;
  for (const auto& test : kTestLetters) {
    char subject[24];
    std::snprintf(subject, sizeof subject, "%c/%02d/%02d/%d/%02d", test.Letter, hour.Month,
                  hour.Day, hour.Weekday, hour.Hour);
    if (pattern_->Matches(subject)) due.push_back(test.Action);
  }
  return due;
}

}  // namespace halvoric
