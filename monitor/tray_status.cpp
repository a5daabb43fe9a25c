// The drive status balloon shown when the window goes to the tray, and the
// tray's ways back to the window and out of the program.
#include <QTreeWidgetItem>

#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
constexpr std::uint8_t kBalloonSeconds = 10;
}  // namespace

void TTessivar_Form::TrayIcon1MinimizeToTray() {
  if (!Settings.DiskStatus) return;
  std::string text;
  for (int i = 0; i < DriveCount && i < HDDs_ListView->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = HDDs_ListView->topLevelItem(i);
    const DriveNumber n = ParseDriveNumber(row->text(0).toStdString());
    const std::string model = Drives.GetDriveModel(n);
    DriveSummary summary;
    Drives.GetDriveSummary(n, summary);
    const std::string temperature = TemperatureText(summary);
    text += model + '\r' + "Temp: " + temperature + '\r';
    // Each drive's balloon replaces the last, so the user sees progress on
    // slow drives and the last one lists them all.
    TrayIcon1.ShowBalloon("Halvoric", text, BalloonIconKind::Info, kBalloonSeconds);
    row->setText(2, QString::fromStdString(temperature));
  }
}

void TTessivar_Form::TrayIcon1DblClick() { TrayIcon1.ShowMainWindow(); }

void TTessivar_Form::BringWindowToFront() {
  TrayIcon1.ShowMainWindow();
  raise();
  activateWindow();
}

void TTessivar_Form::Exit1Click() { close(); }

}  // namespace halvoric
