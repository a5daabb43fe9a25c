#include "monitor/tray_status.h"

namespace halvoric {

namespace {
constexpr std::uint8_t kBalloonSeconds = 10;
}  // namespace

void TrayStatusReport::WindowHidden(std::size_t driveCount) {
  if (!settings_.DiskStatus) return;
  const std::vector<DriveNumber> rows = view_.ListedDrives();
  std::string text;
  for (std::size_t i = 0; i < driveCount && i < rows.size(); ++i) {
    const std::string model = drives_.GetDriveModel(rows[i]);
    DriveSummary summary;
    drives_.GetDriveSummary(rows[i], summary);
    const std::string temperature = TemperatureText(summary);
    text += model + '\r' + "Temp: " + temperature + '\r';
    // Each drive's balloon replaces the last, so the user sees progress on
    // slow drives and the last one lists them all.
    view_.ShowStatusBalloon(text, kBalloonSeconds);
    view_.ShowTemperatureCell(i, temperature);
  }
}

}  // namespace halvoric
