// SPDX-License-Identifier: GPL-3.0-or-later
// The request series of the drive core: presence probe, power check, model,
// temperature summary and the detail read, each opening and closing the
// drive once.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "drive/ata_blocks.h"
#include "drive/attributes.h"
#include "drive/channel.h"
#include "drive/disk_control.h"
#include "drive/drive_database.h"
#include "drive/drive_queue.h"
#include "drive/drive_session.h"
#include "drive/power_mode.h"
#include "drive/row_sinks.h"
#include "drive/summary.h"
#include "drive/temperature_limits.h"

namespace halvoric {

// A summary series with what it learnt of the drive on the way, for the
// history: the same requests, nothing asked in addition.
struct SummaryReading {
  PowerMode Power = PowerMode::Unknown;  // as CHECK POWER MODE said, when asked
  std::optional<DriveSummary> Summary;   // none when the drive slept
  std::string Serial;                    // empty when IDENTIFY failed
  std::string Model;
};

// Also the line that runs work at once, where it is given: the
// command-line tool and the tests need no thread.
class DriveReader final : public DriveQueue {
 public:
  explicit DriveReader(DiskControl& disks) : disks_(disks) {}

  void Run(Work work, Done done) override {
    work(*this);
    done();
  }
  void RunAndWait(Work work, const Meanwhile& /*meanwhile*/ = {}) override { work(*this); }
  void RunAt(const void* /*timer*/, TimePoint /*when*/, Work /*work*/, Done /*done*/) override {}
  void Cancel(const void* /*timer*/) override {}

  DiskControl& Disks() { return disks_; }
  ResultBlocks& Blocks() { return blocks_; }

  // The drive database that names attributes and reads their raw values;
  // null keeps the built-in meanings. One that covers only some drives is
  // traded for the whole database at the first drive it does not cover.
  void UseDatabase(std::shared_ptr<const DriveDatabase> database);
  // Keeps in `kept` the entries this reader's drives matched, when the
  // whole database was read (drive_database_files.h); once per whole read.
  Result<> KeepDatabase(const std::string& kept);
  // What the attributes of the drive a series just identified mean: by its
  // model and firmware, built once per drive.
  const DriveMeanings& MeaningsOf(const SeriesOutcome& series);

  bool DriveExists(DriveNumber n);
  // Opens drive `n`, sends CHECK POWER MODE and nothing else, and closes
  // it: a disk in standby stays spun down. Unknown when the drive cannot be
  // opened or the request fails; Standby, unopened, when the kernel has
  // runtime-suspended it.
  PowerMode CheckPowerMode(DriveNumber n);
  std::string GetDriveModel(DriveNumber n);
  void GetDriveSummary(DriveNumber n, DriveSummary& summary);
  // The summary series behind CHECK POWER MODE in the same open: nothing,
  // and no other command, when the drive is in standby or asleep. A drive
  // that cannot tell is read as GetDriveSummary reads it.
  std::optional<DriveSummary> GetDriveSummaryIfAwake(DriveNumber n);
  // The same two series, with the drive's power mode and identity.
  SummaryReading ReadSummary(DriveNumber n);
  SummaryReading ReadSummaryIfAwake(DriveNumber n);

  // One series of drive `n` over this reader's blocks (drive/drive_session.h).
  SeriesOutcome RunSeries(DriveNumber n, std::span<const SeriesStep> steps, FailedOpen failed) {
    return halvoric::RunSeries(disks_, blocks_, n, steps, failed);
  }

  // The drive's limits after a series' IDENTIFY (`identified`: it succeeded).
  TemperatureLimits LimitsOf(TableSource source, bool identified, DriveNumber n) const;
  // The summary of the tables and answers a series of drive `n` left in the
  // blocks, with its verdict and the drive's limits; an NVMe drive's
  // threshold is its critical temperature.
  DriveSummary DecodeSummary(const SeriesOutcome& series, DriveNumber n);

  // Fills both detail pages for drive `n` and says where its temperature
  // was found. A drive that cannot be opened leaves both pages as they were.
  TemperatureSource ReadDriveDetails(DriveNumber n, DiskInfoSink& diskInfo,
                                     SmartInfoSink& smartInfo);
  // The same for the drive whose number `driveText` holds in decimal; text
  // that holds no drive number opens no drive.
  TemperatureSource ReadDriveDetails(const std::string& driveText, DiskInfoSink& diskInfo,
                                     SmartInfoSink& smartInfo);

 private:
  // The summary's series, behind a power check that leaves a spun-down
  // drive alone when `ifAwake`.
  SummaryReading SummarySeries(DriveNumber n, bool ifAwake);

  DiskControl& disks_;
  ResultBlocks blocks_;
  std::shared_ptr<const DriveDatabase> database_;
  // Databases traded for the whole one: the meanings built from them stay.
  std::vector<std::shared_ptr<const DriveDatabase>> traded_;
  // The entry each drive matched, by "MODEL\nFIRMWARE"; null for none.
  std::map<std::string, const DriveEntry*> matched_;
  bool keepWanted_ = false;
  // Drives of one entry and kind share their meanings (some 40 KiB): a
  // machine of many disks keeps a copy per model family, not per disk.
  std::map<std::string, const DriveMeanings*> meaningsOfDrive_;  // by model, firmware and kind
  std::map<std::pair<const DriveEntry*, DriveKind>, DriveMeanings> meanings_;
};

// The drive number a row caption holds in decimal; 0 for anything else.
DriveNumber ParseDriveNumber(const std::string& text);

// "41°C", or "N/A" for a drive without a temperature.
std::string TemperatureText(const DriveSummary& summary);

// "Warning temperature", "Critical temperature", "Lowest temperature seen"
// and "Highest temperature seen", each only where the drive gives it.
void ShowTemperatureLimits(DiskInfoSink& sink, const TemperatureLimits& limits);

// Appends the drive's row (ID, model, temperature, status; checked).
void AddDriveRow(DriveListSink& sink, DriveNumber n, const std::string& model,
                 const DriveSummary& summary);

}  // namespace halvoric
