// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/history_plot.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

namespace halvoric {

const std::vector<HistoryRangeInfo>& HistoryRanges() {
  static const std::vector<HistoryRangeInfo> ranges = {
      {HistoryRange::Hour, "Hour", 3600},
      {HistoryRange::Day, "Day", 24 * 3600},
      {HistoryRange::Week, "Week", 7 * 24 * 3600},
      {HistoryRange::Month, "Month", 30 * 24 * 3600},
      {HistoryRange::Year, "Year", 365 * 24 * 3600},
  };
  return ranges;
}

namespace {

// Folds `point` into `into`, weighting each mean by the time it stands for.
void Merge(HistoryPoint& into, double& weight, const HistoryPoint& point) {
  const double w = static_cast<double>(std::max<std::int64_t>(point.Span, 30));
  if (!into.Mean) {
    into.Mean = *point.Mean;
    into.Min = point.Min;
    into.Max = point.Max;
    weight = w;
    return;
  }
  into.Mean = (*into.Mean * weight + *point.Mean * w) / (weight + w);
  weight += w;
  into.Min = std::min(into.Min, point.Min);
  into.Max = std::max(into.Max, point.Max);
}

}  // namespace

namespace {

// The points of a range merged into slots of `Step` seconds.
struct Thinned {
  std::int64_t Step = 1;
  std::vector<HistoryPoint> Points;
  std::vector<bool> Banded;
};

Thinned Thin(const std::vector<HistoryPoint>& points, std::int64_t from, std::int64_t to,
             std::size_t most) {
  const std::int64_t length = std::max<std::int64_t>(to - from, 1);
  Thinned thinned;
  thinned.Step =
      std::max<std::int64_t>(1, (length + static_cast<std::int64_t>(most) - 1) /
                                    static_cast<std::int64_t>(std::max<std::size_t>(most, 1)));
  const std::int64_t step = thinned.Step;
  // Points closer than a step share one; a step with the drive asleep
  // throughout stays asleep.
  std::vector<HistoryPoint>& merged = thinned.Points;
  std::vector<bool>& banded = thinned.Banded;
  double weight = 0;
  std::int64_t slot = -1;
  for (const HistoryPoint& point : points) {
    const bool before = point.Span > 0 ? point.Time + point.Span <= from : point.Time < from;
    if (before || point.Time > to) continue;
    const std::int64_t at = (std::max(point.Time, from) - from) / step;
    if (at != slot || merged.empty()) {
      slot = at;
      merged.push_back({from + at * step, 0, std::nullopt, 0, 0, true});
      banded.push_back(false);
      weight = 0;
    }
    HistoryPoint& into = merged.back();
    if (!point.Mean) continue;
    const bool several = into.Mean.has_value();
    Merge(into, weight, point);
    into.Asleep = false;
    into.Span = std::max(into.Span, point.Span);
    if (several || point.Span > 0) banded.back() = true;
  }
  return thinned;
}

std::int64_t GapOf(std::int64_t step) { return std::max(kGapSeconds, 2 * step); }

}  // namespace

std::vector<PlotRun> PlotRuns(const std::vector<HistoryPoint>& points, std::int64_t from,
                              std::int64_t to, std::size_t most) {
  const Thinned thinned = Thin(points, from, to, most);
  std::vector<PlotRun> runs;
  const std::int64_t gap = GapOf(thinned.Step);
  std::int64_t last = 0;
  for (std::size_t i = 0; i < thinned.Points.size(); ++i) {
    const HistoryPoint& point = thinned.Points[i];
    if (point.Asleep || !point.Mean) {
      if (!runs.empty() && !runs.back().Points.empty()) runs.push_back({});
      continue;
    }
    // A run ends at a gap: the next point starts a new one.
    if (runs.empty() || (!runs.back().Points.empty() && point.Time - last > gap)) {
      runs.push_back({});
    }
    runs.back().Points.push_back(point);
    runs.back().Banded = runs.back().Banded || thinned.Banded[i];
    last = point.Time;
  }
  if (!runs.empty() && runs.back().Points.empty()) runs.pop_back();
  return runs;
}

std::vector<StandbySpan> StandbySpans(const std::vector<HistoryPoint>& points, std::int64_t from,
                                      std::int64_t to, std::size_t most) {
  const Thinned thinned = Thin(points, from, to, most);
  const std::int64_t gap = GapOf(thinned.Step);
  std::vector<StandbySpan> spans;
  const std::vector<HistoryPoint>& merged = thinned.Points;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    if (!merged[i].Asleep) continue;
    const std::int64_t start = merged[i].Time;
    const bool next = i + 1 < merged.size() && merged[i + 1].Time - start <= gap;
    // The program may have ended while the drive slept: the band stops a
    // step after what it saw.
    const std::int64_t end = std::min(to, next ? merged[i + 1].Time : start + thinned.Step);
    if (!spans.empty() && spans.back().To == start) {
      spans.back().To = end;
    } else {
      spans.push_back({start, end});
    }
  }
  return spans;
}

const HistoryPoint* PointNear(const std::vector<PlotRun>& runs, std::int64_t time,
                              std::int64_t reach) {
  const HistoryPoint* nearest = nullptr;
  std::int64_t distance = reach;
  for (const PlotRun& run : runs) {
    for (const HistoryPoint& point : run.Points) {
      const std::int64_t d = point.Time > time ? point.Time - time : time - point.Time;
      if (d <= distance) {
        distance = d;
        nearest = &point;
      }
    }
  }
  return nearest;
}

namespace {

constexpr std::int64_t kDay = 86400;

// Howard Hinnant's days_from_civil and civil_from_days, for the proleptic
// Gregorian calendar.
struct CivilDate {
  std::int64_t Year;
  unsigned Month;  // 1..12
  unsigned Day;    // 1..31
};

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shifted = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
  return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); }

constexpr std::array<const char*, 7> kWeekdays = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Which days of the range carry ticks.
enum class TickDays { Every, Mondays, FirstOfMonth };

struct TickRule {
  HistoryRange Range;
  std::int64_t Every;  // seconds between ticks within a day; 0: midnight only
  TickDays Days;
};

constexpr std::array<TickRule, 5> kTickRules = {{
    {HistoryRange::Hour, 600, TickDays::Every},
    {HistoryRange::Day, 3 * 3600, TickDays::Every},
    {HistoryRange::Week, 0, TickDays::Every},
    {HistoryRange::Month, 0, TickDays::Mondays},
    {HistoryRange::Year, 0, TickDays::FirstOfMonth},
}};

// `days` since 1970-01-01 (a Thursday) as the rule names that day.
std::string DayLabel(std::int64_t days, TickDays kind) {
  const CivilDate date = CivilFromDays(days);
  switch (kind) {
    case TickDays::Every:
      return std::string(kWeekdays[static_cast<std::size_t>(((days % 7) + 7) % 7)]) + " " +
             std::to_string(date.Day);
    case TickDays::Mondays:
      return std::to_string(date.Day) + " " + kMonths[date.Month - 1];
    case TickDays::FirstOfMonth:
      break;
  }
  // January names its year, so that a year's axis says where it turns.
  return date.Month == 1 ? std::string("Jan ") + std::to_string(date.Year)
                         : std::string(kMonths[date.Month - 1]);
}

bool TickOn(std::int64_t days, TickDays kind) {
  switch (kind) {
    case TickDays::Every:
      return true;
    case TickDays::Mondays:
      return ((days % 7) + 7) % 7 == 4;
    case TickDays::FirstOfMonth:
      break;
  }
  return CivilFromDays(days).Day == 1;
}

}  // namespace

std::vector<AxisTick> AxisTicks(HistoryRange range, std::int64_t from, std::int64_t to,
                                const UtcOffset& offset) {
  const auto rule = std::find_if(kTickRules.begin(), kTickRules.end(),
                                 [range](const TickRule& r) { return r.Range == range; });
  std::vector<AxisTick> ticks;
  if (rule == kTickRules.end() || to <= from) return ticks;
  // A local time back to Unix time, with the offset in force then (a
  // daylight saving change moves the ticks after it with the clock).
  const auto unix = [&offset](std::int64_t local) { return local - offset(local - offset(local)); };
  const std::int64_t every = rule->Every > 0 ? rule->Every : kDay;
  const std::int64_t firstDay = FloorDiv(from + offset(from), kDay);
  const std::int64_t lastDay = FloorDiv(to + offset(to), kDay);
  for (std::int64_t day = firstDay; day <= lastDay; ++day) {
    if (!TickOn(day, rule->Days)) continue;
    for (std::int64_t within = 0; within < kDay; within += every) {
      const std::int64_t time = unix(day * kDay + within);
      if (time <= from || time > to) continue;
      std::string label;
      if (within == 0) {
        label = DayLabel(day, rule->Days);
      } else {
        char clock[8];
        std::snprintf(clock, sizeof clock, "%02d:%02d", static_cast<int>(within / 3600),
                      static_cast<int>(within % 3600 / 60));
        label = clock;
      }
      ticks.push_back({time, std::move(label)});
    }
  }
  return ticks;
}

std::string HistoryCsv(const std::vector<HistoryPoint>& points) {
  std::string csv = "time,span_seconds,min_celsius,mean_celsius,max_celsius,state\n";
  for (const HistoryPoint& point : points) {
    const std::time_t time = static_cast<std::time_t>(point.Time);
    std::tm utc{};
    gmtime_r(&time, &utc);
    char line[128];
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);
    if (point.Mean) {
      std::snprintf(line, sizeof line, "%s,%lld,%d,%.1f,%d,%s\n", stamp,
                    static_cast<long long>(point.Span), point.Min, *point.Mean, point.Max,
                    point.Asleep ? "standby" : "awake");
    } else {
      std::snprintf(line, sizeof line, "%s,%lld,,,,%s\n", stamp, static_cast<long long>(point.Span),
                    point.Asleep ? "standby" : "awake");
    }
    csv += line;
  }
  return csv;
}

}  // namespace halvoric
