// config.xml to the Preferences controls at start, and back at close.
#include <iostream>

#include "settings/settings_file.h"
#include "ui/tessivar_form.h"

namespace halvoric {

void TTessivar_Form::LoadSettings() {
  const SettingsLoad load = LoadSettingsFile(ConfigFileName);
  Settings = load.Values;
  // In the stored order: a box that changes runs its handler as a click
  // would, so a setting loaded as on has its full effect.
  const halvoric::Settings values = load.Values;
  AutoRun_CheckBox->setChecked(values.AutoRun);
  LogEvents_CheckBox->setChecked(values.LogEvents);
  SystemLogEvents_CheckBox->setChecked(values.SystemLog);
  DiskStatus_CheckBox->setChecked(values.DiskStatus);
  Hibernate_CheckBox->setChecked(values.Hibernation);
  TempWarn_CheckBox->setChecked(values.TempWarn);
  CritTemp_Edit->setText(QString::fromStdString(values.Temp));
  PopupNotify_CheckBox->setChecked(values.PopupNotification);
  EmailNotify_CheckBox->setChecked(values.EmailNotification);
  Email_Edit->setText(QString::fromStdString(values.EmailAddr));
  SndFile_CheckBox->setChecked(values.PlaySound);
  SoundPath_Edit->setText(QString::fromStdString(values.SoundPath));
  Settings.CritTempValue = values.CritTempValue;
  // One bad value must not cost the user a working monitor: tell and go on.
  for (const std::string& error : load.Errors) Platform.Messages.ShowError(error);
}

bool TTessivar_Form::FormCloseQuery() {
  if (const Result<> saved = SaveSettings(Settings, ConfigFileName); !saved.Ok()) {
    Platform.Messages.ShowError(saved.Message);
    return false;
  }
  SettingsSavedAtClose = true;
  return true;
}

void TTessivar_Form::SaveSettingsAtQuit() {
  if (SettingsSavedAtClose) return;
  // No window is left to show a failure in; the terminal and, through the
  // journal, the system log (when on) still tell.
  if (const Result<> saved = SaveSettings(Settings, ConfigFileName); !saved.Ok()) {
    std::cerr << "halvoric: " << saved.Message << "\n";
    AddLogLine(saved.Message);
  }
}

}  // namespace halvoric
