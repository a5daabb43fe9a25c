#include "monitor/tray_status.h"

#include "drive/power_mode.h"

namespace halvoric {

namespace {

constexpr std::uint8_t kBalloonSeconds = 10;

// Whether asking the drive anything but its power mode would wake it.
bool Asleep(DriveReader& drives, DriveNumber n) {
  const PowerMode mode = drives.CheckPowerMode(n);
  return mode == PowerMode::Standby || mode == PowerMode::Sleep;
}

}  // namespace

void TrayStatusReport::WindowHidden(std::size_t driveCount) {
  if (!settings_.DiskStatus) return;
  const std::vector<DriveNumber> rows = view_.ListedDrives();
  std::string text;
  for (std::size_t i = 0; i < driveCount && i < rows.size(); ++i) {
    const DriveNumber n = rows[i];
    LastReading& last = last_[n];
    // A disk in standby is reported from its last reading, not woken for it.
    const bool asleep = Asleep(drives_, n);
    if (!asleep) {
      last.Model = drives_.GetDriveModel(n);
      DriveSummary summary;
      drives_.GetDriveSummary(n, summary);
      last.Temperature = TemperatureText(summary);
    }
    text += last.Model + '\r' + "Temp: " + last.Temperature + (asleep ? " (standby)" : "") + '\r';
    // Each drive's balloon replaces the last, so the user sees progress on
    // slow drives and the last one lists them all.
    view_.ShowStatusBalloon(text, kBalloonSeconds);
    if (!asleep) view_.ShowTemperatureCell(i, last.Temperature);
  }
}

}  // namespace halvoric
