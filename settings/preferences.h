// SPDX-License-Identifier: GPL-3.0-or-later
// The Preferences page: every control keeps its setting equal to itself and
// journals the change. The same handlers run when the settings load sets
// the controls, so a setting loaded as on has its full effect. The
// temperature warning's box belongs to the watch, which it starts and stops.
#pragma once

#include <QString>
#include <string>

#include "services/file_dialogs.h"
#include "services/message_boxes.h"
#include "services/start_at_logon.h"
#include "services/url_opener.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

class PreferencesView {
 public:
  virtual ~PreferencesView() = default;
  // Puts the user back into the critical temperature field.
  virtual void FocusCriticalTemperature() = 0;
  // Shows `path` in the sound file field, as if typed.
  virtual void ShowSoundPath(const std::string& path) = 0;
};

// The seams the page reaches.
struct PreferencesServices {
  halvoric::StartAtLogon& StartAtLogon;
  MessageBoxes& Messages;
  FileDialogs& Dialogs;
  UrlOpener& Urls;
};

class Preferences {
 public:
  // `helpFile` is the manual that the help button and the logo open.
  Preferences(PreferencesView& view, Settings& settings, JournalLines& journal,
              PreferencesServices services, std::string helpFile)
      : view_(view),
        settings_(settings),
        journal_(journal),
        services_(services),
        helpFile_(std::move(helpFile)) {}

  // The check boxes, with their new state.
  void StartAtLogonChanged(bool checked);
  void EnableStartAtLogon();
  void DisableStartAtLogon();
  void LogEventsChanged(bool checked);
  void SystemLogChanged(bool checked);
  void DiskStatusChanged(bool checked);
  void HibernationChanged(bool checked);
  void PopupChanged(bool checked);
  void EmailChanged(bool checked);
  void SoundChanged(bool checked);

  // The edits: every change of their text, and the user leaving them.
  void CriticalTemperatureEdited(const QString& shown);
  void CriticalTemperatureLeft(const QString& shown);
  void EmailAddressEdited(const QString& shown);
  void EmailAddressLeft();
  void SoundPathEdited(const QString& shown);
  void SoundPathLeft();

  void ChooseSoundFile(const FileDialogSpec& dialog);
  void OpenHelp();
  void OpenHomePage();

 private:
  void Apply(bool checked, bool Settings::*field, const char* onLine, const char* offLine);

  PreferencesView& view_;
  Settings& settings_;
  JournalLines& journal_;
  PreferencesServices services_;
  std::string helpFile_;
};

}  // namespace halvoric
