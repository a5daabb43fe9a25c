// SPDX-License-Identifier: GPL-3.0-or-later
// Says in the journal when a drive ran past the deadline of its series, and
// so read as not answering: once, and again only after it answered in time.
#pragma once

#include <chrono>
#include <set>

#include "drive/drive_number.h"
#include "settings/journal.h"

namespace halvoric {

class SlowDriveReport {
 public:
  SlowDriveReport(JournalLines& journal, std::chrono::milliseconds deadline)
      : journal_(journal), deadline_(deadline) {}

  void SeriesEnded(DriveNumber n, bool overran);

 private:
  JournalLines& journal_;
  std::chrono::milliseconds deadline_;
  std::set<DriveNumber> slow_;
};

}  // namespace halvoric
