// Printing of drive rows for the command-line tool, as text or as JSON.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "drive/channel.h"
#include "drive/collecting_sinks.h"
#include "drive/power_mode.h"
#include "drive/row_sinks.h"
#include "drive/summary.h"

namespace halvoric::cli {

struct ListedDrive {
  DriveListRow Row;
  DriveSummary Summary;
};

struct DrivePower {
  std::string Id;
  PowerMode Mode = PowerMode::Unknown;
};

// A JSON string literal. Drive texts are bytes: valid UTF-8 passes, every
// other byte is written as the Latin-1 character of that code.
std::string JsonString(const std::string& bytes);

void PrintDriveList(std::ostream& out, const std::vector<ListedDrive>& drives, bool json);
void PrintDetails(std::ostream& out, DriveNumber drive, const CollectingSinks& rows, bool json);
void PrintPowerModes(std::ostream& out, const std::vector<DrivePower>& drives, bool json);

}  // namespace halvoric::cli
