// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitor/drive_scan.h"

#include <memory>
#include <vector>

#include "base/text_trim.h"
#include "base/utf8.h"
#include "drive/collecting_sinks.h"
#include "drive/drive_number.h"

namespace halvoric {

void DriveScan::ScanDrives(const ScanProgress* progress) {
  struct Found {
    DriveNumber Number;
    std::string Model;
    SummaryReading Summary;
    std::string Closed;  // why this user may not open it; empty when read
  };
  std::vector<Found> found;
  unsigned diskCount = 0;
  // Written by the drives' thread, read by this one while it waits.
  std::atomic<unsigned> reading = 0;
  std::atomic<unsigned> total = 0;
  DriveQueue::Meanwhile meanwhile;
  if (progress != nullptr) {
    meanwhile = [progress, &reading, &total, start = progress->Time.Now()] {
      if (progress->Time.Now() - start < kScanProgressAfter || reading == 0) return;
      progress->View.ShowScanProgress(reading, total);
    };
  }
  drives_.RunAndWait(
      [&found, &diskCount, &reading, &total](DriveReader& reader) {
        DiskControl& disks = reader.Disks();
        diskCount = disks.DriveCount();
        const unsigned scanned = ScannedDriveCount(disks);
        total = scanned;
        for (unsigned number = 0; number < scanned; ++number) {
          reading = number + 1;
          const auto n = static_cast<DriveNumber>(number);
          if (!reader.DriveExists(n)) {
            // A disk this user may not open is there all the same: listed by the
            // kernel's model, unread.
            const OpenResult opened = disks.Open(DevicePath(n));
            if (opened.Ok()) disks.Close(*opened);
            if (opened.Kind == OpenError::PermissionDenied) {
              SummaryReading unread;
              unread.Summary = DriveSummary();
              found.push_back({n, disks.KernelModel(n), std::move(unread), opened.Message});
            }
            continue;
          }
          Found drive{n, {}, {}, {}};
          drive.Summary = reader.ReadSummary(n);
          drive.Model = reader.GetDriveModel(n);
          found.push_back(std::move(drive));
        }
      },
      meanwhile);
  if (const std::string unnumbered = UnnumberedDisksText(diskCount); !unnumbered.empty()) {
    journal_.AddLogLine(unnumbered);
  }
  driveCount_ = found.size();
  scanned_.clear();
  for (const Found& drive : found) {
    const DriveSummary& summary = *drive.Summary.Summary;
    LastReading& last = last_[drive.Number] = LastReading();
    last.Model = drive.Model;
    TakeReading(last, summary, drive.Summary.Serial, acknowledged_);
    if (!drive.Closed.empty()) {
      last.Reasons = {"this user may not open the drive"};
      journal_.AddLogLine("Drive " + std::to_string(drive.Number) + " (" +
                          PrintableText(TrimControls(drive.Model)) +
                          ") cannot be opened, so it is listed unread: " + drive.Closed);
    }
    DriveListRow row = RowOf(drive.Number, last);
    row.ModelWarning = summary.ModelWarning;
    sinks_.DriveList.AppendDriveRow(row);
    scanned_[drive.Number] = {drive.Model, summary.Limits, summary.ModelWarning};
    if (history_) history_->Keep(drive.Number, SummaryHistory(drive.Summary));
  }
}

namespace {

// Reads the rows of both detail pages; none when the drive cannot be opened.
void ReadDetails(DriveReader& reader, const std::string& driveText, const DriveAccess* access,
                 RecordedDetails& rows) {
  if (access == nullptr) {
    reader.ReadDriveDetails(driveText, rows, rows);
    return;
  }
  // The scan opened the drive already, so its level is known before the read.
  const DriveNumber n = ParseDriveNumber(driveText);
  ReportedFigureRows shown(access->LevelOf(n), rows, rows);
  const TemperatureSource temperature = reader.ReadDriveDetails(driveText, shown, shown);
  // Unknown now means the open failed and both pages were left as they were.
  if (const AccessLevel level = access->LevelOf(n); level != AccessLevel::Unknown) {
    rows.AppendDiskInfoRow(AccessSourceRow(level, temperature));
  }
}

}  // namespace

void DriveScan::ShowDriveDetails(const std::string& driveText) {
  auto rows = std::make_shared<RecordedDetails>();
  drives_.Run([driveText, rows, access = access_](
                  DriveReader& reader) { ReadDetails(reader, driveText, access, *rows); },
              [this, rows] { rows->ReplayInto(sinks_.DiskInfo, sinks_.SmartInfo); });
}

void DriveScan::FillDriveDetails(const std::string& driveText) {
  RecordedDetails rows;
  drives_.RunAndWait([&](DriveReader& reader) { ReadDetails(reader, driveText, access_, rows); });
  rows.ReplayInto(sinks_.DiskInfo, sinks_.SmartInfo);
}

void DriveScan::JournalDriveLimits(int criticalTemperature) {
  for (const auto& [n, drive] : scanned_) {
    const std::optional<int> own = drive.Limits.Critical;
    if (!own || criticalTemperature <= *own) continue;
    journal_.AddLogLine("Drive " + std::to_string(n) + " (" +
                        PrintableText(TrimControls(drive.Model)) + ") says it is critical at " +
                        std::to_string(*own) + kDegreesCelsius + "; the warning is set to " +
                        std::to_string(criticalTemperature) + kDegreesCelsius);
  }
}

std::optional<int> DriveScan::LowestWarningLimit() const {
  std::optional<int> lowest;
  for (const auto& [n, drive] : scanned_) {
    const std::optional<int> own = drive.Limits.Warning;
    if (own && (!lowest || *own < *lowest)) lowest = own;
  }
  return lowest;
}

void DriveScan::JournalDatabaseSkips(const std::vector<std::string>& skipped) {
  for (const std::string& why : skipped) {
    journal_.AddLogLine("Drive database entry skipped: " + PrintableText(why));
  }
}

void DriveScan::JournalModelWarnings() {
  for (const auto& [n, drive] : scanned_) {
    if (drive.ModelWarning.empty()) continue;
    journal_.AddLogLine("Drive " + std::to_string(n) + " (" +
                        PrintableText(TrimControls(drive.Model)) +
                        "): the drive database warns: " + PrintableText(drive.ModelWarning));
  }
}

void DriveScan::JournalMissingRights() {
  if (access_ == nullptr) return;
  // The report is kept where the drives are opened.
  AccessReport report;
  drives_.RunAndWait([this, &report](DriveReader&) { report = access_->Report(); });
  if (!report.Message.empty()) journal_.AddLogLine(report.Message);
}

}  // namespace halvoric
