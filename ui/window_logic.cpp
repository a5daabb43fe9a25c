// SPDX-License-Identifier: GPL-3.0-or-later
// The window's handlers, each handing the event to the logic object it
// belongs to, and the views through which those objects show themselves.
#include <QTreeWidgetItem>
#include <map>

#include "base/diagnostics.h"
#include "ui/list_view_sinks.h"
#include "ui/pictures.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

std::vector<DriveNumber> DrivesOfRows(const QTreeWidget& list, bool tickedOnly) {
  std::vector<DriveNumber> drives;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    const QTreeWidgetItem* row = list.topLevelItem(i);
    if (tickedOnly && row->checkState(0) != Qt::Checked) continue;
    drives.push_back(static_cast<DriveNumber>(row->data(0, kDriveNumberRole).toUInt()));
  }
  return drives;
}

}  // namespace

void TTessivar_Form::FormCreate() {
  Main_PageControl->setCurrentIndex(0);
  LoadSettings();
  Diagnose(DiagnosticArea::Startup, "the settings read");
  // Without a system log the journal still works on the Log page.
  if (const Result<> registered = EventLogWriter1.RegisterSource(); !registered.Ok()) {
    Platform.Monitor.Messages.get().ShowError(registered.Message);
  }
  SetColumnWidths();
  // Drive 0's pages filled and what the scan met journalled before the start
  // line, so that it stays the last line of the start-up.
  Monitor.StartUp();
  SettingsFile.SettleFirstStart(Monitor.Scan().LowestWarningLimit());
  ShowTrayLook();
  AddLogLine("Halvoric Started !");
  // Once the window is up: a change it reports may bring the window forward.
  QTimer::singleShot(0, this, [this] { Monitor.Health().Start(); });
}

void TTessivar_Form::HDDs_ListViewSelectItem(QTreeWidgetItem* item, bool /*selected*/) {
  // Runs for the row that lost the selection too, as the list reports it.
  if (item != nullptr) ShowDriveDetails(item->text(0).toStdString());
}

void TTessivar_Form::ShowDriveDetails(const std::string& driveText) {
  Monitor.Scan().ShowDriveDetails(driveText);
}

void TTessivar_Form::AddLogLine(const std::string& message) { Journal1.AddLogLine(message); }
void TTessivar_Form::Save_ButtonClick() { Journal1.Save(SaveDialog1); }
void TTessivar_Form::Clear_ButtonClick() { Journal1.Clear(); }

void TTessivar_Form::LoadSettings() { SettingsFile.Load(); }
bool TTessivar_Form::FormCloseQuery() { return SettingsFile.SaveAtClose(); }
void TTessivar_Form::SaveSettingsAtQuit() { SettingsFile.SaveAtQuit(); }

void TTessivar_Form::CheckTemp_TimerTimer() { Monitor.Watch().Check(); }
void TTessivar_Form::Hibernate_TimerTimer() { Monitor.Countdown().Tick(); }
void TTessivar_Form::MailTest_ButtonClick() { Monitor.Watch().SendTestMail(); }

void TTessivar_Form::AutoRun_CheckBoxClick() {
  Preferences1.StartAtLogonChanged(Checked(PreferenceBox::AutoRun));
}
void TTessivar_Form::EnableAutoRun() { Preferences1.EnableStartAtLogon(); }
void TTessivar_Form::DisableAutoRun() { Preferences1.DisableStartAtLogon(); }
void TTessivar_Form::LogEvents_CheckBoxClick() {
  Preferences1.LogEventsChanged(Checked(PreferenceBox::LogEvents));
}
void TTessivar_Form::SystemLogEvents_CheckBoxClick() {
  Preferences1.SystemLogChanged(Checked(PreferenceBox::SystemLog));
}
void TTessivar_Form::DiskStatus_CheckBoxClick() {
  Preferences1.DiskStatusChanged(Checked(PreferenceBox::DiskStatus));
}
void TTessivar_Form::Hibernate_CheckBoxClick() {
  Preferences1.HibernationChanged(Checked(PreferenceBox::Hibernate));
}
void TTessivar_Form::TempWarn_CheckBoxClick() {
  Monitor.Watch().WarningChanged(Checked(PreferenceBox::TempWarn));
}
void TTessivar_Form::PopupNotify_CheckBoxClick() {
  Preferences1.PopupChanged(Checked(PreferenceBox::Popup));
}
void TTessivar_Form::EmailNotify_CheckBoxClick() {
  Preferences1.EmailChanged(Checked(PreferenceBox::EmailNotify));
}
void TTessivar_Form::SndFile_CheckBoxClick() {
  Preferences1.SoundChanged(Checked(PreferenceBox::Sound));
}
void TTessivar_Form::CritTemp_EditChange() {
  Preferences1.CriticalTemperatureEdited(Text(PreferenceField::CritTemp));
}
void TTessivar_Form::CritTemp_EditExit() {
  Preferences1.CriticalTemperatureLeft(Text(PreferenceField::CritTemp));
}
void TTessivar_Form::Email_EditChange() {
  Preferences1.EmailAddressEdited(Text(PreferenceField::Email));
}
void TTessivar_Form::Email_EditExit() { Preferences1.EmailAddressLeft(); }
void TTessivar_Form::SoundPath_EditChange() {
  Preferences1.SoundPathEdited(Text(PreferenceField::SoundPath));
}
void TTessivar_Form::SoundPath_EditExit() { Preferences1.SoundPathLeft(); }
void TTessivar_Form::SndBrowse_ButtonClick() { Preferences1.ChooseSoundFile(OpenDialog1); }
void TTessivar_Form::SpeedButton1Click() { Preferences1.OpenHelp(); }
void TTessivar_Form::Image1Click() { Preferences1.OpenHomePage(); }

void TTessivar_Form::TrayIcon1MinimizeToTray() {
  Monitor.TrayStatus().WindowHidden(Monitor.Scan().DriveCount());
}
void TTessivar_Form::TrayIcon1DblClick() { TrayIcon1.ShowMainWindow(); }

void TTessivar_Form::BringWindowToFront() {
  TrayIcon1.ShowMainWindow();
  raise();
  activateWindow();
}

void TTessivar_Form::Exit1Click() { close(); }

// The views.

void TTessivar_Form::AppendJournalLine(const QString& line) {
  if (Log_Memo != nullptr) {
    Log_Memo->appendPlainText(line);
  } else {
    journalWaiting_.append(line);
  }
}

// As the text control gives it: the lines joined by line breaks.
QString TTessivar_Form::JournalText() const {
  return Log_Memo != nullptr ? Log_Memo->toPlainText() : journalWaiting_.join('\n');
}

void TTessivar_Form::ClearJournal() {
  if (Log_Memo != nullptr) Log_Memo->clear();
  journalWaiting_.clear();
}

void TTessivar_Form::ShowSettings(const halvoric::Settings& values) {
  using enum PreferenceBox;
  SetChecked(AutoRun, values.AutoRun);
  SetChecked(LogEvents, values.LogEvents);
  SetChecked(SystemLog, values.SystemLog);
  SetChecked(DiskStatus, values.DiskStatus);
  SetChecked(Hibernate, values.Hibernation);
  SetChecked(TempWarn, values.TempWarn);
  SetText(PreferenceField::CritTemp, QString::fromStdString(values.Temp));
  SetChecked(Popup, values.PopupNotification);
  SetChecked(EmailNotify, values.EmailNotification);
  SetText(PreferenceField::Email, QString::fromStdString(values.EmailAddr));
  SetChecked(Sound, values.PlaySound);
  SetText(PreferenceField::SoundPath, QString::fromStdString(values.SoundPath));
}

void TTessivar_Form::FocusCriticalTemperature() {
  MakePreferencesPage();
  CritTemp_Edit->setFocus();
}
void TTessivar_Form::ShowSoundPath(const std::string& path) {
  SetText(PreferenceField::SoundPath, QString::fromStdString(path));
}

std::vector<DriveNumber> TTessivar_Form::WatchedDrives() const {
  return DrivesOfRows(*HDDs_ListView, true);
}

void TTessivar_Form::StartCheckTimer() { CheckTemp_Timer->start(); }
void TTessivar_Form::StopCheckTimer() { CheckTemp_Timer->stop(); }
bool TTessivar_Form::CheckTimerActive() const { return CheckTemp_Timer->isActive(); }
void TTessivar_Form::BringToFront() { BringWindowToFront(); }
void TTessivar_Form::ShowCriticalTemperature(const std::string& text) {
  SetText(PreferenceField::CritTemp, QString::fromStdString(text));
}

void TTessivar_Form::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}
void TTessivar_Form::StartCountdownTimer() { Hibernate_Timer->start(); }
void TTessivar_Form::StopCountdownTimer() { Hibernate_Timer->stop(); }

std::vector<DriveNumber> TTessivar_Form::ListedDrives() const {
  return DrivesOfRows(*HDDs_ListView, false);
}

void TTessivar_Form::ShowDriveReading(DriveNumber n, const LastReading& reading) {
  sinks_->UpdateDriveRow(RowOf(n, reading));
  ShowTrayLook();
}

void TTessivar_Form::ShowDriveReadings(
    const std::vector<std::pair<DriveNumber, const LastReading*>>& readings) {
  for (const auto& [n, reading] : readings) sinks_->UpdateDriveRow(RowOf(n, *reading));
  ShowTrayLook();
}

void TTessivar_Form::ShowTrayLook() {
  TrayLook look = TrayLookOf(Monitor.Last(), ListedDrives(), Settings.CritTempValue);
  if (look.Mark != trayLook_.Mark) {
    static const std::map<Status, QColor> marks = {{Status::Warn, QColor(0xf0, 0xa0, 0x00)},
                                                   {Status::Bad, QColor(0xd0, 0x20, 0x20)}};
    const auto mark = marks.find(look.Mark);
    TrayIcon1.SetIcon(mark == marks.end() ? Glyph("tray.png")
                                          : MarkedGlyph("tray.png", mark->second));
  }
  if (look.Tip != trayLook_.Tip) TrayIcon1.SetHint(look.Tip);
  trayLook_ = std::move(look);
}

void TTessivar_Form::StartHealthTimer(std::uint32_t minutes) {
  HealthCheck_Timer->start(std::chrono::minutes(minutes));
}
void TTessivar_Form::StopHealthTimer() { HealthCheck_Timer->stop(); }

void TTessivar_Form::ShowStatusBalloon(const std::string& text, std::uint8_t seconds) {
  const bool alarming = TrayLookOf(Monitor.Last(), ListedDrives(), Settings.CritTempValue).Alarming;
  TrayIcon1.ShowBalloon("Halvoric", text,
                        alarming ? BalloonIconKind::Warning : BalloonIconKind::Info, seconds);
}

}  // namespace halvoric
