// SPDX-License-Identifier: GPL-3.0-or-later
// What the history window draws, worked out without widgets: the readings
// of the chosen range thinned to what a window's width can show, cut into
// runs wherever the drive slept or the program did not run, and the CSV a
// user exports.
#pragma once

#include <cstdint>
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

// One line per point, oldest first, after a header: the time in UTC
// (ISO 8601), the span in seconds (0 for a reading as taken), minimum,
// mean and maximum temperature in °C (empty when none), and the state
// ("awake" or "standby").
std::string HistoryCsv(const std::vector<HistoryPoint>& points);

}  // namespace halvoric
