// SPDX-License-Identifier: GPL-3.0-or-later
// What the history window draws: runs cut where the drive slept or the
// program did not run, thinned to a window's width, and the exported CSV.
#include "monitor/history_plot.h"

#include <gtest/gtest.h>

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

TEST(HistoryPlot, CutsRunsWhereTheDriveSleptOrTheProgramDidNotRun) {
  using Runs = std::vector<std::pair<std::vector<std::int64_t>, bool>>;
  struct Case {
    const char* name;
    std::vector<HistoryPoint> points;
    Runs expected;
  };
  const std::vector<Case> cases = {
      {"one run",
       {Reading(kT0, 30), Reading(kT0 + 30, 31), Reading(kT0 + 60, 32)},
       {{{0, 30, 60}, false}}},
      {"standby between",
       {Reading(kT0, 30), Asleep(kT0 + 30), Asleep(kT0 + 60), Reading(kT0 + 90, 32)},
       {{{0}, false}, {{90}, false}}},
      {"a missed check is no gap", {Reading(kT0, 30), Reading(kT0 + 600, 31)}, {{{0, 600}, false}}},
      {"not running for 20 minutes",
       {Reading(kT0, 30), Reading(kT0 + 1200, 31)},
       {{{0}, false}, {{1200}, false}}},
      {"asleep first and last",
       {Asleep(kT0), Reading(kT0 + 30, 30), Asleep(kT0 + 60)},
       {{{30}, false}}},
      {"reduced spans are banded, readings after them too",
       {Span(kT0, 30, 33, 36), Span(kT0 + 600, 31, 33, 35), Reading(kT0 + 1200, 34)},
       {{{0, 600, 1200}, true}}},
      {"a missing span is a gap",
       {Span(kT0, 30, 33, 36), Span(kT0 + 1800, 31, 33, 35)},
       {{{0}, true}, {{1800}, true}}},
      {"outside the range", {Reading(kT0 - 60, 30), Reading(kT0 + 3601, 30)}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Shape(PlotRuns(c.points, kT0, kT0 + 3600)), c.expected) << c.name;
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
