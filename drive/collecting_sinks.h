// SPDX-License-Identifier: GPL-3.0-or-later
// Sinks that keep every row they receive: the command-line tool prints them,
// the tests look at them.
#pragma once

#include <variant>
#include <vector>

#include "drive/row_sinks.h"

namespace halvoric {

struct CollectingSinks : DriveListSink, DiskInfoSink, SmartInfoSink {
  std::vector<DriveListRow> drives;
  std::vector<DiskInfoRow> diskInfo;
  std::vector<SmartInfoRow> smartInfo;

  void AppendDriveRow(const DriveListRow& row) override { drives.push_back(row); }
  void ClearDiskInfo() override { diskInfo.clear(); }
  void AppendDiskInfoRow(const DiskInfoRow& row) override { diskInfo.push_back(row); }
  void ClearSmartInfo() override { smartInfo.clear(); }
  void AppendSmartInfoRow(const SmartInfoRow& row) override { smartInfo.push_back(row); }
};

// Detail-page rows read on one thread and shown on another: every call in
// its order, clears included, so that a read that never opened the drive
// leaves the pages as they were.
class RecordedDetails final : public DiskInfoSink, public SmartInfoSink {
 public:
  void ClearDiskInfo() override { calls_.emplace_back(ClearDisk{}); }
  void AppendDiskInfoRow(const DiskInfoRow& row) override { calls_.emplace_back(row); }
  void ClearSmartInfo() override { calls_.emplace_back(ClearSmart{}); }
  void AppendSmartInfoRow(const SmartInfoRow& row) override { calls_.emplace_back(row); }

  void ReplayInto(DiskInfoSink& diskInfo, SmartInfoSink& smartInfo) const {
    for (const Call& call : calls_) {
      if (std::holds_alternative<ClearDisk>(call)) diskInfo.ClearDiskInfo();
      if (std::holds_alternative<ClearSmart>(call)) smartInfo.ClearSmartInfo();
      if (const auto* row = std::get_if<DiskInfoRow>(&call)) diskInfo.AppendDiskInfoRow(*row);
      if (const auto* row = std::get_if<SmartInfoRow>(&call)) smartInfo.AppendSmartInfoRow(*row);
    }
  }

 private:
  struct ClearDisk {};
  struct ClearSmart {};
  using Call = std::variant<ClearDisk, ClearSmart, DiskInfoRow, SmartInfoRow>;
  std::vector<Call> calls_;
};

}  // namespace halvoric
