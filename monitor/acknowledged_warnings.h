// SPDX-License-Identifier: GPL-3.0-or-later
// The warnings the user acknowledged: such a drive reads OK, in the list and
// the tray, until one of the counts behind its warning changes.
#pragma once

#include <optional>
#include <string>

#include "drive/drive_queue.h"
#include "monitor/health_record.h"
#include "monitor/last_readings.h"
#include "settings/journal.h"

namespace halvoric {

class AcknowledgedWarnings {
 public:
  // `path` is the file they are kept in, read at the first reading taken.
  AcknowledgedWarnings(DriveQueue& drives, JournalLines& journal, std::string path)
      : drives_(drives), journal_(journal), path_(std::move(path)) {}

  // A reading's verdict as the user last saw it: WARN reads OK while the
  // counts are those acknowledged.
  void Apply(LastReading& reading);
  // The user acknowledged drive `n`'s warning as `reading` shows it: it is
  // kept, journalled and applied. False for a reading that is no WARN or
  // has no serial number to keep it under.
  bool Acknowledge(DriveNumber n, LastReading& reading);

 private:
  AcknowledgedCounts& Counts();

  DriveQueue& drives_;
  JournalLines& journal_;
  std::string path_;
  std::optional<AcknowledgedCounts> counts_;
};

// Takes a drive's summary into its last reading (a `serial` left empty
// keeps the one known), with the warnings acknowledged, where kept.
void TakeReading(LastReading& last, const DriveSummary& summary, const std::string& serial,
                 AcknowledgedWarnings* acknowledged);

}  // namespace halvoric
