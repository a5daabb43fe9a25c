// Printing of drive rows for the command-line tool, as text or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "drive/row_sinks.h"
#include "drive/summary.h"

namespace halvoric::cli {

struct ListedDrive {
  DriveListRow Row;
  DriveSummary Summary;
};

struct CollectedRows : DriveListSink, DiskInfoSink, SmartInfoSink {
  std::vector<DriveListRow> drives;
  std::vector<DiskInfoRow> diskInfo;
  std::vector<SmartInfoRow> smartInfo;

  void AppendDriveRow(const DriveListRow& row) override { drives.push_back(row); }
  void ClearDiskInfo() override { diskInfo.clear(); }
  void AppendDiskInfoRow(const DiskInfoRow& row) override { diskInfo.push_back(row); }
  void ClearSmartInfo() override { smartInfo.clear(); }
  void AppendSmartInfoRow(const SmartInfoRow& row) override { smartInfo.push_back(row); }
};

// A JSON string literal. Drive texts are bytes: valid UTF-8 passes, every
// other byte is written as the Latin-1 character of that code.
std::string JsonString(const std::string& bytes);

void PrintDriveList(std::ostream& out, const std::vector<ListedDrive>& drives, bool json);
void PrintDetails(std::ostream& out, const std::string& drive, const CollectedRows& rows,
                  bool json);

}  // namespace halvoric::cli
