// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/slow_drives.h"

#include <string>

namespace halvoric {

void SlowDriveReport::SeriesEnded(DriveNumber n, bool overran) {
  const std::string drive = "Drive " + std::to_string(n);
  if (!overran) {
    if (slow_.erase(n) != 0) journal_.AddLogLine(drive + " answers again");
    return;
  }
  if (!slow_.insert(n).second) return;
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(deadline_).count();
  journal_.AddLogLine(drive + " did not answer within " + std::to_string(seconds) +
                      " seconds and reads as not answering");
}

}  // namespace halvoric
