// Sinks that keep every row they receive: the command-line tool prints them,
// the tests look at them.
#pragma once

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

}  // namespace halvoric
