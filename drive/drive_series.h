// SPDX-License-Identifier: GPL-3.0-or-later
// Every reader's list of requests, in the order the drive receives them. A
// command that joins the reading of a drive's tables joins kVerdictSteps,
// and with it every series that reads them.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "drive/drive_logs.h"
#include "drive/drive_session.h"

namespace halvoric {

// Behind the tables: the drive's own verdict, and its SCT status where
// neither table attribute holds its temperature.
inline constexpr SeriesStep kVerdictSteps[] = {
    {SeriesRequest::Send, false, DriveCommand::SmartReturnStatus},
    {SeriesRequest::Send, false, DriveCommand::SmartReadSctStatus, &NeedsSctTemperature},
};

// The step lists one after the other, as one series.
template <std::size_t... N>
constexpr std::array<SeriesStep, (N + ...)> JoinSteps(const SeriesStep (&... lists)[N]) {
  std::array<SeriesStep, (N + ...)> steps{};
  auto at = steps.begin();
  ((at = std::copy(lists, lists + N, at)), ...);
  return steps;
}

// The logs the health watch compares, read only where the drive keeps them.
inline constexpr SeriesStep kHealthLogSteps[] = {
    {SeriesRequest::Send, false, DriveCommand::SmartReadSelfTestLog, &KeepsSelfTestLog},
    {SeriesRequest::Send, false, DriveCommand::SmartReadErrorLog, &KeepsErrorLog},
};

namespace series_parts {
inline constexpr SeriesStep kSummaryTables[] = {
    {SeriesRequest::QueryIdentify},  {SeriesRequest::SmartEnable},    {SeriesRequest::Identify},
    {SeriesRequest::ReadAttributes}, {SeriesRequest::ReadThresholds},
};
inline constexpr SeriesStep kSummaryTablesIfAwake[] = {
    {SeriesRequest::PowerCheck, true}, {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},      {SeriesRequest::Identify},
    {SeriesRequest::ReadAttributes},   {SeriesRequest::ReadThresholds},
};
// The thresholds only behind a table that came back.
inline constexpr SeriesStep kDetailTables[] = {
    {SeriesRequest::QueryIdentify},  {SeriesRequest::SmartEnable},
    {SeriesRequest::Identify},       {SeriesRequest::ReadAttributes, true},
    {SeriesRequest::ReadThresholds},
};
// The power check first, before anything that would wake the drive.
inline constexpr SeriesStep kRecordTables[] = {
    {SeriesRequest::PowerCheck},           {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},          {SeriesRequest::Identify},
    {SeriesRequest::ReadAttributes, true}, {SeriesRequest::ReadThresholds},
};
inline constexpr SeriesStep kRecordTablesIfAwake[] = {
    {SeriesRequest::PowerCheck, true},     {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},          {SeriesRequest::Identify},
    {SeriesRequest::ReadAttributes, true}, {SeriesRequest::ReadThresholds},
};
// Nothing after an IDENTIFY or a table that did not come back. Without its
// thresholds every attribute would read OK, and the next whole reading
// would report a BAD one as a new change.
inline constexpr SeriesStep kHealthTables[] = {
    {SeriesRequest::QueryIdentify},  {SeriesRequest::SmartEnable},
    {SeriesRequest::Identify, true}, {SeriesRequest::ReadAttributes, true},
    {SeriesRequest::ReadThresholds},
};
inline constexpr SeriesStep kHealthTablesIfAwake[] = {
    {SeriesRequest::PowerCheck, true},     {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},          {SeriesRequest::Identify, true},
    {SeriesRequest::ReadAttributes, true}, {SeriesRequest::ReadThresholds},
};
}  // namespace series_parts

inline constexpr SeriesStep kPowerCheckSeries[] = {{SeriesRequest::PowerCheck, true}};
inline constexpr SeriesStep kModelSeries[] = {
    {SeriesRequest::QueryIdentify}, {SeriesRequest::SmartEnable}, {SeriesRequest::Identify}};
inline constexpr auto kSummarySeries = JoinSteps(series_parts::kSummaryTables, kVerdictSteps);
inline constexpr auto kSummarySeriesIfAwake =
    JoinSteps(series_parts::kSummaryTablesIfAwake, kVerdictSteps);
inline constexpr auto kDetailSeries = JoinSteps(series_parts::kDetailTables, kVerdictSteps);
inline constexpr auto kRecordSeries = JoinSteps(series_parts::kRecordTables, kVerdictSteps);
inline constexpr auto kRecordSeriesIfAwake =
    JoinSteps(series_parts::kRecordTablesIfAwake, kVerdictSteps);
inline constexpr auto kHealthSeries =
    JoinSteps(series_parts::kHealthTables, kVerdictSteps, kHealthLogSteps);
inline constexpr auto kHealthSeriesIfAwake =
    JoinSteps(series_parts::kHealthTablesIfAwake, kVerdictSteps, kHealthLogSteps);

// A drive's self-test and its logs: SMART READ DATA and IDENTIFY say which
// logs it keeps, and only those are asked for; the extended ones behind the
// health watch's.
inline constexpr SeriesStep kExtendedLogSteps[] = {
    {SeriesRequest::Send, false, DriveCommand::ReadExtendedSelfTestLog, &KeepsExtendedSelfTestLog},
    {SeriesRequest::Send, false, DriveCommand::ReadExtendedErrorLog, &KeepsExtendedErrorLog},
};
namespace series_parts {
inline constexpr SeriesStep kLogTables[] = {
    {SeriesRequest::QueryIdentify},
    {SeriesRequest::SmartEnable},
    {SeriesRequest::Identify},
    {SeriesRequest::ReadAttributes},
};
}  // namespace series_parts
inline constexpr auto kLogSeries =
    JoinSteps(series_parts::kLogTables, kHealthLogSteps, kExtendedLogSteps);

// A record and the logs in one open, as a run over many drives reads them.
inline constexpr auto kRecordAndLogSeries =
    JoinSteps(series_parts::kRecordTables, kHealthLogSteps, kExtendedLogSteps, kVerdictSteps);
inline constexpr auto kRecordAndLogSeriesIfAwake = JoinSteps(
    series_parts::kRecordTablesIfAwake, kHealthLogSteps, kExtendedLogSteps, kVerdictSteps);

// While a self-test runs, how far it got: SMART READ DATA byte 363, or an
// NVMe drive's self-test log; nothing but the power check for a sleeping disk.
inline constexpr SeriesStep kSelfTestPollSeries[] = {
    {SeriesRequest::PowerCheck, true},
    {SeriesRequest::ReadAttributes},
    {SeriesRequest::Send, false, DriveCommand::SmartReadSelfTestLog, &IsNvme},
};

}  // namespace halvoric
