// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings_keeper.h"

#include <cstdio>
#include <utility>

#include "base/staged_file.h"
#include "base/whole_file.h"
#include "drive/row_sinks.h"
#include "settings/settings_file.h"

namespace halvoric {

namespace {

// A journal line is one line in the system log too.
std::string OnOneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return text;
}

// The reader's message runs over several lines and ends with the tree it
// built; the journal takes its first line.
std::string FirstLine(const std::string& message) {
  return OnOneLine(message.substr(0, message.find_first_of("\r\n")));
}

}  // namespace

void SettingsKeeper::Load() {
  SettingsLoad load = LoadSettingsFile(path_);
  firstStart_ = load.Absent && protectWhenAbsent_;
  if (firstStart_) {
    load.Values.TempWarn = true;
    load.Values.PopupNotification = true;
  }
  settings_ = load.Values;
  view_.ShowSettings(load.Values);
  settings_.CritTempValue = load.Values.CritTempValue;
  if (!load.SyntaxError.empty()) {
    backupPending_ = true;
    journal_.AddLogLine(path_ + " could not be read to its end (" + FirstLine(load.SyntaxError) +
                        "); the settings after that point keep their defaults, and the file is "
                        "kept as " +
                        path_ + ".bak before it is written again.");
  }
  for (const RefusedSetting& refused : load.Refused) {
    journal_.AddLogLine("IGNORED " + refused.Name + " '" + OnOneLine(refused.Text) + "' in " +
                        path_ + "; the setting keeps its default");
  }
  // One bad value must not cost the user a working monitor: tell and go on.
  for (const std::string& error : load.Errors) messages_.ShowError(error);
}

void SettingsKeeper::SettleFirstStart(std::optional<int> driveWarning) {
  if (!std::exchange(firstStart_, false)) return;
  // The field admits 0 to 100; a drive naming anything else names no limit.
  const bool named = driveWarning && *driveWarning > 0 && *driveWarning <= 100;
  const int critical = named ? *driveWarning : DefaultCritTemp;
  settings_.Temp = std::to_string(critical);
  settings_.CritTempValue = static_cast<std::uint8_t>(critical);
  view_.ShowSettings(settings_);
  journal_.AddLogLine("FIRST START: temperature warning and popup alert on at " +
                      std::to_string(critical) + kDegreesCelsius +
                      (named ? ", the lowest warning temperature the drives name"
                             : ", as no drive names a warning temperature"));
  if (const Result<> saved = Save(); !saved.Ok()) journal_.AddLogLine(saved.Message);
}

Result<> SettingsKeeper::Save() {
  if (backupPending_) {
    const std::string backup = path_ + ".bak";
    const Result<std::string> original = ReadWholeFile(path_);
    const Result<> kept =
        original.Ok() ? ReplaceFile(backup, *original) : Result<>(Failure{original.Message});
    if (!kept.Ok()) {
      return Failure{"The settings were not saved: " + path_ + " could not be kept as " + backup +
                     ". " + kept.Message};
    }
    backupPending_ = false;
    journal_.AddLogLine("KEPT " + path_ + " as " + backup);
  }
  return SaveSettings(settings_, path_);
}

bool SettingsKeeper::SaveAtClose() {
  if (const Result<> saved = Save(); !saved.Ok()) {
    messages_.ShowError(saved.Message);
    return false;
  }
  savedAtClose_ = true;
  return true;
}

void SettingsKeeper::SaveAtQuit() {
  if (savedAtClose_) return;
  // No window is left to show a failure in; the terminal and, through the
  // journal, the system log still tell.
  if (const Result<> saved = Save(); !saved.Ok()) {
    std::fprintf(stderr, "halvoric: %s\n", saved.Message.c_str());
    journal_.AddLogLine(saved.Message);
  }
}

}  // namespace halvoric
