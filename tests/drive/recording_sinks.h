// Sinks that keep every row they receive, for assertions.
#pragma once

#include <string>
#include <vector>

#include "drive/row_sinks.h"

namespace halvoric::test {

struct RecordingSinks : DriveListSink, DiskInfoSink, SmartInfoSink {
  std::vector<DriveListRow> drives;
  std::vector<DiskInfoRow> diskInfo;
  std::vector<SmartInfoRow> smartInfo;

  void AppendDriveRow(const DriveListRow& row) override { drives.push_back(row); }
  void ClearDiskInfo() override { diskInfo.clear(); }
  void AppendDiskInfoRow(const DiskInfoRow& row) override { diskInfo.push_back(row); }
  void ClearSmartInfo() override { smartInfo.clear(); }
  void AppendSmartInfoRow(const SmartInfoRow& row) override { smartInfo.push_back(row); }

  std::vector<std::string> DiskInfoCaptions() const {
    std::vector<std::string> captions;
    for (const auto& row : diskInfo) captions.push_back(row.Caption);
    return captions;
  }
  std::string DiskInfoValue(const std::string& caption) const {
    for (const auto& row : diskInfo) {
      if (row.Caption == caption) return row.Value.value_or("<none>");
    }
    return "<missing>";
  }
};

}  // namespace halvoric::test
