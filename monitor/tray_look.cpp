// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/tray_look.h"

namespace halvoric {

TrayLook TrayLookOf(const LastReadings& last, const std::vector<DriveNumber>& listed,
                    int criticalTemperature) {
  TrayLook look;
  for (const DriveNumber n : listed) {
    const auto found = last.find(n);
    if (found == last.end()) continue;
    const LastReading& reading = found->second;
    // Short lines: the tooltip holds 127 bytes, about six drives.
    look.Tip += "\nDrive " + std::to_string(n) + ": " + reading.Temperature + ", " +
                StatusText(reading.State);
    if (reading.State == Status::Bad) {
      look.Mark = Status::Bad;
    } else if (reading.State == Status::Warn && look.Mark != Status::Bad) {
      look.Mark = Status::Warn;
    }
    const bool hot = reading.Celsius != NoTemperature && reading.Celsius > criticalTemperature;
    look.Alarming = look.Alarming || hot || reading.State == Status::Bad;
  }
  return look;
}

}  // namespace halvoric
