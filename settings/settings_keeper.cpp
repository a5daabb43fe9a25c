#include "settings/settings_keeper.h"

#include <iostream>

#include "settings/settings_file.h"

namespace halvoric {

void SettingsKeeper::Load() {
  const SettingsLoad load = LoadSettingsFile(path_);
  settings_ = load.Values;
  view_.ShowSettings(load.Values);
  settings_.CritTempValue = load.Values.CritTempValue;
  // One bad value must not cost the user a working monitor: tell and go on.
  for (const std::string& error : load.Errors) messages_.ShowError(error);
}

bool SettingsKeeper::SaveAtClose() {
  if (const Result<> saved = SaveSettings(settings_, path_); !saved.Ok()) {
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
  if (const Result<> saved = SaveSettings(settings_, path_); !saved.Ok()) {
    std::cerr << "halvoric: " << saved.Message << "\n";
    journal_.AddLogLine(saved.Message);
  }
}

}  // namespace halvoric
