// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file and the Preferences controls: the file's values shown at
// start, the settings written back when the program ends.
#pragma once

#include <optional>
#include <string>

#include "services/message_boxes.h"
#include "settings/journal.h"
#include "settings/settings.h"

namespace halvoric {

class SettingsView {
 public:
  virtual ~SettingsView() = default;
  // Sets the Preferences controls in the stored order. A control that
  // changes runs its handler as a click would, so a setting loaded as on
  // has its full effect.
  virtual void ShowSettings(const Settings& values) = 0;
};

class SettingsKeeper {
 public:
  // `settings` is the program's one copy; `path` the settings file. With
  // `protectWhenAbsent`, a start that finds no file (a new account's first
  // start from the menu) begins with the temperature warning and the popup
  // alert on, so that the drives are watched before anyone configures them.
  SettingsKeeper(SettingsView& view, Settings& settings, JournalLines& journal,
                 MessageBoxes& messages, std::string path, bool protectWhenAbsent = false)
      : view_(view),
        settings_(settings),
        journal_(journal),
        messages_(messages),
        path_(std::move(path)),
        protectWhenAbsent_(protectWhenAbsent) {}

  // Reads the file into the settings and the controls; shows what could not
  // be read and goes on. A file the reader could not follow to its end is
  // journalled, and kept as a backup before it is first written over.
  void Load();
  // Writes the file; false (and the error shown) when it could not.
  bool SaveAtClose();
  // The program ends without its window being closed (the session ends, a
  // termination signal): the settings are written as a close would. Once a
  // close has written them, nothing is left to do.
  void SaveAtQuit();
  // After the drive scan of a protected first start: the critical
  // temperature becomes the lowest warning temperature the drives name
  // (`driveWarning`), else the default; journalled once and saved at once,
  // so that the next start reads it. Nothing on any other start.
  void SettleFirstStart(std::optional<int> driveWarning);

 private:
  SettingsView& view_;
  Settings& settings_;
  JournalLines& journal_;
  MessageBoxes& messages_;
  Result<> Save();

  std::string path_;
  bool protectWhenAbsent_;
  bool firstStart_ = false;
  bool savedAtClose_ = false;
  // The file holds settings the reader could not follow: keep it as it is
  // beside the new one, so that nothing the user wrote by hand is lost.
  bool backupPending_ = false;
};

}  // namespace halvoric
