// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/history_plot.h"

#include <algorithm>
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

std::vector<PlotRun> PlotRuns(const std::vector<HistoryPoint>& points, std::int64_t from,
                              std::int64_t to, std::size_t most) {
  const std::int64_t length = std::max<std::int64_t>(to - from, 1);
  const std::int64_t step =
      std::max<std::int64_t>(1, (length + static_cast<std::int64_t>(most) - 1) /
                                    static_cast<std::int64_t>(std::max<std::size_t>(most, 1)));
  // Points closer than a step share one; a step with the drive asleep
  // throughout stays asleep.
  std::vector<HistoryPoint> merged;
  std::vector<bool> banded;
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

  std::vector<PlotRun> runs;
  const std::int64_t gap = std::max(kGapSeconds, 2 * step);
  std::int64_t last = 0;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    const HistoryPoint& point = merged[i];
    if (point.Asleep || !point.Mean) {
      if (!runs.empty() && !runs.back().Points.empty()) runs.push_back({});
      continue;
    }
    // A run ends at a gap: the next point starts a new one.
    if (runs.empty() || (!runs.back().Points.empty() && point.Time - last > gap)) {
      runs.push_back({});
    }
    runs.back().Points.push_back(point);
    runs.back().Banded = runs.back().Banded || banded[i];
    last = point.Time;
  }
  if (!runs.empty() && runs.back().Points.empty()) runs.pop_back();
  return runs;
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
