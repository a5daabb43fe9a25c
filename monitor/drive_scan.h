// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up drive scan and the detail pages of the selected drive.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "drive/drive_access.h"
#include "drive/drive_reader.h"
#include "drive/row_sinks.h"
#include "monitor/acknowledged_warnings.h"
#include "monitor/history_recorder.h"
#include "monitor/last_readings.h"
#include "services/clock.h"
#include "settings/journal.h"

namespace halvoric {

// Where a long start-up scan says how far it has come.
class ScanProgressView {
 public:
  virtual ~ScanProgressView() = default;
  // Drive number `reading` - 1, the `reading`th of `total`, is being read.
  virtual void ShowScanProgress(unsigned reading, unsigned total) = 0;
};

// A scan taking longer than this shows its progress.
constexpr std::chrono::milliseconds kScanProgressAfter{500};

struct ScanProgress {
  ScanProgressView& View;
  const Clock& Time;
};

struct DriveScanSinks {
  DriveListSink& DriveList;
  DiskInfoSink& DiskInfo;
  SmartInfoSink& SmartInfo;
};

class DriveScan {
 public:
  // `access` says which rights reached each drive; null for simulated
  // drives, which need none. `history` keeps the scan's readings; none
  // keeps none. Without `acknowledged` every WARN reads WARN.
  DriveScan(DriveQueue& drives, const DriveAccess* access, DriveScanSinks sinks,
            JournalLines& journal, LastReadings& last, ReadingLog* history = nullptr,
            AcknowledgedWarnings* acknowledged = nullptr)
      : drives_(drives),
        access_(access),
        sinks_(sinks),
        journal_(journal),
        last_(last),
        history_(history),
        acknowledged_(acknowledged) {}

  // Journals each drive database entry its load had to skip.
  void JournalDatabaseSkips(const std::vector<std::string>& skipped);
  // Probes every drive number the disks have (up to 256) and gives each
  // drive found a row; returns once they are read. Disks past the drive
  // numbers' reach are journalled. Told to `progress` once it takes long.
  void ScanDrives(const ScanProgress* progress = nullptr);
  // Fills both detail pages for the drive whose number `driveText` holds,
  // once its rows are read.
  void ShowDriveDetails(const std::string& driveText);
  // The same, returning once the pages are filled: at start-up, which shows
  // them before it says it has started.
  void FillDriveDetails(const std::string& driveText);
  // Says once why drives were read only in part, when rights were missing.
  void JournalMissingRights();
  // Says, for each drive the scan found whose own critical temperature is
  // below the user's `criticalTemperature`, that the alert comes too late.
  void JournalDriveLimits(int criticalTemperature);
  // Says what the drive database warns of for each drive the scan found.
  void JournalModelWarnings();

  // The lowest warning temperature a drive the scan found names itself.
  std::optional<int> LowestWarningLimit() const;

  // How many drives the scan found.
  std::size_t DriveCount() const { return driveCount_; }

 private:
  DriveQueue& drives_;
  const DriveAccess* access_;
  DriveScanSinks sinks_;
  JournalLines& journal_;
  LastReadings& last_;
  ReadingLog* history_;
  AcknowledgedWarnings* acknowledged_;
  std::size_t driveCount_ = 0;
  struct ScannedDrive {
    std::string Model;
    TemperatureLimits Limits;
    std::string ModelWarning;
  };
  std::map<DriveNumber, ScannedDrive> scanned_;
};

}  // namespace halvoric
