// SPDX-License-Identifier: GPL-3.0-or-later
// Printing of drive rows for the command-line tool as text; the JSON
// documents are built in drive_json.h.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "drive/channel.h"
#include "drive/collecting_sinks.h"
#include "drive/power_mode.h"
#include "drive/row_sinks.h"

namespace halvoric::cli {

struct DrivePower {
  std::string Id;
  PowerMode Mode = PowerMode::Unknown;
};

void PrintDriveList(std::ostream& out, const std::vector<DriveListRow>& drives);
void PrintDetails(std::ostream& out, DriveNumber drive, const CollectingSinks& rows);
void PrintPowerModes(std::ostream& out, const std::vector<DrivePower>& drives);

}  // namespace halvoric::cli
