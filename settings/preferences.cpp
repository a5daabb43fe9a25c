// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/preferences.h"

#include <string_view>

#include "base/text_trim.h"
#include "drive/row_sinks.h"
#include "settings/text_forms.h"

namespace halvoric {

namespace {

// The project's home page, opened by the logo. Until the project publishes
// one, the logo opens the installed manual instead.
constexpr std::string_view kHomePage = "";

// A field shows its stored text as Unicode, which bytes that are not UTF-8
// (a Latin-1 file name, an older config.xml) do not survive. The stored
// bytes stay for as long as the field shows just them.
std::string FieldText(const QString& shown, const std::string& stored) {
  return shown == QString::fromStdString(stored) ? stored : shown.toStdString();
}

}  // namespace

void Preferences::Apply(bool checked, bool Settings::*field, const char* onLine,
                        const char* offLine) {
  settings_.*field = checked;
  if (onLine != nullptr) journal_.AddLogLine(checked ? onLine : offLine);
}

void Preferences::StartAtLogonChanged(bool checked) {
  if (checked) {
    EnableStartAtLogon();
  } else {
    DisableStartAtLogon();
  }
  settings_.AutoRun = checked;
}

void Preferences::EnableStartAtLogon() {
  journal_.AddLogLine("ENABLED autorun");
  const Result<> done = services_.StartAtLogon.Enable();
  if (!done.Ok()) {
    journal_.AddLogLine("The start at logon entry could not be written: " + done.Message);
  }
}

void Preferences::DisableStartAtLogon() {
  journal_.AddLogLine("DISABLED autorun");
  const Result<> done = services_.StartAtLogon.Disable();
  if (!done.Ok()) {
    journal_.AddLogLine("The start at logon entry could not be removed: " + done.Message);
  }
}

void Preferences::LogEventsChanged(bool checked) {
  Apply(checked, &Settings::LogEvents, "ENABLED Log Events", "DISABLE Log Events");
}

void Preferences::SystemLogChanged(bool checked) {
  Apply(checked, &Settings::SystemLog, nullptr, nullptr);
}

void Preferences::DiskStatusChanged(bool checked) {
  Apply(checked, &Settings::DiskStatus, "ENABLED disk status", "DISABLE disk status");
}

void Preferences::HibernationChanged(bool checked) {
  Apply(checked, &Settings::Hibernation, "ENABLED hibernation", "DISABLE hibernation");
}

void Preferences::PopupChanged(bool checked) {
  Apply(checked, &Settings::PopupNotification, "ENABLED popup notification",
        "DISABLE popup notification");
}

void Preferences::EmailChanged(bool checked) {
  Apply(checked, &Settings::EmailNotification, "ENABLED email notification",
        "DISABLE email notification");
}

void Preferences::SoundChanged(bool checked) {
  Apply(checked, &Settings::PlaySound, "ENABLED play sound", "DISABLE play sound");
}

void Preferences::CriticalTemperatureEdited(const QString& shown) {
  settings_.Temp = FieldText(shown, settings_.Temp);
}

void Preferences::CriticalTemperatureLeft(const QString& shown) {
  const std::string text = shown.toStdString();
  const std::string_view trimmed = TrimControls(text);
  if (trimmed.empty()) return;
  const std::optional<std::uint8_t> value = CritTempInRange(trimmed);
  if (!value) {
    services_.Messages.ShowMessage("Error! Temp Warning must be in [0..100]");
    view_.FocusCriticalTemperature();
    return;
  }
  settings_.CritTempValue = *value;
  journal_.AddLogLine("CHANGED max temperature: " + std::to_string(*value) + kDegreeSign);
}

void Preferences::EmailAddressEdited(const QString& shown) {
  settings_.EmailAddr = FieldText(shown, settings_.EmailAddr);
}

void Preferences::EmailAddressLeft() {
  journal_.AddLogLine("CHANGED email address to: " + settings_.EmailAddr);
}

void Preferences::SoundPathEdited(const QString& shown) {
  settings_.SoundPath = FieldText(shown, settings_.SoundPath);
}

void Preferences::SoundPathLeft() {
  journal_.AddLogLine("CHANGED sound file to: " + settings_.SoundPath);
}

void Preferences::ChooseSoundFile(const FileDialogSpec& dialog) {
  if (const std::optional<std::string> path = services_.Dialogs.ChooseFileToOpen(dialog)) {
    view_.ShowSoundPath(*path);
  }
}

void Preferences::OpenHelp() { services_.Urls.OpenFile(helpFile_); }

void Preferences::OpenHomePage() {
  if (kHomePage.empty()) {
    OpenHelp();
  } else {
    services_.Urls.OpenUrl(std::string(kHomePage));
  }
}

}  // namespace halvoric
