#include "monitor/drive_scan.h"

#include "drive/drive_number.h"

namespace halvoric {

void DriveScan::ScanDrives() {
  driveCount_ = 0;
  for (DriveNumber n = 0; n < kScannedDrives; ++n) {
    if (!drives_.DriveExists(n)) continue;
    ++driveCount_;
    DriveSummary summary;
    drives_.GetDriveSummary(n, summary);
    const std::string model = drives_.GetDriveModel(n);
    AddDriveRow(sinks_.DriveList, n, model, summary);
    last_[n] = {model, TemperatureText(summary)};
  }
}

void DriveScan::ShowDriveDetails(const std::string& driveText) {
  if (access_ == nullptr) {
    drives_.ReadDriveDetails(driveText, sinks_.DiskInfo, sinks_.SmartInfo);
    return;
  }
  // The scan opened the drive already, so its level is known before the read.
  const DriveNumber n = ParseDriveNumber(driveText);
  ReportedFigureRows shown(access_->LevelOf(n), sinks_.DiskInfo, sinks_.SmartInfo);
  drives_.ReadDriveDetails(driveText, shown, shown);
  // Unknown now means the open failed and both pages were left as they were.
  if (const AccessLevel level = access_->LevelOf(n); level != AccessLevel::Unknown) {
    sinks_.DiskInfo.AppendDiskInfoRow(AccessSourceRow(level));
  }
}

void DriveScan::JournalMissingRights() {
  if (access_ == nullptr) return;
  const AccessReport report = access_->Report();
  if (!report.Message.empty()) journal_.AddLogLine(report.Message);
}

}  // namespace halvoric
