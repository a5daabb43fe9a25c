// SPDX-License-Identifier: GPL-3.0-or-later
// What the history window draws: runs cut where the drive slept or the
// program did not run, thinned to a window's width, and the exported CSV.
#include "monitor/history_plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

namespace halvoric::testing {
namespace {

constexpr std::int64_t kT0 = 1'800'000'000;

HistoryPoint Reading(std::int64_t time, int temperature) {
  return {time, 0, temperature, temperature, temperature, false};
}
HistoryPoint Asleep(std::int64_t time) { return {time, 0, std::nullopt, 0, 0, true}; }
HistoryPoint Span(std::int64_t time, int low, double mean, int high) {
  return {time, 600, mean, low, high, false};
}

// Each run as its points' times after kT0, and whether it is banded.
std::vector<std::pair<std::vector<std::int64_t>, bool>> Shape(const std::vector<PlotRun>& runs) {
  std::vector<std::pair<std::vector<std::int64_t>, bool>> shape;
  for (const PlotRun& run : runs) {
    std::vector<std::int64_t> times;
    for (const HistoryPoint& point : run.Points) times.push_back(point.Time - kT0);
    shape.emplace_back(times, run.Banded);
  }
  return shape;
}

// Standby spans as times after kT0.
std::vector<std::pair<std::int64_t, std::int64_t>> Standby(const std::vector<StandbySpan>& spans) {
  std::vector<std::pair<std::int64_t, std::int64_t>> shape;
  for (const StandbySpan& span : spans) shape.emplace_back(span.From - kT0, span.To - kT0);
  return shape;
}

TEST(HistoryPlot, CutsRunsWhereTheDriveSleptOrTheProgramDidNotRun) {
  using Runs = std::vector<std::pair<std::vector<std::int64_t>, bool>>;
  using Spans = std::vector<std::pair<std::int64_t, std::int64_t>>;
  struct Case {
    const char* name;
    std::vector<HistoryPoint> points;
    Runs expected;
    Spans standby;  // drawn apart from a gap
  };
  const std::vector<Case> cases = {
      {"one run",
       {Reading(kT0, 30), Reading(kT0 + 30, 31), Reading(kT0 + 60, 32)},
       {{{0, 30, 60}, false}},
       {}},
      {"standby between",
       {Reading(kT0, 30), Asleep(kT0 + 30), Asleep(kT0 + 60), Reading(kT0 + 90, 32)},
       {{{0}, false}, {{90}, false}},
       {{30, 90}}},
      {"a missed check is no gap",
       {Reading(kT0, 30), Reading(kT0 + 600, 31)},
       {{{0, 600}, false}},
       {}},
      {"not running for 20 minutes",
       {Reading(kT0, 30), Reading(kT0 + 1200, 31)},
       {{{0}, false}, {{1200}, false}},
       {}},
      {"asleep first and last",
       {Asleep(kT0), Reading(kT0 + 30, 30), Asleep(kT0 + 60)},
       {{{30}, false}},
       {{0, 30}, {60, 65}}},
      {"asleep, then not running: the band stops a step on",
       {Asleep(kT0), Asleep(kT0 + 600), Reading(kT0 + 2400, 30)},
       {{{2400}, false}},
       {{0, 605}}},
      {"reduced spans are banded, readings after them too",
       {Span(kT0, 30, 33, 36), Span(kT0 + 600, 31, 33, 35), Reading(kT0 + 1200, 34)},
       {{{0, 600, 1200}, true}},
       {}},
      {"a missing span is a gap",
       {Span(kT0, 30, 33, 36), Span(kT0 + 1800, 31, 33, 35)},
       {{{0}, true}, {{1800}, true}},
       {}},
      {"outside the range", {Reading(kT0 - 60, 30), Reading(kT0 + 3601, 30)}, {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shape(PlotRuns(c.points, kT0, kT0 + 3600)), c.expected) << c.name;
    EXPECT_EQ(Standby(StandbySpans(c.points, kT0, kT0 + 3600)), c.standby) << c.name;
  }
}

// Unix time of a UTC calendar time.
std::int64_t Utc(int year, int month, int day, int hour, int minute) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  return static_cast<std::int64_t>(timegm(&tm));
}

// Each range ends at `to`, in a zone `offset` seconds east of UTC; the
// labels in order, and the first tick's time.
TEST(HistoryPlot, AxisTicksFallOnCalendarBoundaries) {
  struct Case {
    HistoryRange range;
    std::int64_t to;
    std::int64_t offset;
    const char* labels;
    std::int64_t first;
  };
  const std::int64_t now = Utc(2026, 12, 9, 7, 3);  // a Wednesday
  const std::vector<Case> cases = {
      {HistoryRange::Hour, now, 0, "06:10 06:20 06:30 06:40 06:50 07:00", Utc(2026, 12, 9, 6, 10)},
      {HistoryRange::Hour, Utc(2026, 12, 9, 0, 25), 0, "23:30 23:40 23:50 Wed 9 00:10 00:20",
       Utc(2026, 12, 8, 23, 30)},
      {HistoryRange::Day, now, 0, "09:00 12:00 15:00 18:00 21:00 Wed 9 03:00 06:00",
       Utc(2026, 12, 8, 9, 0)},
      {HistoryRange::Day, now, 19800, "15:00 18:00 21:00 Wed 9 03:00 06:00 09:00 12:00",
       Utc(2026, 12, 8, 9, 30)},
      // Every midnight: none missing.
      {HistoryRange::Week, now, 0, "Thu 3 Fri 4 Sat 5 Sun 6 Mon 7 Tue 8 Wed 9",
       Utc(2026, 12, 3, 0, 0)},
      {HistoryRange::Week, now, -8 * 3600, "Wed 2 Thu 3 Fri 4 Sat 5 Sun 6 Mon 7 Tue 8",
       Utc(2026, 12, 2, 8, 0)},
      {HistoryRange::Month, now, 0, "16 Nov 23 Nov 30 Nov 7 Dec", Utc(2026, 11, 16, 0, 0)},
      {HistoryRange::Month, Utc(2028, 3, 2, 12, 0), 0, "7 Feb 14 Feb 21 Feb 28 Feb",
       Utc(2028, 2, 7, 0, 0)},
      {HistoryRange::Year, now, 0, "Jan 2026 Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec",
       Utc(2026, 1, 1, 0, 0)},
  };
  for (const Case& c : cases) {
    const std::int64_t from =
        c.to - std::find_if(HistoryRanges().begin(), HistoryRanges().end(),
                            [&c](const HistoryRangeInfo& i) { return i.Range == c.range; })
                   ->Seconds;
    const std::vector<AxisTick> ticks =
        AxisTicks(c.range, from, c.to, [&c](std::int64_t) { return c.offset; });
    std::string labels;
    for (const AxisTick& tick : ticks) labels += (labels.empty() ? "" : " ") + tick.Label;
    EXPECT_EQ(labels, c.labels);
    ASSERT_FALSE(ticks.empty()) << c.labels;
    EXPECT_EQ(ticks.front().Time, c.first) << c.labels;
    EXPECT_LE(ticks.back().Time, c.to) << c.labels;
  }
}

TEST(HistoryPlot, ThinsAYearToAWindowsWidthKeepingLowestMeanAndHighest) {
  std::vector<HistoryPoint> points;
  for (std::int64_t t = 0; t < 365 * 86400; t += 600) {
    points.push_back(
        Span(kT0 + t, 20 + static_cast<int>(t / 600 % 10), 30, 40 + static_cast<int>(t / 600 % 7)));
  }
  const std::vector<PlotRun> runs = PlotRuns(points, kT0, kT0 + 365 * 86400, 800);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].Banded);
  EXPECT_LE(runs[0].Points.size(), 800u);
  EXPECT_GE(runs[0].Points.size(), 790u);
  for (const HistoryPoint& point : runs[0].Points) {
    EXPECT_EQ(point.Min, 20);
    EXPECT_EQ(point.Max, 46);
    EXPECT_DOUBLE_EQ(*point.Mean, 30.0);
  }
  // A night asleep inside a thinned point does not cut the line; a week does.
  std::vector<HistoryPoint> nights = {Reading(kT0, 30)};
  for (std::int64_t t = 1; t < 7 * 24 * 120; ++t) nights.push_back(Asleep(kT0 + 30 * t));
  nights.push_back(Reading(kT0 + 7 * 86400, 31));
  EXPECT_EQ(PlotRuns(nights, kT0, kT0 + 365 * 86400, 800).size(), 2u);
}

TEST(HistoryPlot, CsvHasOneLinePerPointInUtc) {
  const std::string csv = HistoryCsv({Span(0, 30, 32.25, 35), Reading(600, 41), Asleep(630)});
  EXPECT_EQ(csv,
            "time,span_seconds,min_celsius,mean_celsius,max_celsius,state\n"
            "1970-01-01T00:00:00Z,600,30,32.2,35,awake\n"
            "1970-01-01T00:10:00Z,0,41,41.0,41,awake\n"
            "1970-01-01T00:10:30Z,0,,,,standby\n");
}

}  // namespace
}  // namespace halvoric::testing
