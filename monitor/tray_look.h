// SPDX-License-Identifier: GPL-3.0-or-later
// What the tray icon shows of the drives at a glance: a mark for the worst
// verdict, a tooltip with a line per drive, and whether the status balloon
// warns rather than informs.
#pragma once

#include <string>
#include <vector>

#include "monitor/last_readings.h"

namespace halvoric {

struct TrayLook {
  // Ok draws no mark; Warn an amber one, Bad a red one.
  Status Mark = Status::Ok;
  // "Halvoric", then "Drive N: temperature, verdict" for each drive.
  std::string Tip = "Halvoric";
  // A drive reads BAD or is above the critical temperature.
  bool Alarming = false;
  bool operator==(const TrayLook&) const = default;
};

// The look of the drives `listed`, in list order, from their last readings.
TrayLook TrayLookOf(const LastReadings& last, const std::vector<DriveNumber>& listed,
                    int criticalTemperature);

}  // namespace halvoric
