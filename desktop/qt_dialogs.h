// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's dialogs through Qt: file choosers, message boxes titled
// with the application's name, and the popup alert.
#pragma once

#include "services/alert_prompt.h"
#include "services/file_dialogs.h"
#include "services/message_boxes.h"

namespace halvoric {

class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<std::string> ChooseFileToOpen(const FileDialogSpec& spec) override;
  std::optional<std::string> ChooseFileToSave(const FileDialogSpec& spec) override;
};

class QtMessageBoxes final : public MessageBoxes, public AlertPrompt {
 public:
  void ShowError(const std::string& text) override;
  void ShowMessage(const std::string& text) override;
  void Alert(const std::string& text) override;
};

}  // namespace halvoric
