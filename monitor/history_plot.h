// SPDX-License-Identifier: GPL-3.0-or-later
// What the history window draws, worked out without widgets: the readings
// of the chosen range thinned to what a window's width can show, cut into
// runs wherever the drive slept or the program did not run, the spans of
// standby, the time axis' ticks on calendar boundaries, the point under the
// pointer, and the CSV a user exports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "monitor/history_store.h"

namespace halvoric {

enum class HistoryRange { Hour, Day, Week, Month, Year };

struct HistoryRangeInfo {
  HistoryRange Range;
  const char* Label;  // the button's text
  std::int64_t Seconds;
};

// Hour, day, week, month (30 days), year (365 days), in that order.
const std::vector<HistoryRangeInfo>& HistoryRanges();

// No reading for this long means the program did not run (the watch reads
// every 30 seconds; a missed check or two is not a gap).
inline constexpr std::int64_t kGapSeconds = 15 * 60;

// About as many points as a wide window has pixels to spare for them.
inline constexpr std::size_t kMostPlotPoints = 800;

struct PlotRun {
  std::vector<HistoryPoint> Points;
  // Some points stand for several readings: draw their minimum and maximum.
  bool Banded = false;
};

// The points of `from` to `to` that carry a temperature, merged into at
// most about `most` equal spans and cut into runs. A run ends where the
// drive slept, and where no point came for kGapSeconds or longer than two
// spans.
std::vector<PlotRun> PlotRuns(const std::vector<HistoryPoint>& points, std::int64_t from,
                              std::int64_t to, std::size_t most = kMostPlotPoints);

// A time the drive spent in standby or asleep, drawn apart from a gap.
struct StandbySpan {
  std::int64_t From = 0;
  std::int64_t To = 0;
  bool operator==(const StandbySpan&) const = default;
};

// The spans of `from` to `to` in which the drive slept, thinned as PlotRuns
// thins: each lasts from its first sleeping point to the next point, or a
// step past its last one when no point comes for a gap's length.
std::vector<StandbySpan> StandbySpans(const std::vector<HistoryPoint>& points, std::int64_t from,
                                      std::int64_t to, std::size_t most = kMostPlotPoints);

// The point of `runs` nearest to `time`, if one lies within `reach` seconds.
const HistoryPoint* PointNear(const std::vector<PlotRun>& runs, std::int64_t time,
                              std::int64_t reach);

// Seconds east of UTC at a Unix time, in the user's time zone.
using UtcOffset = std::function<std::int64_t(std::int64_t)>;

struct AxisTick {
  std::int64_t Time = 0;  // Unix seconds
  std::string Label;
  bool operator==(const AxisTick&) const = default;
};

// The time axis' ticks after `from` up to `to`, on the local calendar's
// boundaries: every ten minutes over an hour, every three hours over a day
// (a midnight named by its weekday), every midnight over a week, every
// Monday over a month and every first of the month over a year.
std::vector<AxisTick> AxisTicks(HistoryRange range, std::int64_t from, std::int64_t to,
                                const UtcOffset& offset);

// One line per point, oldest first, after a header: the time in UTC
// (ISO 8601), the span in seconds (0 for a reading as taken), minimum,
// mean and maximum temperature in °C (empty when none), and the state
// ("awake" or "standby").
std::string HistoryCsv(const std::vector<HistoryPoint>& points);

}  // namespace halvoric
