// Every 30 seconds while the warning is on: re-read the watched drives and
// raise the alerts the user switched on. Every channel compares and reports
// the drive's temperature; a drive without one never alerts. Alert mails go
// out on a thread of their own: a mail server that does not answer must
// not hold up the sound, the popup or the hibernation countdown.
#include <filesystem>

#include "monitor/alert_mail.h"
#include "base/text_trim.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {
constexpr std::uint8_t kHibernateSeconds = 60;
}  // namespace

void TTessivar_Form::CheckTemp_TimerTimer() {
  CheckTemp_Timer->stop();
  // The alert's answer restarts the watch; a check from inside the wait
  // (the warning switched off and on again) would alert the same drive twice.
  if (AlertWaiting) return;
  const int rows = HDDs_ListView->topLevelItemCount();
  for (int i = 0; i < rows; ++i) {
    QTreeWidgetItem* row = HDDs_ListView->topLevelItem(i);
    if (row == nullptr || row->checkState(0) != Qt::Checked) continue;
    DriveSummary summary;
    Drives.GetDriveSummary(ParseDriveNumber(row->text(0).toStdString()), summary);
    // Rows after an alerted one compare with the raised critical temperature.
    if (summary.Temperature == NoTemperature || summary.Temperature <= Settings.CritTempValue) {
      continue;
    }
    SendAlertMail(summary);
    PlayAlertSound();
    if (Settings.PopupNotification) PopupAlert(summary);
  }
  // A warning switched off while a popup alert waited stays off; one the
  // alert's answer restarted keeps that start.
  if (Settings.TempWarn && !CheckTemp_Timer->isActive()) CheckTemp_Timer->start();
}

void TTessivar_Form::SendAlertMail(const DriveSummary& summary) {
  if (!Settings.EmailNotification || TrimControls(Settings.EmailAddr).empty()) return;
  AddLogLine("SEND email to : " + Settings.EmailAddr);
  AlertMails.Send(AlertMail(Settings.EmailAddr, std::to_string(summary.Temperature)),
                  [this](const Result<>& sent) {
                    if (!sent.Ok()) AddLogLine("The alert mail was not sent: " + sent.Message);
                  });
}

void TTessivar_Form::PlayAlertSound() {
  std::error_code ignored;
  // A folder is no sound; trying it would journal a failure every tick.
  if (!Settings.PlaySound || !std::filesystem::is_regular_file(Settings.SoundPath, ignored)) {
    return;
  }
  const Result<> played = Platform.Sounds.Play(Settings.SoundPath);
  if (!played.Ok()) AddLogLine("The alert sound did not play: " + played.Message);
}

void TTessivar_Form::PopupAlert(const DriveSummary& summary) {
  AddLogLine("Temperature is over maximum: " + std::to_string(summary.Temperature) + " > " +
             std::to_string(Settings.CritTempValue));
  HibernateCountdown = kHibernateSeconds;
  CheckTemp_Timer->stop();
  if (Settings.Hibernation) Hibernate_Timer->start();
  BringWindowToFront();

  std::string text = "A drive is at " + TemperatureText(summary) + ", above the critical " +
                     "temperature of " + std::to_string(Settings.CritTempValue) + kDegreesCelsius +
                     ".";
  if (Settings.Hibernation) {
    text += "\n\nThe PC hibernates in " + std::to_string(kHibernateSeconds) +
            " seconds unless you answer.";
  }
  AlertWaiting = true;
  Platform.Prompt.Alert(text);  // the countdown ticks while this waits
  AlertWaiting = false;

  Settings.CritTempValue = static_cast<std::uint8_t>(summary.Temperature);
  if (Settings.TempWarn) CheckTemp_Timer->start();
  Hibernate_Timer->stop();
  setWindowTitle("Halvoric");
  AddLogLine("USER cancelled the HIBERNATE action !");
  const std::string critical = std::to_string(Settings.CritTempValue);
  AddLogLine("CHANGED the alert temperature to: " + critical + kDegreeSign);
  Settings.Temp = critical;
  CritTemp_Edit->setText(QString::fromStdString(critical));
}

void TTessivar_Form::MailTest_ButtonClick() {
  if (TrimControls(Settings.EmailAddr).empty()) return;
  DriveSummary summary;
  Drives.GetDriveSummary(0, summary);
  const Result<> sent =
      Platform.Mail.Send(AlertMail(Settings.EmailAddr, TemperatureText(summary)));
  if (sent.Ok()) {
    Platform.Messages.ShowMessage("The Alert! Message was sent to: " + Settings.EmailAddr);
  } else {
    Platform.Messages.ShowError(sent.Message);
  }
}

}  // namespace halvoric
