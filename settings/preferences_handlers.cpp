// The Preferences page: every control keeps its setting equal to itself and
// journals the change. The same handlers run when the settings load sets
// the controls, so a setting loaded as on has its full effect.
#include <QCoreApplication>
#include <QDir>

#include "settings/text_forms.h"
#include "base/text_trim.h"
#include "ui/home_page.h"
#include "ui/tessivar_form.h"

namespace halvoric {

namespace {

constexpr const char* kHelpFileName = "help.html";

}  // namespace

void TTessivar_Form::ApplyCheckBox(QCheckBox* box, bool halvoric::Settings::*field,
                                   const char* onLine, const char* offLine) {
  const bool checked = box->isChecked();
  Settings.*field = checked;
  if (onLine != nullptr) AddLogLine(checked ? onLine : offLine);
}

void TTessivar_Form::AutoRun_CheckBoxClick() {
  if (AutoRun_CheckBox->isChecked()) {
    EnableAutoRun();
  } else {
    DisableAutoRun();
  }
  Settings.AutoRun = AutoRun_CheckBox->isChecked();
}

void TTessivar_Form::EnableAutoRun() {
  AddLogLine("ENABLED autorun");
  const Result<> done = Platform.StartAtLogon.Enable();
  if (!done.Ok()) AddLogLine("The start at logon entry could not be written: " + done.Message);
}

void TTessivar_Form::DisableAutoRun() {
  AddLogLine("DISABLED autorun");
  const Result<> done = Platform.StartAtLogon.Disable();
  if (!done.Ok()) AddLogLine("The start at logon entry could not be removed: " + done.Message);
}

void TTessivar_Form::LogEvents_CheckBoxClick() {
  ApplyCheckBox(LogEvents_CheckBox, &Settings::LogEvents, "ENABLED Log Events",
                "DISABLE Log Events");
}

void TTessivar_Form::SystemLogEvents_CheckBoxClick() {
  ApplyCheckBox(SystemLogEvents_CheckBox, &Settings::SystemLog, nullptr, nullptr);
}

void TTessivar_Form::DiskStatus_CheckBoxClick() {
  ApplyCheckBox(DiskStatus_CheckBox, &Settings::DiskStatus, "ENABLED disk status",
                "DISABLE disk status");
}

void TTessivar_Form::Hibernate_CheckBoxClick() {
  ApplyCheckBox(Hibernate_CheckBox, &Settings::Hibernation, "ENABLED hibernation",
                "DISABLE hibernation");
}

void TTessivar_Form::TempWarn_CheckBoxClick() {
  const bool checked = TempWarn_CheckBox->isChecked();
  Settings.TempWarn = checked;
  if (checked) {
    // Checking the box again must not put off a check that is already due.
    if (!CheckTemp_Timer->isActive()) CheckTemp_Timer->start();
  } else {
    CheckTemp_Timer->stop();
  }
  AddLogLine(checked ? "ENABLED temperature warning" : "DISABLE temperature warning");
}

void TTessivar_Form::PopupNotify_CheckBoxClick() {
  ApplyCheckBox(PopupNotify_CheckBox, &Settings::PopupNotification, "ENABLED popup notification",
                "DISABLE popup notification");
}

void TTessivar_Form::EmailNotify_CheckBoxClick() {
  ApplyCheckBox(EmailNotify_CheckBox, &Settings::EmailNotification, "ENABLED email notification",
                "DISABLE email notification");
}

void TTessivar_Form::SndFile_CheckBoxClick() {
  ApplyCheckBox(SndFile_CheckBox, &Settings::PlaySound, "ENABLED play sound", "DISABLE play sound");
}

namespace {

// A field shows its stored text as Unicode, which bytes that are not UTF-8
// (a Latin-1 file name, an older config.xml) do not survive. The stored
// bytes stay for as long as the field shows just them.
std::string FieldText(const QLineEdit& edit, const std::string& stored) {
  const QString shown = edit.text();
  return shown == QString::fromStdString(stored) ? stored : shown.toStdString();
}

}  // namespace

void TTessivar_Form::CritTemp_EditChange() {
  Settings.Temp = FieldText(*CritTemp_Edit, Settings.Temp);
}

void TTessivar_Form::CritTemp_EditExit() {
  const std::string text = CritTemp_Edit->text().toStdString();
  const std::string_view trimmed = TrimControls(text);
  if (trimmed.empty()) return;
  const std::optional<std::uint8_t> value = CritTempInRange(trimmed);
  if (!value) {
    Platform.Messages.ShowMessage("Error! Temp Warning must be in [0..100]");
    CritTemp_Edit->setFocus();
    return;
  }
  Settings.CritTempValue = *value;
  AddLogLine("CHANGED max temperature: " + std::to_string(*value) + kDegreeSign);
}

void TTessivar_Form::Email_EditChange() {
  Settings.EmailAddr = FieldText(*Email_Edit, Settings.EmailAddr);
}

void TTessivar_Form::Email_EditExit() {
  AddLogLine("CHANGED email address to: " + Settings.EmailAddr);
}

void TTessivar_Form::SoundPath_EditChange() {
  Settings.SoundPath = FieldText(*SoundPath_Edit, Settings.SoundPath);
}

void TTessivar_Form::SoundPath_EditExit() {
  AddLogLine("CHANGED sound file to: " + Settings.SoundPath);
}

void TTessivar_Form::SndBrowse_ButtonClick() {
  if (const std::optional<std::string> path = Platform.Dialogs.ChooseFileToOpen(OpenDialog1)) {
    SoundPath_Edit->setText(QString::fromStdString(*path));
  }
}

void TTessivar_Form::SpeedButton1Click() {
  Platform.Urls.OpenFile(
      QDir(QCoreApplication::applicationDirPath()).filePath(kHelpFileName).toStdString());
}

void TTessivar_Form::Image1Click() {
  if (kHomePage.empty()) {
    SpeedButton1Click();
  } else {
    Platform.Urls.OpenUrl(std::string(kHomePage));
  }
}

}  // namespace halvoric
