// The window's start-up sequence and the detail read of the selected drive.
#include <QTreeWidgetItem>

#include "ui/list_view_sinks.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

constexpr DriveNumber kScannedDrives = 4;

void JournalMissingRights(TTessivar_Form& form) {
  if (!form.Platform.Access) return;
  const AccessReport report = form.Platform.Access->Report();
  if (!report.Message.empty()) form.AddLogLine(report.Message);
}

}  // namespace

void TTessivar_Form::FormCreate() {
  Main_PageControl->setCurrentIndex(0);
  LoadSettings();
  // Without a system log the journal still works on the Log page.
  if (const Result<> registered = EventLogWriter1.RegisterSource(); !registered.Ok()) {
    Platform.Messages.ShowError(registered.Message);
  }
  SetColumnWidths();
  ScanDrives();
  ShowDriveDetails("0");
  // Before the start line, so that the start line stays the last line of
  // the start-up and the reason for thin drive rows follows the scan that
  // met it.
  JournalMissingRights(*this);
  AddLogLine("Halvoric Started !");
}

void TTessivar_Form::SetColumnWidths() {
  const auto setWidths = [](QTreeWidget* list, std::initializer_list<int> widths) {
    int column = 0;
    for (int width : widths) list->setColumnWidth(column++, width);
  };
  setWidths(DiskInfo_ListView, {200, 150});
  setWidths(SMARTInfo_ListView, {45, 150, 70, 50, 50});
  setWidths(HDDs_ListView, {50, 200, 50, 50});
}

void TTessivar_Form::ScanDrives() {
  DriveCount = 0;
  for (DriveNumber n = 0; n < kScannedDrives; ++n) {
    if (!Drives.DriveExists(n)) continue;
    ++DriveCount;
    DriveSummary summary;
    Drives.GetDriveSummary(n, summary);
    const std::string model = Drives.GetDriveModel(n);
    AddDriveRow(*sinks_, n, model, summary);
  }
}

void TTessivar_Form::HDDs_ListViewSelectItem(QTreeWidgetItem* item, bool /*selected*/) {
  // Runs for the row that lost the selection too, as the list reports it.
  if (item != nullptr) ShowDriveDetails(item->text(0).toStdString());
}

void TTessivar_Form::ShowDriveDetails(const std::string& driveText) {
  if (!Platform.Access) {
    Drives.ReadDriveDetails(driveText, *sinks_, *sinks_);
    return;
  }
  // The scan opened the drive already, so its level is known before the read.
  const DriveNumber n = ParseDriveNumber(driveText);
  ReportedFigureRows shown(Platform.Access->LevelOf(n), *sinks_, *sinks_);
  Drives.ReadDriveDetails(driveText, shown, shown);
  // Unknown now means the open failed and both pages were left as they were.
  if (const AccessLevel level = Platform.Access->LevelOf(n); level != AccessLevel::Unknown) {
    sinks_->AppendDiskInfoRow(AccessSourceRow(level));
  }
}

}  // namespace halvoric
